#include "sys/Folder.h"

#include <mbstring.h>
#include <string.h>

#include "sys/LongPath.h"
#include "sys/Path.h"

int MakePath(const char* path) {
    if (!path || strnlen(path, FOLDER_PATH_SIZE) >= FOLDER_PATH_SIZE || EndsInLeadByte(path))
        return 0;

    // Every leading part must fit before anything is created.
    const unsigned char* text = reinterpret_cast<const unsigned char*>(path);
    for (const unsigned char* sep = _mbschr(text, '\\'); sep; sep = _mbschr(sep + 1, '\\')) {
        if (sep - text >= FOLDER_PART_SIZE)
            return 0;
    }

    char part[FOLDER_PART_SIZE];
    for (const unsigned char* sep = _mbschr(text, '\\'); sep; sep = _mbschr(sep + 1, '\\')) {
        size_t length = static_cast<size_t>(sep - text);
        if (length == 0)
            continue;
        memcpy(part, path, length);
        part[length] = '\0';
        if (!IsDirectory(part))
            LongCreateDirectory(part, NULL);
    }

    if (IsDirectory(path) || LongCreateDirectory(path, NULL))
        return 1;
    // A folder of 260 bytes or more cannot be entered, so IsDirectory misses it.
    DWORD error = GetLastError();
    DWORD attributes = LongGetFileAttributes(path);
    if (error == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 1;
    SetLastError(error);
    return 0;
}
