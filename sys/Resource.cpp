#include "sys/Resource.h"

#include <windows.h>

#include "sys/Handle.h"

int FindResourceBytes(const char* resourceName, const char* type, const void** data, DWORD* size) {
    *data = NULL;
    *size = 0;
    HRSRC found = FindResourceA(NULL, resourceName, type);
    if (!found)
        return 0;
    DWORD length = SizeofResource(NULL, found);
    HGLOBAL loaded = LoadResource(NULL, found);
    const void* bytes = loaded ? LockResource(loaded) : NULL;
    if (!bytes && length != 0)
        return 0;
    *data = bytes;
    *size = length;
    return 1;
}

int WriteResourceToFile(const char* resourceName, const char* path, int overwrite) {
    if (!path)
        return 0;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (!overwrite)
            return 0;
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
        if (!DeleteFileA(path))
            return 0;
    }

    OwnedHandle file(CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                 FILE_FLAG_WRITE_THROUGH | FILE_ATTRIBUTE_NORMAL, NULL));
    if (!file.IsValid())
        return 0;

    const void* bytes = NULL;
    DWORD size = 0;
    if (!FindResourceBytes(resourceName, RESOURCE_FILE_TYPE, &bytes, &size))
        return 0;
    DWORD written = 0;
    if (size > 0)
        WriteFile(file.Get(), bytes, size, &written, NULL);
    return written == size;
}
