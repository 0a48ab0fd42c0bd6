#include "app/LogPath.h"

#include <mbstring.h>
#include <string.h>

static const char kLogName[] = "Varnock_Log.txt";

int BuildLogPath(const char* tempFolder, char* out, size_t capacity) {
    if (capacity > 0)
        out[0] = '\0';
    if (!tempFolder || !*tempFolder)
        return 0;
    const unsigned char* last = _mbsrchr(reinterpret_cast<const unsigned char*>(tempFolder), '\\');
    size_t folderLength = strlen(tempFolder);
    bool separator = last && last[1] == '\0';
    size_t needed = folderLength + (separator ? 0 : 1) + sizeof kLogName; // NUL included
    if (needed > capacity)
        return 0;
    memcpy(out, tempFolder, folderLength);
    if (!separator)
        out[folderLength++] = '\\';
    memcpy(out + folderLength, kLogName, sizeof kLogName);
    return 1;
}
