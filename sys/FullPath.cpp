#include "sys/FullPath.h"

#include "sys/Path.h"

#include <mbctype.h>
#include <windows.h>

namespace {

int IsSeparator(char c) {
    return c == '\\' || c == '/';
}

int IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// "C:\..." or "\\server\share...", and not "\\.\" or "\\?\".
int IsFullyQualified(const char* path) {
    if (IsLetter(path[0]) && path[1] == ':' && IsSeparator(path[2]))
        return 1;
    if (!IsSeparator(path[0]) || !IsSeparator(path[1]))
        return 0;
    if ((path[2] == '.' || path[2] == '?') && IsSeparator(path[3]))
        return 0;
    return path[2] != '\0' && !IsSeparator(path[2]);
}

// Runs of separators after the first `keep` bytes as one, stepping over double-byte
// characters so that a trail byte 0x5C is never taken for one. GetFullPathName does this on
// Windows; Wine leaves the runs of a UNC path.
void CollapseSeparators(char* path, size_t keep) {
    size_t from = keep;
    size_t to = keep;
    int afterSeparator = 0;
    while (path[from] != '\0') {
        if (_ismbblead(static_cast<unsigned char>(path[from])) && path[from + 1] != '\0') {
            path[to++] = path[from++];
            path[to++] = path[from++];
            afterSeparator = 0;
        } else if (path[from] == '\\' && afterSeparator) {
            from++;
        } else {
            afterSeparator = path[from] == '\\';
            path[to++] = path[from++];
        }
    }
    path[to] = '\0';
}

} // namespace

int CanonicalPath(const char* path, char* out, size_t capacity) {
    if (!out || capacity == 0)
        return 0;
    out[0] = '\0';
    if (!path || path[0] == '\0' || EndsInLeadByte(path) || !IsFullyQualified(path) ||
        capacity > MAXDWORD)
        return 0;
    DWORD length = GetFullPathNameA(path, static_cast<DWORD>(capacity), out, nullptr);
    if (length == 0 || length >= capacity) {
        out[0] = '\0';
        return 0;
    }
    CollapseSeparators(out, IsSeparator(path[0]) ? 2 : 0); // "\\server" keeps its two
    return 1;
}
