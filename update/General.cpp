// The update worker as its steps, and its extraction callbacks.
// Named General.cpp because the log's source-file field shows that name in every version.
#include "update/UpdateWorker.h"

#include "progress/Progress.h"
#include "folderpack/extract/Extractor.h"
#include "base/CString.h"
#include "log/Log.h"
#include "sys/Folder.h"
#include "sys/FullPath.h"
#include "sys/NamedMutex.h"
#include "sys/Path.h"
#include "sys/PrivateFolder.h"
#include "sys/Process.h"
#include "sys/Registry.h"
#include "sys/RemoveTree.h"
#include "sys/Resource.h"
#include "update/CrashCode.h"
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

// What a step leaves: UPDATE_OK to go on, else the code to report with its detail.
struct Outcome {
    int code;
    LPARAM detail;
};
const Outcome kGoOn = {UPDATE_OK, 0};

Outcome Fail(int code, LPARAM detail = 0) {
    Outcome outcome = {code, detail};
    return outcome;
}

UINT Report(const Outcome& outcome) {
    PostMessageA(g_hDialog, WM_UPDATE_DONE, static_cast<WPARAM>(outcome.code), outcome.detail);
    return 0;
}

// The paths of one run, each in a buffer of kPathSize bytes and ending with a separator but
// the archive's.
struct RunPaths {
    char product[kPathSize]; // the parent of the server installation folder
    char temp[kPathSize];    // <product>TMP\ (stays)
    char work[kPathSize];    // <temp>WUTMP\ (the run's own)
    char archive[kPathSize]; // <work>WU.TPK
};

