#include "progress/Progress.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

// A top-level window with two real progress bars, stored as the dialog would store them.
class ProgressBars : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        window = CreateWindowExA(0, "STATIC", "bars", WS_OVERLAPPEDWINDOW, 0, 0, 300, 100, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, window);
        g_hStepBar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 0, 0, 200, 10, window,
                                     nullptr, nullptr, nullptr);
        g_hFileBar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 0, 20, 200, 10, window,
                                     nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, g_hStepBar);
        ASSERT_NE(nullptr, g_hFileBar);
    }
    void TearDown() override {
        DestroyWindow(window);
        g_hStepBar = g_hFileBar = nullptr;
    }

    static int Pos(HWND bar) { return static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0)); }
    static int High(HWND bar) {
        return static_cast<int>(SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
    }
    static int Low(HWND bar) { return static_cast<int>(SendMessageA(bar, PBM_GETRANGE, TRUE, 0)); }

    HWND window = nullptr;
};

DWORD WINAPI MoveFromAnotherThread(LPVOID) {
    SetStepRange(6);
    SetStepPos(4);
    SetFileRange(1000);
    SetFilePos(999);
    return 0;
}

// The worker's side of the file progress: every entry of 5,000 posted to the window (fewer than a
// queue holds on Windows, so the poster never waits here).
DWORD WINAPI PostEveryEntry(LPVOID) {
    for (int i = 1; i <= 5000; i++)
        PostFileProgress(i, 5000);
    return 0;
}

// The window's side: WM_UPDATE_PROGRESS as the dialog handles it.
LRESULT CALLBACK ShowProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_UPDATE_PROGRESS) {
        ShowFileProgress(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

TEST_F(ProgressBars, RangesAndPositionsLandOnTheirBars) {
    SetStepRange(6);
    SetFileRange(1000);
    EXPECT_EQ(0, Low(g_hStepBar));
    EXPECT_EQ(6, High(g_hStepBar));
    EXPECT_EQ(1000, High(g_hFileBar));
    SetStepPos(3);
    SetFilePos(500);
    EXPECT_EQ(3, Pos(g_hStepBar));
    EXPECT_EQ(500, Pos(g_hFileBar));
    // A position outside the range is clamped by the control.
    SetStepPos(9);
    EXPECT_EQ(6, Pos(g_hStepBar));
}

TEST_F(ProgressBars, ARangeKeepsItsLow16Bits) {
    SetFileRange(0x10000 + 1000);
    EXPECT_EQ(1000, High(g_hFileBar));
    SetStepRange(0x12345);
    EXPECT_EQ(0x2345, High(g_hStepBar));
}

TEST_F(ProgressBars, AWorkerThreadWaitsForEachMessage) {
    HANDLE thread = CreateThread(nullptr, 0, MoveFromAnotherThread, nullptr, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    // The sends are handled while this thread waits for messages.
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    CloseHandle(thread);
    EXPECT_EQ(4, Pos(g_hStepBar));
    EXPECT_EQ(6, High(g_hStepBar));
    EXPECT_EQ(999, Pos(g_hFileBar));
}

TEST(Progress, NullHandlesDoNothing) {
    g_hStepBar = g_hFileBar = nullptr;
    SetStepRange(6);
    SetStepPos(1);
    SetFileRange(1000);
    SetFilePos(1);
    EXPECT_EQ(0x8001, WM_UPDATE_DONE);
}

// The worker posts and goes on: it ends before this thread has handled any of its counts, and the
// last count reaches the bar and the label once they are.
TEST_F(ProgressBars, FileProgressIsPostedWithoutWaitingAndTheLastCountIsShown) {
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ShowProgressProc));
    g_hDialog = window;
    g_hFileLabel = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 40, 200, 10, window, nullptr,
                                   nullptr, nullptr);
    SetFileRange(1000);
    HANDLE thread = CreateThread(nullptr, 0, PostEveryEntry, nullptr, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 60000));
    CloseHandle(thread);
    EXPECT_EQ(0, Pos(g_hFileBar));
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    EXPECT_EQ(1000, Pos(g_hFileBar));
    char text[256] = "";
    GetWindowTextA(g_hFileLabel, text, sizeof text);
    EXPECT_STREQ("ファイル展開中： 5000 ファイル中 5000 ファイルを処理完了", text);

    // Without a bar and a label (a run without a dialog) nothing is posted.
    g_hFileBar = g_hFileLabel = nullptr;
    PostFileProgress(1, 1);
    EXPECT_FALSE(PeekMessageA(&msg, window, WM_UPDATE_PROGRESS, WM_UPDATE_PROGRESS, PM_REMOVE));
    g_hDialog = nullptr;
}
