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
