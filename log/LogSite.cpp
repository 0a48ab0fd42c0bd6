#include "log/Log.h"

#include <mbstring.h>
#include <string.h>

// Copies at most capacity - 1 bytes of `text` and terminates.
static void CopyCut(char* out, size_t capacity, const char* text) {
    size_t length = strnlen(text, capacity - 1);
    memcpy(out, text, length);
    out[length] = '\0';
}

// The last component of a path: after the last separator, else after a drive's colon.
// The separator search is multibyte-aware, so the trail byte 0x5C of a double-byte
// character is not taken for a backslash.
static const char* LastComponent(const char* path) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(path);
    const unsigned char* backslash = _mbsrchr(p, '\\');
    const unsigned char* slash = _mbsrchr(p, '/');
    const unsigned char* separator = backslash;
    if (slash && (!separator || slash > separator))
        separator = slash;
    if (separator)
        return reinterpret_cast<const char*>(separator + 1);
    if (path[0] != '\0' && path[1] == ':')
        return path + 2;
    return path;
}

LogSite::LogSite(const char* sourcePath, int sourceLine) : line(sourceLine) {
    CopyCut(logPath, sizeof logPath, LogFilePath);
    backupPath = logPath;
    backupPath += ".BAK";
    CopyCut(sourceFile, sizeof sourceFile, sourcePath ? LastComponent(sourcePath) : "");
}

LogSite::~LogSite() {}
