// The GUI tests' setup program (packed as Brennick.exe), so that a test can act while the
// update runs. It writes what it was started with to the file named by VARNOCK_SETUP_RECORD,
// then waits until the file named by VARNOCK_RELEASE exists (at most two minutes), and exits
// with VARNOCK_SETUP_EXIT (decimal or 0x hexadecimal; default 0).
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char record[MAX_PATH] = "";
    char release[MAX_PATH] = "";
    GetEnvironmentVariableA("VARNOCK_SETUP_RECORD", record, sizeof record);
    GetEnvironmentVariableA("VARNOCK_RELEASE", release, sizeof release);

    if (record[0]) {
        char folder[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof folder, folder);
        char text[2 * MAX_PATH + 64];
        int length = snprintf(text, sizeof text, "command line: %s\r\ncurrent folder: %s\r\n",
                              GetCommandLineA(), folder);
        DWORD size = length < 0 ? 0 : static_cast<DWORD>(length);
        if (size >= sizeof text)
            size = sizeof text - 1;
        HANDLE out = CreateFileA(record, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (out != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(out, text, size, &written, nullptr);
            CloseHandle(out);
        }
    }
    for (int waited = 0; release[0] && waited < 120000; waited += 50) {
        if (GetFileAttributesA(release) != INVALID_FILE_ATTRIBUTES)
            break;
        Sleep(50);
    }
    char code[32] = "";
    DWORD length = GetEnvironmentVariableA("VARNOCK_SETUP_EXIT", code, sizeof code);
    return length > 0 && length < sizeof code ? static_cast<int>(strtoul(code, nullptr, 0)) : 0;
}
