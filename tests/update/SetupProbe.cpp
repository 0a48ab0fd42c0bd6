// Stand-in setup program for the worker tests. Appends "<own file name>|<command line>|<cwd>"
// to the file named by VARNOCK_PROBE_LOG and exits with VARNOCK_PROBE_EXIT (default 0).
#define _CRT_SECURE_NO_WARNINGS
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

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
    char code[32];
    DWORD length = GetEnvironmentVariableA("VARNOCK_PROBE_EXIT", code, sizeof code);
    return length > 0 && length < sizeof code ? atoi(code) : 0;
}
