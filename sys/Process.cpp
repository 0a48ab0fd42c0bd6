#include "sys/Process.h"

#include <stdlib.h>
#include <string.h>

#include "sys/Handle.h"

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
    OwnedHandle thread(process.hThread);
    OwnedHandle child(process.hProcess);

    if (WaitForSingleObject(child.Get(), INFINITE) != WAIT_OBJECT_0)
        return 0;
    DWORD code = 0;
    if (!GetExitCodeProcess(child.Get(), &code))
        return 0;
    if (exitCode)
        *exitCode = code;
    return 1;
}
