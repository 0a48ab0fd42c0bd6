#include "sys/Path.h"

#include <mbctype.h>
#include <mbstring.h>
#include <string.h>

// The runtime's multibyte searches step over a lead byte and its trail byte together; when a
// lead byte is the last byte before the NUL they step over the NUL too and read on. Paths
// are therefore searched only after this check.
int EndsInLeadByte(const char* path) {
    if (!path)
        return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(path);
    while (*p) {
        if (_ismbblead(*p)) {
            if (p[1] == '\0')
                return 1;
            p += 2;
        } else {
            p += 1;
        }
    }
    return 0;
}

int HasTrailingBackslash(const char* path) {
    if (!path || path[0] == '\0' || EndsInLeadByte(path))
        return 0;
    const unsigned char* text = reinterpret_cast<const unsigned char*>(path);
    const unsigned char* last = _mbsrchr(text, '\\');
    return last && last[1] == '\0' ? 1 : 0;
}

void AppendBackslash(char* path, size_t capacity) {
    if (!path || capacity == 0)
        return;
    const void* end = memchr(path, '\0', capacity);
    if (!end)
        return;
    size_t length = static_cast<size_t>(static_cast<const char*>(end) - path);
    if (length + 2 > capacity || HasTrailingBackslash(path) || EndsInLeadByte(path))
        return;
    path[length] = '\\';
    path[length + 1] = '\0';
}
