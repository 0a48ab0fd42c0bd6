// `fpack embed`: a copy of a built Varnock.exe around another payload, written by Windows' own
// resource update functions and read back before it is kept.
#include "tools/FpackCommands.h"

#include "folderpack/core/ChunkInflater.h"
#include "folderpack/core/NullSink.h"
#include "folderpack/pack/FolderPacker.h"
#include "folderpack/pack/PackTimes.h"
#include "sys/Handle.h"
#include "sys/Resource.h"
#include "sys/Sha256.h"
#include "tools/PeImage.h"
#include "tools/ToolPlatform.h"
#include "tools/VersionResource.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <new>
#include <set>
#include <string>

namespace {

const char kPayloadType[] = RESOURCE_FILE_TYPE;
const char kDigestType[] = RESOURCE_DIGEST_TYPE;
const char kConsentType[] = RESOURCE_CONSENT_TYPE;
const WORD kPayloadId = RESOURCE_PAYLOAD_ID;
// kPayloadId as resource text, as ResourceText writes a number.
const std::string kPayloadName = "#" + std::to_string(kPayloadId);
const DWORD kStubLimit = 256u << 20;    // far beyond any updater
const DWORD kArchiveLimit = 0x7fffffff; // what a resource's DWORD size and the hash accept

int Failure(const std::string& message) {
    fprintf(stderr, "fpack: embed: %s\n", message.c_str());
    return 1;
}

// An executable loaded as data, for its resources only.
HMODULE LoadAsData(const char* path) {
    return LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

// One resource: its type and name as text ("#130" for a number) and its language.
struct ResourceKey {
    std::string type;
    std::string name;
    WORD language;
};

// The payload, its digest or the unattended consent, in whatever language: what embed writes.
int IsWrittenByEmbed(const ResourceKey& key) {
    return key.name == kPayloadName &&
           (key.type == kPayloadType || key.type == kDigestType || key.type == kConsentType);
}

std::string ResourceText(LPCSTR id) {
    if (IS_INTRESOURCE(id))
        return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(id));
    return id;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR list) {
    reinterpret_cast<std::vector<ResourceKey>*>(list)->push_back(
        {ResourceText(type), ResourceText(name), language});
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR list) {
    EnumResourceLanguagesA(module, type, name, CollectLanguage, list);
    return TRUE;
}

BOOL CALLBACK CollectType(HMODULE module, LPSTR type, LONG_PTR list) {
    EnumResourceNamesA(module, type, CollectName, list);
    return TRUE;
}

// Every resource of `module` (loaded as data, or null). 1, or 0 for null.
int ListResources(HMODULE module, std::vector<ResourceKey>& resources) {
    if (!module)
        return 0;
    EnumResourceTypesA(module, CollectType, reinterpret_cast<LONG_PTR>(&resources));
    return 1;
}

// The bytes of resource type/id/language of `module` (loaded as data, or null). 1, or 0 when
// missing.
int ReadResource(HMODULE module, LPCSTR type, LPCSTR id, WORD language,
                 std::vector<unsigned char>& bytes) {
    HRSRC info = module ? FindResourceExA(module, type, id, language) : nullptr;
    HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
    const unsigned char* data =
        loaded ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
    if (!data)
        return 0;
    bytes.assign(data, data + SizeofResource(module, info));
    return 1;
}

// The whole file at `path` if it holds at most `limit` bytes. 1, or 0 with `error` set.
int ReadWholeFile(const char* path, DWORD limit, std::vector<unsigned char>& bytes,
                  std::string& error) {
    OwnedHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        error = "cannot open \"" + std::string(path) + "\"";
        return 0;
    }
    LARGE_INTEGER size = {};
    int ok = GetFileSizeEx(file.Get(), &size) && size.QuadPart <= LONGLONG(limit);
    if (ok) {
        bytes.resize(size_t(size.QuadPart));
        DWORD done = 0;
        for (size_t at = 0; ok && at < bytes.size(); at += done) {
            DWORD chunk = DWORD(bytes.size() - at < 0x1000000 ? bytes.size() - at : 0x1000000);
            ok = ReadFile(file.Get(), &bytes[at], chunk, &done, nullptr) && done == chunk;
        }
    }
    file.Close();
    if (!ok)
        error = "cannot read \"" + std::string(path) + "\" (or it is larger than " +
                std::to_string(limit) + " bytes)";
    return ok;
}

