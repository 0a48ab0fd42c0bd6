#include "update/PayloadCheck.h"

#include "folderpack/core/FolderPackReader.h"
#include "sys/Resource.h"
#include "sys/Sha256.h"

#include <string.h>

namespace {

// Adds up the files' sizes; chunk data is passed over, neither inflated nor copied.
class SizeSink : public FpSink {
public:
    int BeginFile(const FpEntry& entry) override {
        total = entry.size > UINT64_MAX - total ? UINT64_MAX : total + entry.size;
        return FP_OK;
    }
    int Write(const unsigned char*, uint32_t) override { return FP_OK; }
    int EndFile(const FpEntry&) override { return FP_OK; }
    void AbortFile(const FpEntry&) override {}
    int Folder(const FpEntry&) override { return FP_OK; }

    uint64_t total = 0;
};

int SameDigest(const char* computed, const void* stored, DWORD storedSize) {
    if (storedSize != 2 * SHA256_DIGEST_SIZE)
        return 0;
    const char* text = static_cast<const char*>(stored);
    for (DWORD i = 0; i < storedSize; i++) {
        char c = text[i];
        if (c >= 'A' && c <= 'F')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != computed[i])
            return 0;
    }
    return 1;
}

} // namespace

DWORD CheckPayload(const char* workFolder, uint64_t* needed) {
    *needed = 0;
    const void* archive = NULL;
    const void* digest = NULL;
    DWORD archiveSize = 0;
    DWORD digestSize = 0;
    if (!FindResourceBytes(MAKEINTRESOURCEA(RESOURCE_PAYLOAD_ID), RESOURCE_FILE_TYPE, &archive,
                           &archiveSize) ||
        !FindResourceBytes(MAKEINTRESOURCEA(RESOURCE_PAYLOAD_ID), RESOURCE_DIGEST_TYPE, &digest,
                           &digestSize))
        return ERROR_INVALID_DATA;
    char computed[2 * SHA256_DIGEST_SIZE + 1];
    if (!Sha256Hex(archive, archiveSize, computed) || !SameDigest(computed, digest, digestSize))
        return ERROR_INVALID_DATA;

    FpMemoryInput input(archive, archiveSize);
    FpSkipDecoder skip;
    FpReadBuffer buffer(FpDefaultAllocator());
    FpReader reader(input, skip, buffer, workFolder);
    SizeSink sizes;
    if (reader.Walk(sizes) != FP_OK)
        return ERROR_INVALID_DATA;
    *needed = sizes.total > UINT64_MAX - archiveSize ? UINT64_MAX : sizes.total + archiveSize;
    return 0;
}

DWORD CheckRoom(const char* folder, uint64_t needed) {
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(folder, &available, NULL, NULL))
        return GetLastError();
    return available.QuadPart < needed ? ERROR_DISK_FULL : 0;
}
