#include "sys/Registry.h"

#include <string.h>

#include "sys/Handle.h"

namespace {

// The value's data from one view: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND when the key cannot be
// opened or the value is not there, or the query's own error.
LONG QueryView(HKEY root, const char* subKey, const char* valueName, REGSAM view, char* data,
               DWORD* size, DWORD* type) {
    RegistryKey key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE | view, key.Out()) != ERROR_SUCCESS ||
        !key.IsValid())
        return ERROR_FILE_NOT_FOUND;
    return RegQueryValueExA(key.Get(), valueName, NULL, type, reinterpret_cast<BYTE*>(data), size);
}

} // namespace

int ReadRegString(HKEY root, const char* subKey, const char* valueName, CString& out) {
    char data[REG_STRING_BUFFER_SIZE];
    DWORD size = sizeof data;
    DWORD type = 0;
    LONG status = QueryView(root, subKey, valueName, KEY_WOW64_32KEY, data, &size, &type);
    if (status == ERROR_FILE_NOT_FOUND) {
        size = sizeof data;
        type = 0;
        status = QueryView(root, subKey, valueName, KEY_WOW64_64KEY, data, &size, &type);
    }
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return 0;

    // The text ends at the first NUL, or with the returned data when they hold none.
    if (size > sizeof data)
        size = sizeof data;
    const void* nul = memchr(data, '\0', size);
    size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - data) : size;
    if (length == 0) {
        out.Empty();
        return 1;
    }
    CString text;
    text.Assign(data, length);
    if (text.GetLength() != length)
        return 0;
    out = text;
    return out.GetLength() == length ? 1 : 0;
}
