#include "sys/Folder.h"

#include <direct.h>
#include <string.h>

#include "sys/Path.h"

int IsDirectory(const char* path) {
    if (!path || strnlen(path, FOLDER_PATH_SIZE) >= FOLDER_PATH_SIZE || EndsInLeadByte(path))
        return 0;

    // The full current folder names its drive too, so changing back to it restores both.
    char saved[FOLDER_PATH_SIZE];
    int savedDrive = _getdrive();
    if (!_getcwd(saved, sizeof saved))
        return 0;

    // Entering a folder on another drive also changes that drive's own current folder on
    // Windows; it is saved here and put back below.
    char driveFolder[FOLDER_PATH_SIZE];
    driveFolder[0] = '\0';
    if (path[0] != '\0' && path[1] == ':') {
        int letter = static_cast<unsigned char>(path[0]);
        if (letter >= 'a' && letter <= 'z')
            letter -= 0x20;
        int restored = 0;
        if (_chdrive(letter - 0x40) != 0 || !_getcwd(driveFolder, sizeof driveFolder))
            restored = 1;
        if (restored) {
            if (_chdir(saved) != 0 && savedDrive != 0)
                _chdrive(savedDrive);
            return 0;
        }
    }

    int entered = _chdir(path) == 0;

    if (driveFolder[0] != '\0')
        _chdir(driveFolder);
    // Wine keeps no current folder per drive: changing the drive alone would lose the folder.
    if (_chdir(saved) != 0 && savedDrive != 0)
        _chdrive(savedDrive);
    return entered;
}
