#include "progress/Progress.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

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

// The worker's side of the file progress: entries g_firstPost to g_lastPost of 3,000, posted.
int g_firstPost = 0;
int g_lastPost = 0;
DWORD WINAPI PostEntries(LPVOID) {
    for (int i = g_firstPost; i <= g_lastPost; i++)
        PostFileProgress(i, 3000);
    return 0;
}

HANDLE StartPosting(int first, int last) {
    g_firstPost = first;
    g_lastPost = last;
    return CreateThread(nullptr, 0, PostEntries, nullptr, 0, nullptr);
}

// The window's side: WM_UPDATE_PROGRESS as the dialog handles it, each count kept.
std::vector<int> g_shown;
LRESULT CALLBACK ShowProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_UPDATE_PROGRESS) {
        g_shown.push_back(static_cast<int>(wParam));
        ShowFileProgress(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void HandlePosted() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
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

// The worker posts and goes on while up to 1,000 counts wait for the dialog; beyond that it waits
// for the dialog to catch up (Wine's queues have no limit of their own), and every count reaches
// the bar and the label, in order.
TEST_F(ProgressBars, FileProgressIsPostedWithoutWaitingBoundedAndEveryCountIsShown) {
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ShowProgressProc));
    g_hDialog = window;
    g_hFileLabel = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 40, 200, 10, window, nullptr,
                                   nullptr, nullptr);
    SetFileRange(1000);
    g_shown.clear();
    HANDLE thread = StartPosting(1, 1000);
    ASSERT_NE(nullptr, thread);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 60000));
    CloseHandle(thread);
    EXPECT_EQ(0, Pos(g_hFileBar));

    thread = StartPosting(1001, 3000);
    ASSERT_NE(nullptr, thread);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(thread, 300));
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 60000, QS_ALLPOSTMESSAGE) ==
           WAIT_OBJECT_0 + 1)
        HandlePosted();
    CloseHandle(thread);
    HandlePosted();
    ASSERT_EQ(3000u, g_shown.size());
    for (int i = 0; i < 3000; i++)
        ASSERT_EQ(i + 1, g_shown[i]);
    EXPECT_EQ(1000, Pos(g_hFileBar));
    char text[256] = "";
    GetWindowTextA(g_hFileLabel, text, sizeof text);
    EXPECT_STREQ("ファイル展開中： 3000 ファイル中 3000 ファイルを処理完了", text);

    // Without a bar and a label (a run without a dialog) nothing is posted.
    g_hFileBar = g_hFileLabel = nullptr;
    PostFileProgress(1, 1);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, window, WM_UPDATE_PROGRESS, WM_UPDATE_PROGRESS, PM_REMOVE));
    g_hDialog = nullptr;
}
