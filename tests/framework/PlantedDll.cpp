// An empty DLL, placed beside the start-up probe as a stranger would plant one.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
