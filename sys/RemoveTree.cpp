#include "sys/RemoveTree.h"

#include <string.h>

#include "sys/Folder.h"
#include "sys/LongPath.h"
#include "sys/Path.h"

namespace {

void SystemWait(DWORD milliseconds) {
    Sleep(milliseconds);
}

void (*g_wait)(DWORD) = SystemWait;

// Whether a pass that failed with `error` may succeed once a holder lets go.
int IsPassing(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_DIR_NOT_EMPTY;
}

} // namespace

void SetRemoveTreeWait(void (*wait)(DWORD milliseconds)) {
    g_wait = wait ? wait : SystemWait;
}

DWORD RemoveTree(const char* folder) {
    size_t length = folder ? strnlen(folder, FOLDER_PATH_SIZE) : 0;
    if (length <= 3 || length >= FOLDER_PATH_SIZE || EndsInLeadByte(folder))
        return ERROR_INVALID_PARAMETER;
    // Read without final separators: "file\" reads as a missing path, "link\" as its target.
    char plain[FOLDER_PATH_SIZE];
    memcpy(plain, folder, length + 1);
    while (length > 3 && HasTrailingBackslash(plain))
        plain[--length] = '\0';
    for (int waits = 0;; ++waits) {
        // Before every pass: a link or a file put in the folder's place during a wait is
        // neither followed nor listed.
        if (IsLink(plain))
            return ERROR_STOPPED_ON_SYMLINK;
        DWORD attributes = LongGetFileAttributes(plain);
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return ERROR_DIRECTORY;
        DeleteTree(folder, 1);
        DWORD error = GetLastError();
        DWORD readBack = LongGetFileAttributes(plain) == INVALID_FILE_ATTRIBUTES
                             ? GetLastError()
                             : ERROR_ALREADY_EXISTS;
        if (readBack == ERROR_FILE_NOT_FOUND || readBack == ERROR_PATH_NOT_FOUND)
            return 0;
        if (error == ERROR_SUCCESS)
            return readBack;
        if (!IsPassing(error) || waits == REMOVE_TREE_WAITS)
            return error;
        g_wait(REMOVE_TREE_WAIT_MS);
    }
}
