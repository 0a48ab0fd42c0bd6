#include "progress/Progress.h"

#include <commctrl.h>

HWND g_hDialog = nullptr;
HWND g_hStepBar = nullptr;
HWND g_hFileBar = nullptr;
HWND g_hFileLabel = nullptr;
DWORD g_setupExitCode = 0;

namespace {

// WM_UPDATE_PROGRESS messages posted and not yet shown. The worker waits while this many are:
// far below the system's limit of a queue (10,000 on Windows; Wine has none), so the queue stays
// short and WM_UPDATE_DONE always finds room in it.
const LONG kMaxPendingProgress = 1000;
volatile LONG g_pendingProgress = 0;

} // namespace

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

void PostFileProgress(int entryIndex, int entryCount) {
    if (!g_hDialog || (!g_hFileBar && !g_hFileLabel))
        return;
    while (g_pendingProgress >= kMaxPendingProgress) {
        if (!IsWindow(g_hDialog))
            return;
        Sleep(1);
    }
    InterlockedIncrement(&g_pendingProgress);
    while (!PostMessageA(g_hDialog, WM_UPDATE_PROGRESS, static_cast<WPARAM>(entryIndex),
                         static_cast<LPARAM>(entryCount))) {
        if (GetLastError() != ERROR_NOT_ENOUGH_QUOTA || !IsWindow(g_hDialog)) {
            InterlockedDecrement(&g_pendingProgress);
            return;
        }
        Sleep(1);
    }
}

void ShowFileProgress(int entryIndex, int entryCount) {
    // One posted message handled; never below 0 for a call that none was posted for.
    for (LONG pending = g_pendingProgress; pending > 0; pending = g_pendingProgress) {
        if (InterlockedCompareExchange(&g_pendingProgress, pending - 1, pending) == pending)
            break;
    }
    if (entryIndex <= 0 || entryCount <= 0)
        return;
    // In 64 bits: entryIndex * 1000 overflows 32 bits from about two million entries.
    SetFilePos(static_cast<int>(static_cast<long long>(entryIndex) * 1000 / entryCount));
    char text[256];
    wsprintfA(text, "ファイル展開中： %d ファイル中 %d ファイルを処理完了", entryCount, entryIndex);
    if (g_hFileLabel)
        SetWindowTextA(g_hFileLabel, text);
}
