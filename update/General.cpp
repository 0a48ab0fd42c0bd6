// The update worker and its extraction callbacks. The file is named General.cpp because the
// log's source-file field names it: the worker's lines read "General.cpp" in every version.
#include "update/UpdateWorker.h"

#include "progress/Progress.h"
#include "folderpack/extract/Extractor.h"
#include "base/CString.h"
#include "log/Log.h"
#include "sys/Folder.h"
#include "sys/NamedMutex.h"
#include "sys/Path.h"
#include "sys/PrivateFolder.h"
#include "sys/Process.h"
#include "sys/Registry.h"
#include "sys/RemoveTree.h"
#include "sys/Resource.h"
#include "update/PayloadCheck.h"
#include "update/UpdateResult.h"

#include <mbstring.h>
#include <stdio.h>
#include <string.h>

namespace {

const char kServerKey[] = "SOFTWARE\\TOLVANE\\BaseSrv";
const char kClientKey[] = "SOFTWARE\\TOLVANE\\InstRoot";
const char kPathValue[] = "InstallPath";
const char kTempName[] = "TMP";
const char kWorkName[] = "WUTMP";
const char kFeatureFolder[] = "TV\\CLI";
const char kArchiveName[] = "WU.TPK";
const char kSetupName[] = "Brennick.exe";
const char kFallbackName[] = "Olvatine.exe";
const DWORD kStartDelay = 333;
const DWORD kCleanupDelay = 1000;
// Held by the running update, system-wide: one update at a time.
const char kUpdateLock[] = "Global\\TOLVANE_WU_Varnock_Update";

// The log's line numbers of the worker's four sites, fixed so that logs compare across versions.
const int kLogProductLine = 147;
const int kLogTempLine = 155;
const int kLogWorkLine = 162;
const int kLogArchiveLine = 194;

// Every path the worker builds lives in a buffer of this size, NUL included.
const size_t kPathSize = MAX_PATH;

// Appends text when it fits with its NUL; otherwise leaves the buffer as it was and gives 0.
int AppendText(char* buffer, size_t capacity, const char* text) {
    size_t used = strlen(buffer);
    size_t add = strlen(text);
    if (used + add >= capacity)
        return 0;
    memcpy(buffer + used, text, add + 1);
    return 1;
}

// AppendBackslash that reports whether the buffer now ends with a separator.
int EnsureBackslash(char* buffer, size_t capacity) {
    AppendBackslash(buffer, capacity);
    return HasTrailingBackslash(buffer);
}

// An NTSTATUS error value (0xC0000000 to 0xCFFFFFFF) as exit code: the process ended by an
// exception (access violation, stack overflow, heap corruption, fail-fast), never by its own
// choice.
int IsCrashCode(DWORD exitCode) {
    return (exitCode & 0xF0000000u) == 0xC0000000u;
}

UINT Report(int code, LPARAM detail) {
    PostMessageA(g_hDialog, WM_UPDATE_DONE, static_cast<WPARAM>(code), detail);
    return 0;
}

// Makes `work` (inside `temp`) a fresh folder of this run's own: nothing is written or
// deleted through a link, a leftover is removed first (waiting out a brief hold), and the
// folder is created anew with a descriptor that lets only administrators and SYSTEM change it.
// Returns 0, or the system error to report: ERROR_STOPPED_ON_SYMLINK when TMP or the work
// folder is a link; the removal's error when a leftover is still held (32, 5 or 145: what
// remains of it stays, unused); else the creation's error (ERROR_ALREADY_EXISTS when someone
// made the folder in between).
DWORD PrepareWorkFolder(const char* temp, const char* work) {
    if (IsLink(temp) || IsLink(work))
        return ERROR_STOPPED_ON_SYMLINK;
    MakePath(temp);
    if (IsLink(temp)) // made by someone else between the check and MakePath
        return ERROR_STOPPED_ON_SYMLINK;
    DWORD removed = RemoveTree(work); // never follows a link; 0 when there is no folder
    if (removed != 0)
        return removed;
    if (CreatePrivateFolder(work))
        return 0;
    DWORD error = GetLastError();
    return error ? error : ERROR_CANNOT_MAKE;
}

// Runs <work folder><name> with its full path in quotes as the whole command line, so a
// folder with blanks can never start another program. 1 with `*exitCode` set when it ran to
// its end; 0 with the last error set when it could not be started or waited for.
int RunSetup(const char* workFolder, const char* name, DWORD* exitCode) {
    char program[kPathSize] = "";
    char commandLine[kPathSize + 2] = "\"";
    if (!AppendText(program, sizeof program, workFolder) ||
        !AppendText(program, sizeof program, name) ||
        !AppendText(commandLine, sizeof commandLine, program) ||
        !AppendText(commandLine, sizeof commandLine, "\"")) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    return RunAndWait(program, commandLine, exitCode);
}

} // namespace

int OverwriteCallback(const char* /*path*/) {
    return IDYES;
}

void ProgressCallback(int entryIndex, int entryCount, int /*doneLow*/, int /*doneHigh*/,
                      int /*totalLow*/, int /*totalHigh*/) {
    if (entryIndex == 0 || entryCount <= 0)
        return;
    // In 64 bits: entryIndex * 1000 overflows 32 bits from about two million entries.
    SetFilePos(static_cast<int>(static_cast<long long>(entryIndex) * 1000 / entryCount));
    char text[256];
    wsprintfA(text, "ファイル展開中： %d ファイル中 %d ファイルを処理完了", entryCount, entryIndex);
    if (g_hFileLabel)
        SetWindowTextA(g_hFileLabel, text);
}

