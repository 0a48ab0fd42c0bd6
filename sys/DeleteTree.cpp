#include "sys/Folder.h"

#include <string.h>
#include <windows.h>

#include "sys/Handle.h"
#include "sys/LongPath.h"
#include "sys/Path.h"

namespace {

int DeleteFileEntry(const char* path) {
    DWORD attributes = LongGetFileAttributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        LongSetFileAttributes(path, attributes & ~FILE_ATTRIBUTE_READONLY);
    return LongDeleteFile(path) ? 1 : 0;
}

// Empties and removes the folder in `path` (a buffer of FOLDER_PATH_SIZE bytes); its first
// `length` bytes are the folder with a final separator. The buffer is shared by every level
// and holds the same folder again when the call returns.
int DeleteFolder(char* path, size_t length, int continueOnError) {
    if (length + 2 > FOLDER_PATH_SIZE)
        return 0;
    memcpy(path + length, "*", 2);
    WIN32_FIND_DATAA entry;
    FindHandle find(FindFirstFileA(path, &entry));
    path[length] = '\0';
    if (!find.IsValid())
        return 0;

    do {
        const char* name = entry.cFileName;
        if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
            continue;
        size_t nameLength = strnlen(name, sizeof entry.cFileName);
        int isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;

        int deleted = 0;
        if (nameLength < sizeof entry.cFileName && length + nameLength + 2 <= FOLDER_PATH_SIZE) {
            memcpy(path + length, name, nameLength);
            path[length + nameLength] = '\0';
            if (isFolder && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                path[length + nameLength] = '\\';
                path[length + nameLength + 1] = '\0';
                int emptied = DeleteFolder(path, length + nameLength + 1, continueOnError);
                path[length] = '\0';
                if (!emptied)
                    return 0;
                continue;
            }
            // A linked folder is removed as a link; what it points at is not ours.
            deleted = isFolder ? RemoveDirectoryA(path) != 0 : DeleteFileEntry(path);
            path[length] = '\0';
        }
        if (!deleted && !continueOnError)
            return 0;
    } while (FindNextFileA(find.Get(), &entry) || GetLastError() == ERROR_MORE_DATA);
    // The open listing would keep the folder from being removed.
    find.Close();

    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
        RemoveDirectoryA(path);
    }
    return 1;
}

} // namespace

int DeleteTree(const char* folder, int continueOnError) {
    if (!folder)
        return 0;
    size_t length = strnlen(folder, FOLDER_PATH_SIZE);
    if (length <= 3 || length >= FOLDER_PATH_SIZE)
        return 0;
    char path[FOLDER_PATH_SIZE];
    memcpy(path, folder, length + 1);
    AppendBackslash(path, sizeof path);
    // No room for the separator, or a path that ends in a truncated character.
    if (!HasTrailingBackslash(path))
        return 0;
    return DeleteFolder(path, strlen(path), continueOnError);
}
