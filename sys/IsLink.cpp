#include "sys/Folder.h"

#include <string.h>
#include <windows.h>

#include "sys/LongPath.h"
#include "sys/Path.h"

int IsLink(const char* path) {
    if (!path || EndsInLeadByte(path))
        return 0;
    size_t length = strnlen(path, FOLDER_PATH_SIZE);
    if (length >= FOLDER_PATH_SIZE)
        return 0;
    // A final separator would make the system look through a link at what it points to.
    char plain[FOLDER_PATH_SIZE];
    memcpy(plain, path, length + 1);
    if (length > 3 && HasTrailingBackslash(plain))
        plain[length - 1] = '\0';
    DWORD attributes = LongGetFileAttributes(plain);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? 1
                                                                                                : 0;
}
