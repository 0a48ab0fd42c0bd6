#include "sys/Registry.h"

#include <string.h>

int ReadRegString(HKEY root, const char* subKey, const char* valueName, CString& out) {
    HKEY key = NULL;
    if (RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS || !key)
        return 0;
    char data[REG_STRING_BUFFER_SIZE];
    DWORD size = sizeof data;
    DWORD type = 0;
    LONG status =
        RegQueryValueExA(key, valueName, NULL, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
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
