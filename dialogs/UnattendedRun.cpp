#include "dialogs/UnattendedRun.h"

#include "dialogs/ExitStatus.h"
#include "dialogs/VarnockDlg.h"
#include "framework/CWinApp.h"
#include "framework/CWinThread.h"
#include "progress/Progress.h"
#include "update/UpdateResult.h"
#include "update/UpdateWorker.h"

#include <windows.h>

namespace {

// Logs the run's completion and gives its exit status.
int Done(WPARAM wParam, LPARAM lParam) {
    LogUpdateDone(wParam, lParam);
    int code = wParam < UPDATE_RESULT_COUNT ? static_cast<int>(wParam) : UPDATE_ERR_INTERNAL;
    return ExitStatus(code, g_setupExitCode);
}

} // namespace

int RunWithoutDialog() {
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  AfxGetResourceHandle(), nullptr);
    if (!window)
        return Done(UPDATE_ERR_THREAD, static_cast<LPARAM>(GetLastError()));
    g_hDialog = window;
    if (!AfxBeginThread(UpdateWorker, nullptr))
        PostMessageA(window, WM_UPDATE_DONE, UPDATE_ERR_THREAD,
                     static_cast<LPARAM>(GetLastError()));

    int status = ExitStatus(UPDATE_ERR_INTERNAL, 0);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == window && message.message == WM_UPDATE_DONE) {
            status = Done(message.wParam, message.lParam);
            break;
        }
        DispatchMessageA(&message);
    }
    DestroyWindow(window);
    return status;
}
