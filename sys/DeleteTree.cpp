#include "sys/Folder.h"

#include <string.h>
#include <windows.h>

#include "sys/Handle.h"
#include "sys/LongPath.h"
#include "sys/Path.h"

namespace {

// The attributes FileBasicInfo can set on a file.
const DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_TEMPORARY |
                                  FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Sets the attributes of the open `file`, its times unchanged (0 there means unchanged, as 0
// attributes would: FILE_ATTRIBUTE_NORMAL stands for none).
BOOL SetAttributes(HANDLE file, DWORD attributes) {
    FILE_BASIC_INFO basic = {};
    basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
}

// Removes the name `path` of a file, or a file link itself, through one handle. All names of a
// file share its attributes: a read-only bit is cleared on the handle and, when the file has
// other names, set again before the handle closes. Returns 1 when the name is marked for
// deletion (it goes when the last handle to the file closes), or 0 with the last error set and
// the file with its name and attributes as before.
int DeleteFileEntry(const char* path) {
    OwnedHandle file(LongCreateFile(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, NULL));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file.IsValid() || !GetFileInformationByHandle(file.Get(), &info))
        return 0;
    DWORD attributes = info.dwFileAttributes & kSettableAttributes;
    int cleared = 0;
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        if (!SetAttributes(file.Get(), attributes & ~FILE_ATTRIBUTE_READONLY))
            return 0;
        cleared = 1;
    }
    FILE_DISPOSITION_INFO disposition = {TRUE};
    int marked = SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition,
                                            sizeof disposition)
                     ? 1
                     : 0;
    if (cleared && (!marked || info.nNumberOfLinks > 1)) {
        DWORD error = GetLastError();
        SetAttributes(file.Get(), attributes);
        SetLastError(error);
    }
    return marked;
}

// One call's walk: the path buffer shared by every level, and what failed last.
struct Walk {
    char path[FOLDER_PATH_SIZE];
    int continueOnError;
    DWORD lastError;

    // Records `error` as the latest failure; returns 0.
    int Fail(DWORD error) {
        lastError = error;
        return 0;
    }
};

// Empties and removes the folder in walk->path; its first `length` bytes are the folder with a
// final separator, and the buffer holds the same folder again when the call returns. Returns 1
// when the listing ran to its end and 0 when the walk stops. `*kept` is 1 when the folder
// stays: something in it or the folder itself could not be removed. A folder is not tried
// while something in it stays, so only a failure of its own is recorded.
int DeleteFolder(Walk* walk, size_t length, int* kept) {
    char* path = walk->path;
    *kept = 1;
    if (length + 2 > FOLDER_PATH_SIZE)
        return walk->Fail(ERROR_FILENAME_EXCED_RANGE);
    memcpy(path + length, "*", 2);
    WIN32_FIND_DATAA entry;
    FindHandle find(FindFirstFileA(path, &entry));
    path[length] = '\0';
    if (!find.IsValid())
        return walk->Fail(GetLastError());

    int left = 0;
    do {
        const char* name = entry.cFileName;
        if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
            continue;
        size_t nameLength = strnlen(name, sizeof entry.cFileName);
        int isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        int deleted = 0;
        if (nameLength >= sizeof entry.cFileName || length + nameLength + 2 > FOLDER_PATH_SIZE) {
            walk->Fail(ERROR_FILENAME_EXCED_RANGE);
        } else {
            memcpy(path + length, name, nameLength);
            path[length + nameLength] = '\0';
            if (isFolder && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                path[length + nameLength] = '\\';
                path[length + nameLength + 1] = '\0';
                int inner = 0;
                int listed = DeleteFolder(walk, length + nameLength + 1, &inner);
                path[length] = '\0';
                if (!listed)
                    return 0;
                left |= inner;
                continue;
            }
            // A linked folder is removed as a link; what it points at is not ours.
            deleted = isFolder ? RemoveDirectoryA(path) != 0 : DeleteFileEntry(path);
            if (!deleted)
                walk->Fail(GetLastError());
            path[length] = '\0';
        }
        if (!deleted) {
            if (!walk->continueOnError)
                return 0;
            left = 1;
        }
    } while (FindNextFileA(find.Get(), &entry) || GetLastError() == ERROR_MORE_DATA);
    // The open listing would keep the folder from being removed.
    find.Close();
    if (left)
        return 1;

    DWORD attributes = GetFileAttributesA(path);
    int readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly)
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
    if (RemoveDirectoryA(path)) {
        *kept = 0;
        return 1;
    }
    walk->Fail(GetLastError());
    if (readOnly)
        SetFileAttributesA(path, attributes);
    return 1;
}

} // namespace

int DeleteTree(const char* folder, int continueOnError) {
    size_t length = folder ? strnlen(folder, FOLDER_PATH_SIZE) : 0;
    if (length <= 3 || length >= FOLDER_PATH_SIZE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Walk walk;
    memcpy(walk.path, folder, length + 1);
    AppendBackslash(walk.path, sizeof walk.path);
    // No room for the separator, or a path that ends in a truncated character.
    if (!HasTrailingBackslash(walk.path)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    walk.continueOnError = continueOnError;
    walk.lastError = ERROR_SUCCESS;
    int kept = 0;
    int listed = DeleteFolder(&walk, strlen(walk.path), &kept);
    SetLastError(walk.lastError);
    return listed;
}
