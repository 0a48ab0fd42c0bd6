// Brennick: the demo payload's setup program. Copies the "server" folder beside it into the
// server installation folder and the "client" folder into the client installation root (both
// from the registry), then writes UpdateRecord.txt in the server folder listing what it
// installed. Exit status 0 on success, 1 when something could not be installed.
#define _CRT_SECURE_NO_WARNINGS
#include <windows.h>

#include <mbctype.h>
#include <mbstring.h>
#include <stdio.h>
#include <string.h>

namespace {

const char kServerKey[] = "SOFTWARE\\TOLVANE\\BaseSrv";
const char kClientKey[] = "SOFTWARE\\TOLVANE\\InstRoot";

int ReadInstallPath(const char* key, char* out, DWORD size) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return 0;
    DWORD type = 0;
    DWORD length = size - 1;
    LONG status = RegQueryValueExA(handle, "InstallPath", nullptr, &type,
                                   reinterpret_cast<BYTE*>(out), &length);
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS || type != REG_SZ || length == 0)
        return 0;
    out[length] = '\0';
    return 1;
}

int Join(char* out, size_t size, const char* folder, const char* name) {
    const unsigned char* last = _mbsrchr(reinterpret_cast<const unsigned char*>(folder), '\\');
    bool separator = last && last[1] == '\0';
    int written = _snprintf(out, size, separator ? "%s%s" : "%s\\%s", folder, name);
    return written >= 0 && static_cast<size_t>(written) < size;
}

struct Record {
    FILE* file;
    int copied;
    int failed;
};

// Copies the tree under `from` into `to`, creating folders as needed.
void CopyTree(const char* from, const char* to, const char* label, Record* record) {
    CreateDirectoryA(to, nullptr);
    char pattern[MAX_PATH];
    if (!Join(pattern, sizeof pattern, from, "*"))
        return;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (strcmp(entry.cFileName, ".") == 0 || strcmp(entry.cFileName, "..") == 0)
            continue;
        char source[MAX_PATH];
        char target[MAX_PATH];
        if (!Join(source, sizeof source, from, entry.cFileName) ||
            !Join(target, sizeof target, to, entry.cFileName)) {
            record->failed++;
            continue;
        }
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CopyTree(source, target, label, record);
            continue;
        }
        SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
        if (CopyFileA(source, target, FALSE)) {
            record->copied++;
            if (record->file)
                fprintf(record->file, "%s %s\r\n", label, target);
        } else {
            record->failed++;
            if (record->file)
                fprintf(record->file, "FAILED %s %s\r\n", label, target);
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    _setmbcp(_MB_CP_ANSI);

    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    if (length == 0 || length >= sizeof self)
        return 1;
    unsigned char* last = _mbsrchr(reinterpret_cast<unsigned char*>(self), '\\');
    if (!last)
        return 1;
    *last = '\0';

    char server[MAX_PATH];
    char client[MAX_PATH];
    if (!ReadInstallPath(kServerKey, server, sizeof server) ||
        !ReadInstallPath(kClientKey, client, sizeof client))
        return 1;

    char recordPath[MAX_PATH];
    if (!Join(recordPath, sizeof recordPath, server, "UpdateRecord.txt"))
        return 1;
    Record record = {fopen(recordPath, "wb"), 0, 0};
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (record.file)
        fprintf(record.file, "Brennick %04d/%02d/%02d %02d:%02d:%02d\r\n", now.wYear, now.wMonth,
                now.wDay, now.wHour, now.wMinute, now.wSecond);

    char from[MAX_PATH];
    if (Join(from, sizeof from, self, "server"))
        CopyTree(from, server, "server", &record);
    if (Join(from, sizeof from, self, "client"))
        CopyTree(from, client, "client", &record);

    if (record.file) {
        fprintf(record.file, "copied %d, failed %d\r\n", record.copied, record.failed);
        fclose(record.file);
    }
    return record.failed == 0 && record.copied > 0 ? 0 : 1;
}