// Makes `work` (inside `temp`) a fresh folder of this run's own: nothing is written or
// deleted through a link, a leftover is removed first (waiting out a brief hold), and the
// folder is created anew with a descriptor that lets only administrators and SYSTEM change it.
// Returns 0, or the system error to report: ERROR_STOPPED_ON_SYMLINK when TMP or the work
// folder is a link; RemoveTree's error when a leftover cannot be removed (32, 5, 145 or 303 for
// a hold that lasted, 681 for a link inside that is not removed as a link, 206 beyond the walk's
// depth: what remains of it stays, unused); else the creation's error (ERROR_ALREADY_EXISTS when
// someone made the folder in between).
DWORD MakeFreshWorkFolder(const char* temp, const char* work) {
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

// Locates the product: the parent of the server installation folder (step bar 1).
Outcome LocateProduct(RunPaths* paths) {
    CString server;
    if (!ReadRegString(HKEY_LOCAL_MACHINE, kServerKey, kPathValue, server) || server.IsEmpty())
        return Fail(UPDATE_ERR_NOT_SERVER);
    SetStepPos(1);
    // The value as Windows reads it (doubled separators as one, "." and ".." resolved), so the
    // folders derived from it can be made; a relative or cut one is refused.
    char* product = paths->product;
    if (!CanonicalPath(server, product, kPathSize))
        return Fail(UPDATE_ERR_INTERNAL);
    if (HasTrailingBackslash(product))
        product[strlen(product) - 1] = '\0';
    unsigned char* last = _mbsrchr(reinterpret_cast<unsigned char*>(product), '\\');
    if (!last)
        return Fail(UPDATE_ERR_INTERNAL);
    last[1] = '\0';
    LOG_WRITE_AT(kLogProductLine, "TOLVANEフォルダ %s .", product);
    return kGoOn;
}

// Builds the temporary folder, the work folder and the archive path; the work folder and
// everything derived from it must fit before anything is created.
Outcome BuildPaths(RunPaths* paths) {
    char* temp = paths->temp;
    temp[0] = '\0';
    if (!AppendText(temp, kPathSize, paths->product) || !EnsureBackslash(temp, kPathSize) ||
        !AppendText(temp, kPathSize, kTempName) || !EnsureBackslash(temp, kPathSize))
        return Fail(UPDATE_ERR_INTERNAL);
    LOG_WRITE_AT(kLogTempLine, "TOLVANEテンポラリフォルダ %s .", temp);

    char* work = paths->work;
    char* archive = paths->archive;
    work[0] = archive[0] = '\0';
    if (!AppendText(work, kPathSize, temp) || !AppendText(work, kPathSize, kWorkName) ||
        !EnsureBackslash(work, kPathSize) || !AppendText(archive, kPathSize, work) ||
        !AppendText(archive, kPathSize, kArchiveName) ||
        strlen(work) + sizeof kSetupName > kPathSize ||
        strlen(work) + sizeof kFallbackName > kPathSize)
        return Fail(UPDATE_ERR_INTERNAL);
    LOG_WRITE_AT(kLogWorkLine, "TMP@WUフォルダ %s .", work);
    return kGoOn;
}

// Makes the work folder afresh (step bar 2).
Outcome PrepareWorkFolder(RunPaths* paths) {
    DWORD prepared = MakeFreshWorkFolder(paths->temp, paths->work);
    if (prepared != 0)
        return Fail(UPDATE_ERR_WRITE_ARCHIVE, static_cast<LPARAM>(prepared));
    SetStepPos(2);
    return kGoOn;
}

// Checks that the client feature folder exists; nothing is written there.
Outcome FindClientFeature(RunPaths* /*paths*/) {
    CString client;
    if (!ReadRegString(HKEY_LOCAL_MACHINE, kClientKey, kPathValue, client) || client.IsEmpty())
        return Fail(UPDATE_ERR_INTERNAL);
    char feature[kPathSize] = "";
    if (!AppendText(feature, sizeof feature, client) || !EnsureBackslash(feature, sizeof feature) ||
        !AppendText(feature, sizeof feature, kFeatureFolder))
        return Fail(UPDATE_ERR_INTERNAL);
    if (!IsDirectory(feature))
        return Fail(UPDATE_ERR_NO_FEATURE);
    return kGoOn;
}

// Checks the payload against its digest and the free space before any of it is written, then
// writes it to the archive file (step bar 3).
Outcome WritePayload(RunPaths* paths) {
    LOG_WRITE_AT(kLogArchiveLine, "圧縮ファイルパス %s .", paths->archive);
    uint64_t needed = 0;
    DWORD refused = CheckPayload(paths->work, &needed);
    if (refused == 0)
        refused = CheckRoom(paths->work, needed);
    if (refused != 0)
        return Fail(UPDATE_ERR_WRITE_ARCHIVE, static_cast<LPARAM>(refused));
    if (!WriteResourceToFile(MAKEINTRESOURCEA(RESOURCE_PAYLOAD_ID), paths->archive, 1))
        return Fail(UPDATE_ERR_WRITE_ARCHIVE);
    SetStepPos(3);
    return kGoOn;
}

// Extracts the archive into the work folder (step bar 4).
Outcome ExtractPayload(RunPaths* paths) {
    int extracted =
        ExtractFolderPack(paths->work, paths->archive, OverwriteCallback, ProgressCallback);
    if (extracted != 0)
        return Fail(UPDATE_ERR_EXTRACT, extracted);
    SetStepPos(4);
    return kGoOn;
}

// Runs the setup program, or the fallback when it cannot be started, and keeps its exit code
// (step bar 5). The fallback is for a program that cannot be started, not for one that crashed.
Outcome RunSetupProgram(RunPaths* paths) {
    DWORD exitCode = 0;
    if (!RunSetup(paths->work, kSetupName, &exitCode)) {
        DWORD primaryError = GetLastError();
        if (!RunSetup(paths->work, kFallbackName, &exitCode)) {
            // A fallback that is not there says nothing: the primary's failure is the cause.
            DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                error = primaryError;
            return Fail(UPDATE_ERR_SETUP, static_cast<LPARAM>(static_cast<int>(error)));
        }
    }
    g_setupExitCode = exitCode;
    if (IsCrashCode(exitCode))
        return Fail(UPDATE_ERR_SETUP_CRASHED, static_cast<LPARAM>(static_cast<int>(exitCode)));
    SetStepPos(5);
    return kGoOn;
}

// Removes the work folder (step bar 6). What is still held after the waits stays; the next
// run's preparation removes it. The update itself has happened.
Outcome RemoveWorkFolder(RunPaths* paths) {
    Sleep(kCleanupDelay);
    RemoveTree(paths->work);
    SetStepPos(6);
    return kGoOn;
}

// The update, step by step; the first that does not go on ends it with its code.
Outcome (*const kSteps[])(RunPaths*) = {
    LocateProduct, BuildPaths,     PrepareWorkFolder, FindClientFeature,
    WritePayload,  ExtractPayload, RunSetupProgram,   RemoveWorkFolder,
};

} // namespace

int OverwriteCallback(const char* /*path*/) {
    return IDYES;
}

void ProgressCallback(int entryIndex, int entryCount, int /*doneLow*/, int /*doneHigh*/,
                      int /*totalLow*/, int /*totalHigh*/) {
    if (entryIndex == 0 || entryCount <= 0)
        return;
    PostFileProgress(entryIndex, entryCount);
}

UINT UpdateWorker(LPVOID /*param*/) {
    // Held until the code is reported: released when the worker returns.
    NamedMutex lock;
    if (!lock.Acquire(kUpdateLock, 0))
        return Report(Fail(UPDATE_ERR_BUSY));
    g_setupExitCode = 0;
    Sleep(kStartDelay);
    SetStepRange(6);
    SetFileRange(1000);

    RunPaths paths;
    for (Outcome (*step)(RunPaths*) : kSteps) {
        Outcome outcome = step(&paths);
        if (outcome.code != UPDATE_OK)
            return Report(outcome);
    }
    return Report(kGoOn);
}
