// The entry point of a framework program, and what must happen before anything else runs.
#include "framework/CWinApp.h"

#include <commctrl.h>
#include <mbctype.h>

namespace {

// Run before every other static object of the program is constructed: DLLs are looked for
// in the system folder only (no DLL planted beside the executable is ever loaded), and the
// runtime's multibyte functions (_mbsrchr and friends) work in the ANSI code page, so a
// double-byte character's trail byte 0x5C is never taken for a backslash.
struct ProcessStart {
    ProcessStart() {
        typedef BOOL(WINAPI * SetDirectoriesFn)(DWORD);
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        SetDirectoriesFn setDirectories =
            kernel ? reinterpret_cast<SetDirectoriesFn>(reinterpret_cast<void (*)()>(
                         GetProcAddress(kernel, "SetDefaultDllDirectories")))
                   : nullptr;
        if (setDirectories)
            setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
        _setmbcp(_MB_CP_ANSI);
    }
};

} // namespace

#if defined(_MSC_VER)
#pragma warning(disable : 4073)
#pragma init_seg(lib)
static ProcessStart s_processStart;
#else
static ProcessStart s_processStart __attribute__((init_priority(101)));
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CWinApp* app = AfxGetApp();
    if (!app)
        return ERROR_INVALID_FUNCTION;
    app->m_hInstance = instance;

    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&controls);

    app->InitInstance();
    return app->GetExitCode();
}
