// CDialog: a modal dialog from a dialog template resource, with one virtual member per message
// the program handles. Messages without a member, and those whose member asks for Default(),
// get the system dialog manager's default processing.
#pragma once

#include <windows.h>

class CDialog {
public:
    // templateId: the dialog template in AfxGetResourceHandle(). parent: the owner; null
    // means the application's main window (AfxGetApp()->m_pMainWnd) when one is showing.
    explicit CDialog(UINT templateId, CDialog* parent = nullptr);
    virtual ~CDialog();

    // Creates the dialog, centred over its owner (on the screen's work area when there is
    // none), and runs its modal loop until EndDialog. Returns the value given to EndDialog,
    // or -1 when the dialog cannot be created (GetLastError tells why).
    INT_PTR DoModal();

    // Ends the modal loop once the current message is handled; DoModal returns `result`.
    void EndDialog(int result);

    // The dialog's window while it exists, else null.
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The control with that id, or null (also when the dialog does not exist).
    HWND GetDlgItem(int id) const;

protected:
    // WM_INITDIALOG, after centring. The result goes to the dialog manager: TRUE gives the
    // focus to the first control that can take it. The base returns TRUE.
    virtual BOOL OnInitDialog();
    // The IDOK and IDCANCEL commands (Enter, the OK button; Escape, the close box, Alt+F4,
    // Close on the system menu). The base ends the dialog with IDOK and IDCANCEL.
    virtual void OnOK();
    virtual void OnCancel();
    // WM_SYSCOMMAND and WM_PAINT. The bases ask for the default processing (Default()).
    virtual void OnSysCommand(UINT nID, LPARAM lParam);
    virtual void OnPaint();
    // WM_QUERYDRAGICON: the cursor to drag a minimised dialog with; null (the base) gives
    // the default.
    virtual HCURSOR OnQueryDragIcon();
    // Every message the members above do not handle (the program's own WM_APP messages, for
    // instance). Returns TRUE when the message was handled, with `*result` the message's
    // result; FALSE leaves it to the dialog manager. The base returns FALSE.
    virtual BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Asks, from inside OnSysCommand or OnPaint, for the dialog manager's default processing
    // of the message being handled, which happens after the member returns.
    void Default();

    HWND m_hWnd;

private:
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void CenterWindow();

    UINT m_templateId;
    CDialog* m_parent;
    bool m_default;
};
