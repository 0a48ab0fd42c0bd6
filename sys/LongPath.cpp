#include "sys/LongPath.h"

#include <stdlib.h>
#include <string.h>

static const char EXTENDED_PREFIX[] = "\\\\?\\";
static const char EXTENDED_UNC_PREFIX[] = "\\\\?\\UNC";

namespace {

// The one place the prefix is built, for narrow and wide paths alike: "\\?\" + path, or
// "\\?\UNC" + path without its first character when it begins with two backslashes.
template <typename Char> size_t BuildExtended(const Char* path, Char* out, size_t capacity) {
    if (!path || !out || capacity == 0)
        return 0;
    out[0] = 0;
    const char* prefix = EXTENDED_PREFIX;
    const Char* rest = path;
    if (path[0] == '\\' && path[1] == '\\') {
        prefix = EXTENDED_UNC_PREFIX;
        rest = path + 1;
    }
    size_t prefixLength = strlen(prefix);
    size_t restLength = 0;
    while (restLength < capacity && rest[restLength])
        restLength++;
    if (prefixLength + restLength + 1 > capacity)
        return 0;
    for (size_t i = 0; i < prefixLength; i++)
        out[i] = Char(prefix[i]);
    for (size_t i = 0; i <= restLength; i++)
        out[prefixLength + i] = rest[i];
    return prefixLength + restLength;
}

// Whether a wide path is in the extended form already.
int IsExtendedW(const WCHAR* path) {
    if (!path)
        return 0;
    for (size_t i = 0; EXTENDED_PREFIX[i]; i++) {
        if (path[i] != WCHAR(EXTENDED_PREFIX[i]))
            return 0;
    }
    return 1;
}

} // namespace

size_t BuildExtendedPath(const char* path, char* out, size_t capacity) {
    return BuildExtended(path, out, capacity);
}

size_t BuildExtendedPathW(const WCHAR* path, WCHAR* out, size_t capacity) {
    if (path && IsExtendedW(path)) {
        size_t length = wcsnlen(path, capacity);
        if (!out || length + 1 > capacity) {
            if (out && capacity > 0)
                out[0] = 0;
            return 0;
        }
        memcpy(out, path, (length + 1) * sizeof(WCHAR));
        return length;
    }
    return BuildExtended(path, out, capacity);
}

namespace {

// The wide form of one long path, built on the heap and released with the object.
class WidePath {
public:
    explicit WidePath(const char* path) : m_wide(nullptr) {
        if (!path) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return;
        }
        // The longest prefix adds 7 bytes; measure no further than the limit allows.
        size_t length = strnlen(path, LONG_PATH_MAX);
        size_t narrowSize = length + sizeof(EXTENDED_UNC_PREFIX);
        if (narrowSize > LONG_PATH_MAX)
            narrowSize = LONG_PATH_MAX;
        char* narrow = static_cast<char*>(malloc(narrowSize));
        if (!narrow) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return;
        }
        if (BuildExtendedPath(path, narrow, narrowSize) == 0) {
            free(narrow);
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return;
        }
        // A code-page-932 character never needs more UTF-16 units than it has bytes.
        m_wide = static_cast<WCHAR*>(malloc(narrowSize * sizeof(WCHAR)));
        if (!m_wide) {
            free(narrow);
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return;
        }
        if (MultiByteToWideChar(CP_ACP, 0, narrow, -1, m_wide, static_cast<int>(narrowSize)) == 0) {
            DWORD error = GetLastError();
            free(m_wide);
            m_wide = nullptr;
            SetLastError(error);
        }
        free(narrow);
    }
    ~WidePath() { free(m_wide); }
    WidePath(const WidePath&) = delete;
    WidePath& operator=(const WidePath&) = delete;

    // Null when the path could not be built; the last error then says why.
    const WCHAR* Get() const { return m_wide; }

private:
    WCHAR* m_wide;
};

int IsShortPath(const char* path) {
    return path && strnlen(path, LONG_PATH_THRESHOLD) < LONG_PATH_THRESHOLD;
}

} // namespace

DWORD LongGetFileAttributes(const char* path) {
    if (IsShortPath(path))
        return GetFileAttributesA(path);
    WidePath wide(path);
    if (!wide.Get())
        return INVALID_FILE_ATTRIBUTES;
    return GetFileAttributesW(wide.Get());
}

BOOL LongSetFileAttributes(const char* path, DWORD attributes) {
    if (IsShortPath(path))
        return SetFileAttributesA(path, attributes);
    WidePath wide(path);
    if (!wide.Get())
        return FALSE;
    return SetFileAttributesW(wide.Get(), attributes);
}

HANDLE LongCreateFile(const char* path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                      DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) {
    if (IsShortPath(path))
        return CreateFileA(path, access, share, sa, disposition, flagsAndAttributes, templateFile);
    WidePath wide(path);
    if (!wide.Get())
        return NULL;
    return CreateFileW(wide.Get(), access, share, sa, disposition, flagsAndAttributes,
                       templateFile);
}

BOOL LongDeleteFile(const char* path) {
    if (IsShortPath(path))
        return DeleteFileA(path);
    WidePath wide(path);
    if (!wide.Get())
        return FALSE;
    return DeleteFileW(wide.Get());
}

BOOL LongCreateDirectory(const char* path, LPSECURITY_ATTRIBUTES sa) {
    WidePath wide(path);
    if (!wide.Get())
        return FALSE;
    return CreateDirectoryW(wide.Get(), sa);
}