// The payload: FOLDER packed as `fpack create` packs it, or a FolderPack file read and tested.
int LoadPayload(const char* source, int threads, std::vector<unsigned char>& archive,
                std::string& error) {
    DWORD attributes = GetFileAttributesA(source);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        std::unique_ptr<FpSourceTree> tree = FpOpenSourceTree(source);
        std::vector<FpPackEntry> entries;
        if (FpCollectEntries(*tree, entries, error) != FP_OK)
            return 0;
        if (!FpApplySourceDateEpoch(entries)) {
            error = "SOURCE_DATE_EPOCH is not a count of seconds";
            return 0;
        }
        FpMemoryOutput out;
        FpPackOptions options;
        options.threads = threads;
        if (FpPack(*tree, entries, out, options, error) != FP_OK)
            return 0;
        if (out.bytes.size() > kArchiveLimit) {
            error = "the packed folder is larger than a resource can hold";
            return 0;
        }
        archive.swap(out.bytes);
        return 1;
    }
    if (!ReadWholeFile(source, kArchiveLimit, archive, error))
        return 0;
    FpMemoryInput input(archive.data(), archive.size());
    FpInflater inflater(FpDefaultAllocator());
    FpReadBuffer buffer(FpDefaultAllocator());
    inflater.Begin();
    FpReader reader(input, inflater, buffer, "");
    FpNullSink sink;
    int result = reader.Walk(sink);
    if (result != FP_OK) {
        error = "\"" + std::string(source) + "\" is not a sound FolderPack archive (" +
                FpResultName(result) + " at entry " + std::to_string(reader.EntryIndex()) + ")";
        return 0;
    }
    return 1;
}

// Reads the written copy back: every resource in `language`, exactly one payload and one digest,
// both as written, and the consent exactly when `unattended`. An empty text, or what is wrong.
std::string CheckResult(const char* path, WORD language, const std::vector<unsigned char>& archive,
                        const char* digest, int unattended) {
    LoadedLibrary module(LoadAsData(path));
    std::vector<ResourceKey> resources;
    if (!ListResources(module.Get(), resources))
        return "the written copy cannot be loaded";
    int payloads = 0, digests = 0, consents = 0;
    for (const ResourceKey& key : resources) {
        if (key.language != language)
            return "resource " + key.type + " " + key.name + " is not in the stub's language";
        payloads += key.type == kPayloadType && key.name == kPayloadName;
        digests += key.type == kDigestType && key.name == kPayloadName;
        consents += key.type == kConsentType;
    }
    if (payloads != 1 || digests != 1)
        return "the written copy holds " + std::to_string(payloads) + " payloads and " +
               std::to_string(digests) + " digests";
    if (consents != (unattended ? 1 : 0))
        return "the written copy holds " + std::to_string(consents) + " unattended consents";
    std::vector<unsigned char> bytes;
    if (!ReadResource(module.Get(), kPayloadType, MAKEINTRESOURCEA(kPayloadId), language, bytes) ||
        bytes != archive)
        return "the payload read back differs from the one written";
    if (!ReadResource(module.Get(), kDigestType, MAKEINTRESOURCEA(kPayloadId), language, bytes) ||
        std::string(bytes.begin(), bytes.end()) != digest)
        return "the digest read back differs from the one written";
    if (unattended &&
        (!ReadResource(module.Get(), kConsentType, MAKEINTRESOURCEA(kPayloadId), language, bytes) ||
         std::string(bytes.begin(), bytes.end()) != RESOURCE_CONSENT_TEXT))
        return "the consent read back differs from the one written";
    return std::string();
}

// A resource's type or name as the resource calls take it: "#n" back to the number n. Valid
// while `text` is.
LPCSTR ResourceId(const std::string& text) {
    if (text.size() > 1 && text[0] == '#')
        return MAKEINTRESOURCEA(static_cast<WORD>(strtoul(text.c_str() + 1, nullptr, 10)));
    return text.c_str();
}

// Gives the file `path` (a copy of `stub`, loaded as data) the stub's resources but the payload,
// its digest, the consent (written only with `unattended`) and, with `version`, the version
// resource, which are written anew. Every resource is dropped first and the kept ones copied back,
// since a deletion through UpdateResource is not honoured by every implementation. An empty text,
// or what failed.
std::string Rewrite(const char* path, HMODULE stub, const std::vector<ResourceKey>& old,
                    WORD language, std::vector<unsigned char>& archive, const char* digest,
                    int unattended, const std::vector<unsigned char>* version) {
    HANDLE update = BeginUpdateResourceA(path, TRUE);
    if (!update)
        return "cannot open the copy for its resources (error " + std::to_string(GetLastError()) +
               ")";
    int ok = 1;
    std::vector<unsigned char> bytes;
    for (const ResourceKey& key : old) {
        if (IsWrittenByEmbed(key) || (version && key.type == "#16" && key.name == "#1"))
            continue;
        // A null block would delete: an empty resource is written from a byte of its own.
        static unsigned char none = 0;
        LPCSTR type = ResourceId(key.type);
        LPCSTR name = ResourceId(key.name);
        ok = ok && ReadResource(stub, type, name, key.language, bytes) &&
             UpdateResourceA(update, type, name, key.language, bytes.empty() ? &none : bytes.data(),
                             DWORD(bytes.size()));
    }
    ok = ok && UpdateResourceA(update, kPayloadType, MAKEINTRESOURCEA(kPayloadId), language,
                               archive.data(), DWORD(archive.size()));
    ok = ok && UpdateResourceA(update, kDigestType, MAKEINTRESOURCEA(kPayloadId), language,
                               const_cast<char*>(digest), 2 * SHA256_DIGEST_SIZE);
    static char consent[] = RESOURCE_CONSENT_TEXT;
    if (unattended)
        ok = ok && UpdateResourceA(update, kConsentType, MAKEINTRESOURCEA(kPayloadId), language,
                                   consent, sizeof consent - 1);
    if (version)
        ok = ok &&
             UpdateResourceA(update, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1), language,
                             const_cast<unsigned char*>(version->data()), DWORD(version->size()));
    DWORD error = ok ? 0 : GetLastError();
    if (!EndUpdateResourceA(update, ok ? FALSE : TRUE) && ok) {
        ok = 0;
        error = GetLastError();
    }
    return ok ? std::string()
              : "Windows could not rewrite the resources (error " + std::to_string(error) + ")";
}

