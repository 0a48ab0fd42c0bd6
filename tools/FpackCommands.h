// The commands of fpack, each returning the process's exit status (0 success, 1 failure).
#pragma once

#include <stdint.h>

#include <string>

struct FpackArgs {
    const char* archive = nullptr;
    const char* folder = nullptr;
    int level = 1;
    int threads = 1;
    int overwrite = 0;
    const char* stub = nullptr;    // embed: the built updater
    const char* output = nullptr;  // embed: the copy written
    const char* version = nullptr; // embed: null keeps the stub's version
    int unattended = 0;            // embed: OUT.exe carries the unattended consent
};

int CreateCommand(const FpackArgs& args);  // create ARCHIVE FOLDER [--level N] [--threads N]
int ListCommand(const FpackArgs& args);    // list ARCHIVE
int TestCommand(const FpackArgs& args);    // test ARCHIVE [--threads N]
int ExtractCommand(const FpackArgs& args); // extract ARCHIVE FOLDER [--overwrite] [--threads N]
// embed STUB.exe FOLDER|ARCHIVE OUT.exe [--version V] [--threads N] [--unattended] (Windows):
// 0 with OUT.exe written, carrying the unattended consent exactly when --unattended is given
// (whatever STUB.exe carries); 1 with one line "fpack: embed: ..." when the stub is not a stripped,
// unsigned updater with its resources in one language, the archive does not read through, the
// written copy does not read back as intended, or memory runs out; OUT.exe is then as it was and no
// OUT.exe.partial remains.
int EmbedCommand(const FpackArgs& args);

// Prints the one-line failure message "fpack: COMMAND: CODE[ at entry N[ "NAME"]][: DETAIL]"
// to standard error and returns 1. `entryIndex` 0 and `entryName` null leave the entry out;
// `entryName` is code page 932.
int ReportFailure(const char* command, int code, int32_t entryIndex, const char* entryName,
                  const std::string& detail);
