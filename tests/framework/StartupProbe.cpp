// A framework program that reports, as its exit code, what was in place when its own code ran:
// bit 0: a static object saw a multibyte code page other than the ANSI one when it was built;
// bit 1: InitInstance saw one; bit 2: a DLL beside the executable was loaded by name.
// The planted DLL must still load by its full path (bit 3 otherwise), so bit 2 means something.
#include "framework/CWinApp.h"

#include <mbctype.h>
#include <string.h>

namespace {

struct EarlyObserver {
    int codePage;
    EarlyObserver() : codePage(_getmbcp()) {}
} s_observer;

class ProbeApp : public CWinApp {
public:
    BOOL InitInstance() override {
        int code = 0;
        int ansi = static_cast<int>(GetACP());
        if (s_observer.codePage != ansi)
            code |= 1;
        if (_getmbcp() != ansi)
            code |= 2;
        HMODULE planted = LoadLibraryA("vk_planted.dll");
        if (planted) {
            code |= 4;
            FreeLibrary(planted);
        }
        char path[MAX_PATH];
        DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
        char* slash = strrchr(path, '\\');
        if (length == 0 || length >= MAX_PATH || !slash ||
            static_cast<size_t>(slash + 1 - path) + sizeof "vk_planted.dll" > sizeof path)
            return FALSE;
        memcpy(slash + 1, "vk_planted.dll", sizeof "vk_planted.dll");
        planted = LoadLibraryA(path);
        if (!planted)
            code |= 8;
        else
            FreeLibrary(planted);
        SetExitCode(code);
        return FALSE;
    }
} theApp;

} // namespace