UINT UpdateWorker(LPVOID /*param*/) {
    // Held until the code is reported: released when the worker returns.
    NamedMutex lock;
    if (!lock.Acquire(kUpdateLock, 0))
        return Report(UPDATE_ERR_BUSY, 0);
    g_setupExitCode = 0;
    Sleep(kStartDelay);
    SetStepRange(6);
    SetFileRange(1000);

    CString server;
    if (!ReadRegString(HKEY_LOCAL_MACHINE, kServerKey, kPathValue, server) || server.IsEmpty())
        return Report(UPDATE_ERR_NOT_SERVER, 0);

    // The product folder: the parent of the server installation folder.
    char product[kPathSize] = "";
    // A value ending in half a double-byte character would send the separator search past it.
    if (!AppendText(product, sizeof product, server) || EndsInLeadByte(product))
        return Report(UPDATE_ERR_INTERNAL, 0);
    SetStepPos(1);
    if (HasTrailingBackslash(product))
        product[strlen(product) - 1] = '\0';
    unsigned char* last = _mbsrchr(reinterpret_cast<unsigned char*>(product), '\\');
    if (!last)
        return Report(UPDATE_ERR_INTERNAL, 0);
    last[1] = '\0';
    LOG_WRITE_AT(kLogProductLine, "TOLVANEフォルダ %s .", product);

    char temp[kPathSize] = "";
    if (!AppendText(temp, sizeof temp, product) || !EnsureBackslash(temp, sizeof temp) ||
        !AppendText(temp, sizeof temp, kTempName) || !EnsureBackslash(temp, sizeof temp))
        return Report(UPDATE_ERR_INTERNAL, 0);
    LOG_WRITE_AT(kLogTempLine, "TOLVANEテンポラリフォルダ %s .", temp);

    // The work folder and everything derived from it must fit before anything is created.
    char work[kPathSize] = "";
    char archive[kPathSize] = "";
    if (!AppendText(work, sizeof work, temp) || !AppendText(work, sizeof work, kWorkName) ||
        !EnsureBackslash(work, sizeof work) || !AppendText(archive, sizeof archive, work) ||
        !AppendText(archive, sizeof archive, kArchiveName) ||
        strlen(work) + sizeof kSetupName > kPathSize ||
        strlen(work) + sizeof kFallbackName > kPathSize)
        return Report(UPDATE_ERR_INTERNAL, 0);
    LOG_WRITE_AT(kLogWorkLine, "TMP@WUフォルダ %s .", work);

    DWORD prepared = PrepareWorkFolder(temp, work);
    if (prepared != 0)
        return Report(UPDATE_ERR_WRITE_ARCHIVE, static_cast<LPARAM>(prepared));
    SetStepPos(2);

    CString client;
    if (!ReadRegString(HKEY_LOCAL_MACHINE, kClientKey, kPathValue, client) || client.IsEmpty())
        return Report(UPDATE_ERR_INTERNAL, 0);
    char feature[kPathSize] = "";
    if (!AppendText(feature, sizeof feature, client) || !EnsureBackslash(feature, sizeof feature) ||
        !AppendText(feature, sizeof feature, kFeatureFolder))
        return Report(UPDATE_ERR_INTERNAL, 0);
    if (!IsDirectory(feature))
        return Report(UPDATE_ERR_NO_FEATURE, 0);

    LOG_WRITE_AT(kLogArchiveLine, "圧縮ファイルパス %s .", archive);
    // The payload is checked, and must fit, before any of it is written.
    uint64_t needed = 0;
    DWORD refused = CheckPayload(work, &needed);
    if (refused == 0)
        refused = CheckRoom(work, needed);
    if (refused != 0)
        return Report(UPDATE_ERR_WRITE_ARCHIVE, static_cast<LPARAM>(refused));
    if (!WriteResourceToFile(MAKEINTRESOURCEA(RESOURCE_PAYLOAD_ID), archive, 1))
        return Report(UPDATE_ERR_WRITE_ARCHIVE, 0);
    SetStepPos(3);

    int extracted = ExtractFolderPack(work, archive, OverwriteCallback, ProgressCallback);
    if (extracted != 0)
        return Report(UPDATE_ERR_EXTRACT, extracted);
    SetStepPos(4);

    // The fallback is for a program that cannot be started, not for one that crashed.
    DWORD exitCode = 0;
    if (!RunSetup(work, kSetupName, &exitCode) && !RunSetup(work, kFallbackName, &exitCode))
        return Report(UPDATE_ERR_SETUP, static_cast<LPARAM>(static_cast<int>(GetLastError())));
    g_setupExitCode = exitCode;
    if (IsCrashCode(exitCode))
        return Report(UPDATE_ERR_SETUP_CRASHED, static_cast<LPARAM>(static_cast<int>(exitCode)));
    SetStepPos(5);
    Sleep(kCleanupDelay);

    // What is still held after the waits stays; the next run's preparation removes it. The
    // update itself has happened.
    RemoveTree(work);
    SetStepPos(6);
    return Report(UPDATE_OK, 0);
}
