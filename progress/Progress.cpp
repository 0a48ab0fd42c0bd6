#include "progress/Progress.h"

#include <commctrl.h>

HWND g_hDialog = nullptr;
HWND g_hStepBar = nullptr;
HWND g_hFileBar = nullptr;
HWND g_hFileLabel = nullptr;
DWORD g_setupExitCode = 0;

static void SendToBar(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    if (bar)
        SendMessageA(bar, message, wParam, lParam);
}

void SetStepRange(int n) {
    SendToBar(g_hStepBar, PBM_SETRANGE, 0, MAKELPARAM(0, n));
}

void SetStepPos(int pos) {
    SendToBar(g_hStepBar, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}

void SetFileRange(int n) {
    SendToBar(g_hFileBar, PBM_SETRANGE, 0, MAKELPARAM(0, n));
}

void SetFilePos(int pos) {
    SendToBar(g_hFileBar, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}