// The command itself, writing through `temporary`; the exit status.
int Embed(const FpackArgs& args, const std::string& temporary) {
    uint16_t parts[4] = {};
    if (args.version && !ParseVersion(args.version, parts))
        return Failure("--version takes one to four numbers from 0 to 65535 joined by dots");

    std::string error;
    std::vector<unsigned char> stub;
    if (!ReadWholeFile(args.stub, kStubLimit, stub, error))
        return Failure(error);
    PeFacts facts = {};
    if (!PeReadFacts(stub.data(), stub.size(), &facts))
        return Failure("\"" + std::string(args.stub) + "\" is not a Windows executable");
    // Windows rewrites the sections after the resources but not the header's pointer to the
    // symbols at the end of the file, which would then point into the payload.
    if (facts.hasSymbols)
        return Failure("\"" + std::string(args.stub) +
                       "\" is not stripped: embed into the release build");
    if (facts.isSigned)
        return Failure("\"" + std::string(args.stub) +
                       "\" is signed, and a new payload would break its signature: embed into "
                       "the unsigned build and sign after embedding");

    // The language of every resource but the payload and its digest: the payload joins it.
    // The stub stays loaded until its resources are copied, and no longer: the output may
    // replace it.
    LoadedLibrary module(LoadAsData(args.stub));
    std::vector<ResourceKey> resources;
    if (!ListResources(module.Get(), resources))
        return Failure("cannot read the resources of \"" + std::string(args.stub) + "\"");
    std::set<WORD> languages;
    int payloads = 0;
    for (const ResourceKey& key : resources) {
        int ours = IsWrittenByEmbed(key);
        payloads += ours && key.type == kPayloadType;
        if (!ours)
            languages.insert(key.language);
    }
    if (payloads == 0)
        return Failure("\"" + std::string(args.stub) + "\" carries no payload: not an updater");
    if (languages.size() != 1)
        return Failure("the resources of \"" + std::string(args.stub) +
                       "\" are not in one language");
    WORD language = *languages.begin();

    std::vector<unsigned char> version;
    if (args.version) {
        std::vector<unsigned char> old;
        if (!ReadResource(module.Get(), MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1), language, old) ||
            !RestampVersion(old, parts, version))
            return Failure("the version resource of \"" + std::string(args.stub) +
                           "\" is missing or malformed");
    }

    std::vector<unsigned char> archive;
    if (!LoadPayload(args.folder, args.threads, archive, error))
        return Failure(error);
    char digest[2 * SHA256_DIGEST_SIZE + 1];
    if (!Sha256Hex(archive.data(), archive.size(), digest))
        return Failure("cannot hash the payload (CNG)");

    if (!CopyFileA(args.stub, temporary.c_str(), FALSE) ||
        !SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_NORMAL))
        error = "cannot create \"" + temporary + "\"";
    if (error.empty())
        error = Rewrite(temporary.c_str(), module.Get(), resources, language, archive, digest,
                        args.unattended, args.version ? &version : nullptr);
    module.Close();
    if (error.empty())
        error = CheckResult(temporary.c_str(), language, archive, digest, args.unattended);
    if (error.empty() && !MoveReplacing(temporary.c_str(), args.output))
        error = "cannot rename \"" + temporary + "\" to \"" + args.output + "\"";
    if (!error.empty()) {
        DeleteFileA(temporary.c_str());
        return Failure(error);
    }
    printf("%s: payload of %llu bytes (sha256 %s), language 0x%04x%s\n", args.output,
           (unsigned long long)archive.size(), digest, language,
           args.unattended ? ", unattended" : "");
    return 0;
}

} // namespace

int EmbedCommand(const FpackArgs& args) {
    // Written beside the output and renamed at the end: a failed run leaves no partial file.
    std::string temporary = std::string(args.output) + ".partial";
    // The payload and the copies of the stub are held in memory, and the containers report
    // exhaustion by throwing.
    try {
        return Embed(args, temporary);
    } catch (const std::bad_alloc&) {
        DeleteFileA(temporary.c_str());
        return Failure("out of memory");
    }
}
