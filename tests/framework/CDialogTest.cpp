#include "framework/CDialog.h"
#include "framework/CWinApp.h"
#include "framework/ResourceString.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string>
#include <utility>
#include <vector>

namespace {

const UINT kTemplate = 200;
const UINT kAppStep = WM_APP + 7; // the test's own message: run the next step of the script
const UINT kAppDone = WM_APP + 1; // the test's completion message: ends the dialog with wParam

// A dialog that records which members ran and follows a script of messages posted to itself,
// one at a time, so that each is handled before the next is sent.
class ScriptedDialog : public CDialog {
public:
    explicit ScriptedDialog(std::vector<MSG> script, CDialog* parent = nullptr)
        : CDialog(kTemplate, parent), m_script(std::move(script)) {}

    std::string calls;
    LPARAM doneParam = 0;
    HWND hwndAtInit = nullptr;
    HWND labelAtInit = nullptr;
    RECT rectAtInit = {0, 0, 0, 0};

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        calls += "init ";
        hwndAtInit = m_hWnd;
        labelAtInit = GetDlgItem(300);
        GetWindowRect(m_hWnd, &rectAtInit);
        PostMessageA(m_hWnd, kAppStep, 0, 0);
        return TRUE;
    }
    void OnOK() override { calls += "ok "; }
    void OnCancel() override { calls += "cancel "; }
    void OnSysCommand(UINT nID, LPARAM lParam) override {
        calls += "sys" + std::to_string(nID & 0xFFF0) + " ";
        CDialog::OnSysCommand(nID, lParam);
    }
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (message != kAppDone)
            return CDialog::OnMessage(message, wParam, lParam, result);
        calls += "done" + std::to_string(wParam) + " ";
        doneParam = lParam;
        EndDialog(static_cast<int>(wParam));
        *result = 0;
        return TRUE;
    }

public:
    // Posts the script's next message, then the request for the step after it.
    void Step() {
        if (m_next < m_script.size()) {
            MSG msg = m_script[m_next++];
            PostMessageA(msg.hwnd ? msg.hwnd : m_hWnd, msg.message, msg.wParam, msg.lParam);
            PostMessageA(m_hWnd, kAppStep, 0, 0);
        }
    }

private:
    std::vector<MSG> m_script;
    size_t m_next = 0;
};

MSG Message(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    MSG msg = {};
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    return msg;
}

// The steps are taken from a message hook on the test's thread: the framework's dialog
// procedure does not pass on messages it has no member for.
ScriptedDialog* g_current = nullptr;
HHOOK g_hook = nullptr;

LRESULT CALLBACK StepHook(int code, WPARAM wParam, LPARAM lParam) {
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    if (code >= 0 && msg->message == kAppStep && g_current)
        g_current->Step();
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

INT_PTR RunScripted(ScriptedDialog& dialog) {
    g_current = &dialog;
    g_hook = SetWindowsHookExA(WH_GETMESSAGE, StepHook, nullptr, GetCurrentThreadId());
    INT_PTR result = dialog.DoModal();
    UnhookWindowsHookEx(g_hook);
    g_current = nullptr;
    return result;
}

} // namespace

TEST(CDialog, MembersRunForTheirMessagesAndDoModalReturnsTheResult) {
    ScriptedDialog dialog({
        Message(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)),
        Message(WM_KEYDOWN, VK_RETURN),
        Message(WM_KEYDOWN, VK_ESCAPE),
        Message(WM_CLOSE),
        Message(WM_SYSCOMMAND, SC_CLOSE),
        Message(kAppDone, 5, -9),
    });
    EXPECT_EQ(5, RunScripted(dialog));
    // Enter and Escape reach OnOK and OnCancel; WM_CLOSE and Close on the system menu end
    // in OnCancel through the default processing.
    EXPECT_EQ("init ok ok cancel cancel sys61536 cancel done5 ", dialog.calls);
    EXPECT_EQ(-9, dialog.doneParam);
    EXPECT_NE(nullptr, dialog.hwndAtInit);
    EXPECT_NE(nullptr, dialog.labelAtInit);
    EXPECT_EQ(nullptr, dialog.GetSafeHwnd()); // gone after DoModal
}

TEST(CDialog, IsCentredOnTheWorkArea) {
    ScriptedDialog dialog({Message(kAppDone, 1, 0)});
    RunScripted(dialog);
    RECT area;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    const RECT& r = dialog.rectAtInit;
    EXPECT_LE(abs((r.left - area.left) - (area.right - r.right)), 1);
    EXPECT_LE(abs((r.top - area.top) - (area.bottom - r.bottom)), 1);
}

TEST(CDialog, AMissingTemplateGivesMinusOne) {
    class Missing : public CDialog {
    public:
        Missing() : CDialog(999) {}
    } missing;
    EXPECT_EQ(-1, missing.DoModal());
}

TEST(ResourceString, ReadsTheStringTable) {
    EXPECT_STREQ("\x95\x5c\x8e\xa6\x83\x65\x83\x4c\x83\x58\x83\x67",
                 static_cast<const char*>(ResourceString(201)));
    EXPECT_TRUE(ResourceString(202).IsEmpty());
}
