#include "SysTestSupport.h"

#include <mbctype.h>

#include <gtest/gtest.h>

namespace {

// Paths are searched in the ANSI code page, as the application's start-up arranges.
struct AnsiMultibyteCodePage {
    AnsiMultibyteCodePage() { _setmbcp(_MB_CP_ANSI); }
} g_ansiMultibyteCodePage;

std::wstring Extended(const std::string& path) {
    std::wstring wide = Wide(path);
    while (wide.size() > 3 && wide.back() == L'\\')
        wide.pop_back();
    return L"\\\\?\\" + wide;
}

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

DWORD WideAttributes(const std::string& path) {
    return GetFileAttributesW(Extended(path).c_str());
}

bool WideExists(const std::string& path) {
    return WideAttributes(path) != INVALID_FILE_ATTRIBUTES;
}

void RemoveAll(const std::string& path) {
    RemoveAllWide(Extended(path));
}

bool WriteFileBytes(const std::string& path, const std::string& content) {
    HANDLE file = CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, NULL);
    CloseHandle(file);
    return ok && written == content.size();
}

std::string TestFolder() {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    CreateDirectoryA("C:\\varnock-tests", NULL);
    CreateDirectoryA("C:\\varnock-tests\\sys", NULL);
    std::string folder =
        std::string("C:\\varnock-tests\\sys\\") + info->test_suite_name() + "." + info->name();
    RemoveAll(folder);
    CreateDirectoryA(folder.c_str(), NULL);
    return folder + "\\";
}

std::string ExecutableFolder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    std::string folder(path, length < sizeof path ? length : 0);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}
