#include "sys/Folder.h"

#include <direct.h>
#include <string.h>

#include "sys/CurrentFolder.h"
#include "sys/Path.h"

int IsDirectory(const char* path) {
    if (!path || strnlen(path, FOLDER_PATH_SIZE) >= FOLDER_PATH_SIZE || EndsInLeadByte(path))
        return 0;

    CurrentFolderRestorer current;
    if (!current.IsSaved())
        return 0;
    if (path[0] == '\0' || path[1] != ':')
        return _chdir(path) == 0;

    // Entering a folder on another drive also changes that drive's own current folder on
    // Windows; it is saved too and put back first.
    int letter = static_cast<unsigned char>(path[0]);
    if (letter >= 'a' && letter <= 'z')
        letter -= 0x20;
    if (_chdrive(letter - 0x40) != 0)
        return 0;
    CurrentFolderRestorer driveFolder;
    if (!driveFolder.IsSaved())
        return 0;
    return _chdir(path) == 0;
}
