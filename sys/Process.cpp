#include "sys/Process.h"

#include <stdlib.h>
#include <string.h>

int RunAndWait(const char* applicationName, const char* commandLine, DWORD* exitCode) {
    // CreateProcessA may write into the command line it is given.
    char* copy = NULL;
    if (commandLine) {
        size_t size = strlen(commandLine) + 1;
        copy = static_cast<char*>(malloc(size));
        if (!copy) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        memcpy(copy, commandLine, size);
    }

    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    BOOL created = CreateProcessA(applicationName, copy, NULL, NULL, FALSE, NORMAL_PRIORITY_CLASS,
                                  NULL, NULL, &startup, &process);
    DWORD error = GetLastError();
    free(copy);
    if (!created) {
        SetLastError(error);
        return 0;
    }

    int ended = 0;
    if (WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0) {
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code)) {
            if (exitCode)
                *exitCode = code;
            ended = 1;
        }
    }
    error = GetLastError();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    SetLastError(error);
    return ended;
}
