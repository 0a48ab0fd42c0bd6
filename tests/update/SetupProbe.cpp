// Stand-in setup program for the worker tests. Appends "<own file name>|<command line>|<cwd>"
// to the file named by VARNOCK_PROBE_LOG, writes the sorted list of everything in its own folder
// (relative paths, folders with a final backslash, one per line) to the file named by
// VARNOCK_PROBE_LIST, and exits with VARNOCK_PROBE_EXIT (decimal or 0x hexadecimal, default 0).
#define _CRT_SECURE_NO_WARNINGS
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

void List(const std::string& folder, const std::string& relative, std::vector<std::string>& out) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + relative + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.push_back(relative + name + "\\");
            List(folder, relative + name + "\\", out);
        } else {
            out.push_back(relative + name);
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self);
    const char* name = strrchr(self, '\\');
    name = name ? name + 1 : self;
    char cwd[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof cwd, cwd);

    char logPath[MAX_PATH];
    if (GetEnvironmentVariableA("VARNOCK_PROBE_LOG", logPath, sizeof logPath) - 1 <
        sizeof logPath - 1) {
        FILE* log = fopen(logPath, "ab");
        if (log) {
            fprintf(log, "%s|%s|%s\n", name, GetCommandLineA(), cwd);
            fclose(log);
        }
    }
    char listPath[MAX_PATH];
    if (GetEnvironmentVariableA("VARNOCK_PROBE_LIST", listPath, sizeof listPath) - 1 <
        sizeof listPath - 1) {
        std::vector<std::string> names;
        List(std::string(static_cast<const char*>(self), name), "", names);
        std::sort(names.begin(), names.end());
        FILE* list = fopen(listPath, "wb");
        if (list) {
            for (const std::string& entry : names)
                fprintf(list, "%s\n", entry.c_str());
            fclose(list);
        }
    }
    char code[32];
    DWORD length = GetEnvironmentVariableA("VARNOCK_PROBE_EXIT", code, sizeof code);
    return length > 0 && length < sizeof code ? static_cast<int>(strtoul(code, nullptr, 0)) : 0;
}
