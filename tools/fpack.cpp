// fpack: creates, lists, tests and extracts FolderPack archives.
#include "tools/FpackCommands.h"

#include "folderpack/core/FolderPackFormat.h"
#include "tools/ToolPlatform.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <thread>

namespace {

const char kUsage[] =
    "usage: fpack create ARCHIVE FOLDER [--level N] [--threads N]\n"
    "       fpack list ARCHIVE\n"
    "       fpack test ARCHIVE [--threads N]\n"
    "       fpack extract ARCHIVE FOLDER [--overwrite] [--threads N]\n"
    "       fpack embed STUB.exe FOLDER|ARCHIVE OUT.exe [--version V] [--threads N]\n"
    "                   [--unattended]                          (fpack.exe only)\n"
    "\n"
    "create   packs FOLDER into ARCHIVE: for every folder its subfolders, then its files, then\n"
    "         the folder itself; files 0x20, folders 0x11; names stored in code page 932.\n"
    "         --level N    zlib level 0-9 (default 1)\n"
    "         --threads N  (create, embed) compressing threads (default: the number of\n"
    "                      processors)\n"
    "list     one line per entry: kind, size, last-write time (UTC), name\n"
    "test     reads every entry, inflates and checks every chunk and size; writes nothing\n"
    "extract  recreates the tree under FOLDER; an existing file is an error unless\n"
    "         --overwrite is given\n"
    "         --threads N  (test, extract) inflating threads (default: the number of\n"
    "                      processors; fpack.exe inflates on one)\n"
    "embed    writes OUT.exe, a copy of the built updater STUB.exe with FOLDER (packed) or\n"
    "         ARCHIVE as its payload and the payload's digest, in the language of its other\n"
    "         resources; --version a.b.c.d restamps its version. STUB.exe must be unsigned:\n"
    "         sign OUT.exe afterwards. OUT.exe updates without asking where nobody can\n"
    "         answer (run as SYSTEM by a deployment tool) exactly when --unattended is given\n"
    "\n"
    "Exit status 0 on success, 1 on failure (with one line naming the result code), 2 on\n"
    "wrong usage.\n";

int Usage(const char* problem) {
    if (problem)
        fprintf(stderr, "fpack: %s\n%s", problem, kUsage);
    return 2;
}

int ParseNumber(const char* text, int low, int high, int* value) {
    char* end = nullptr;
    long n = strtol(text, &end, 10);
    if (!*text || *end || n < low || n > high)
        return 0;
    *value = int(n);
    return 1;
}

int DefaultThreads() {
    unsigned n = std::thread::hardware_concurrency();
    return n < 1 ? 1 : n > 64 ? 64 : int(n);
}

} // namespace

int ReportFailure(const char* command, int code, int32_t entryIndex, const char* entryName,
                  const std::string& detail) {
    std::string line = std::string("fpack: ") + command + ": " + FpResultName(code);
    if (entryIndex > 0) {
        line += " at entry " + std::to_string(entryIndex);
        if (entryName)
            line += " \"" + DisplayName(entryName) + "\"";
    }
    if (!detail.empty())
        line += ": " + detail;
    fprintf(stderr, "%s\n", line.c_str());
    return 1;
}

int main(int argc, char** argv) {
    InitConsole();
    if (argc < 2)
        return Usage("no command given");
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--help") || !strcmp(argv[i], "-h")) {
            fputs(kUsage, stdout);
            return 0;
        }
    }
    const char* command = argv[1];
    FpackArgs args;
    args.threads = DefaultThreads();
    const char* positional[3] = {nullptr, nullptr, nullptr};
    int count = 0;
    int create = !strcmp(command, "create");
    int extract = !strcmp(command, "extract");
    int test = !strcmp(command, "test");
    int embed = !strcmp(command, "embed");
    for (int i = 2; i < argc; i++) {
        const char* arg = argv[i];
        if (create && !strcmp(arg, "--level")) {
            if (i + 1 >= argc || !ParseNumber(argv[++i], 0, 9, &args.level))
                return Usage("--level takes a number from 0 to 9");
        } else if ((create || extract || test || embed) && !strcmp(arg, "--threads")) {
            if (i + 1 >= argc || !ParseNumber(argv[++i], 1, 64, &args.threads))
                return Usage("--threads takes a number from 1 to 64");
        } else if (extract && !strcmp(arg, "--overwrite")) {
            args.overwrite = 1;
        } else if (embed && !strcmp(arg, "--unattended")) {
            args.unattended = 1;
        } else if (embed && !strcmp(arg, "--version")) {
            if (i + 1 >= argc)
                return Usage("--version takes a version a.b.c.d");
            args.version = argv[++i];
        } else if (arg[0] == '-' && arg[1] == '-') {
            return Usage((std::string("unknown option ") + arg).c_str());
        } else if (count < 3) {
            positional[count++] = arg;
        } else {
            return Usage("too many arguments");
        }
    }
    args.archive = positional[0];
    args.folder = positional[1];
    if (embed) {
        if (count != 3)
            return Usage("expected STUB.exe, FOLDER or ARCHIVE, and OUT.exe");
        args.stub = positional[0];
        args.folder = positional[1];
        args.output = positional[2];
#ifdef _WIN32
        return EmbedCommand(args);
#else
        fprintf(stderr, "fpack: embed: Windows rewrites the resources; use fpack.exe\n");
        return 1;
#endif
    }
    int wanted = (create || extract) ? 2 : 1;
    if (!create && !extract && !test && strcmp(command, "list"))
        return Usage((std::string("unknown command ") + command).c_str());
    if (count != wanted)
        return Usage(wanted == 2 ? "expected ARCHIVE and FOLDER" : "expected ARCHIVE");
    if (create)
        return CreateCommand(args);
    if (extract)
        return ExtractCommand(args);
    if (!strcmp(command, "list"))
        return ListCommand(args);
    return TestCommand(args);
}
