#include "TestFiles.h"

namespace {

void RemoveAllWide(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring full = path + L"\\" + name;
            SetFileAttributesW(full.c_str(), entry.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveAllWide(full);
            else if (!DeleteFileW(full.c_str()))
                RemoveDirectoryW(full.c_str());
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!RemoveDirectoryW(path.c_str()))
        DeleteFileW(path.c_str());
}

} // namespace

std::wstring Wide(const std::string& text) {
    int units = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, NULL, 0);
    std::wstring wide(units > 0 ? units : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], units);
    wide.resize(wide.size() - 1);
    return wide;
}

std::wstring ExtendedPath(const std::string& path) {
    std::wstring wide = Wide(path);
    while (wide.size() > 3 && wide.back() == L'\\')
        wide.pop_back();
    return L"\\\\?\\" + wide;
}

DWORD WideAttributes(const std::string& path) {
    return GetFileAttributesW(ExtendedPath(path).c_str());
}

bool PathExists(const std::string& path) {
    return WideAttributes(path) != INVALID_FILE_ATTRIBUTES;
}

void RemoveAll(const std::string& path) {
    RemoveAllWide(ExtendedPath(path));
}

bool ReadWholeFile(const std::string& path, std::string* out) {
    HANDLE file =
        CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    out->clear();
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, NULL) != 0) && got > 0)
        out->append(buffer, got);
    CloseHandle(file);
    return ok;
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
    HANDLE file = CreateFileW(ExtendedPath(path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, NULL);
    CloseHandle(file);
    return ok && written == content.size();
}

namespace {

// The Unix path of a Windows path under Wine, or "".
std::string UnixPath(std::string path) {
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    typedef char*(__cdecl * ToUnix)(const wchar_t*);
    ToUnix toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return std::string();
    char* unix = toUnix(Wide(path).c_str());
    if (!unix)
        return std::string();
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// Starts a Unix program in the Windows folder `folder`. Wine splits its command line at every
// blank (quotes do not help), and its process handle tells neither the end nor the exit status:
// callers pass blank-free arguments and wait for what the program does.
void RunHost(std::string commandLine, const std::string& folder) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(), &startup,
                        &process))
        return;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// The folder and the last component of a Windows path, trailing separators dropped.
void SplitLast(std::string path, std::string* folder, std::string* name) {
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    size_t last = path.rfind('\\');
    *folder = path.substr(0, last + 1);
    *name = path.substr(last + 1);
}

} // namespace

bool MakeHostLink(const std::string& link, const std::string& target) {
    std::string to = UnixPath(target), folder, name;
    SplitLast(link, &folder, &name);
    if (to.empty() || to.find(' ') != std::string::npos || name.find(' ') != std::string::npos)
        return false;
    RunHost("/bin/ln -s " + to + " " + name, folder);
    for (int waited = 0; waited < 5000; waited += 20) {
        DWORD attributes = WideAttributes(link);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return true;
        Sleep(20);
    }
    return false;
}

void RemoveHostLink(const std::string& link) {
    std::string folder, name;
    SplitLast(link, &folder, &name);
    if (name.find(' ') != std::string::npos)
        return;
    RunHost("/bin/rm -f " + name, folder);
    for (int waited = 0; waited < 5000 && PathExists(link); waited += 20)
        Sleep(20);
}
