#include "framework/CDialog.h"

#include "framework/CWinApp.h"

CDialog::CDialog(UINT templateId, CDialog* parent)
    : m_hWnd(nullptr), m_templateId(templateId), m_parent(parent), m_default(false) {}

CDialog::~CDialog() {}

INT_PTR CDialog::DoModal() {
    HWND owner = nullptr;
    if (m_parent) {
        owner = m_parent->m_hWnd;
    } else {
        CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd && app->m_pMainWnd != this)
            owner = app->m_pMainWnd->m_hWnd;
    }
    return DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_templateId), owner,
                           DialogProc, reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int result) {
    if (m_hWnd)
        ::EndDialog(m_hWnd, result);
}

HWND CDialog::GetDlgItem(int id) const {
    return m_hWnd ? ::GetDlgItem(m_hWnd, id) : nullptr;
}

BOOL CDialog::OnInitDialog() {
    return TRUE;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::OnSysCommand(UINT, LPARAM) {
    Default();
}

void CDialog::OnPaint() {
    Default();
}

HCURSOR CDialog::OnQueryDragIcon() {
    return nullptr;
}

BOOL CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) {
    return FALSE;
}

void CDialog::Default() {
    m_default = true;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->m_hWnd = hwnd;
    } else {
        self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!self)
        return FALSE;
    INT_PTR handled = self->Dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
    }
    return handled;
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        CenterWindow();
        return OnInitDialog();
    case WM_COMMAND:
        // Menu, accelerator and button notifications only; not edit or list notifications.
        if (HIWORD(wParam) != 0 && HIWORD(wParam) != 1)
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOK();
            return TRUE;
        case IDCANCEL:
            OnCancel();
            return TRUE;
        case ID_HELP:
            if (AfxGetApp())
                AfxGetApp()->OnHelp();
            return TRUE;
        }
        return FALSE;
    case WM_HELP:
        if (AfxGetApp())
            AfxGetApp()->OnHelp();
        return TRUE;
    case WM_SYSCOMMAND:
    case WM_PAINT: {
        // Saved and restored: a member may run a nested modal loop (the About box).
        bool outer = m_default;
        m_default = false;
        if (message == WM_SYSCOMMAND)
            OnSysCommand(static_cast<UINT>(wParam), lParam);
        else
            OnPaint();
        bool useDefault = m_default;
        m_default = outer;
        return useDefault ? FALSE : TRUE;
    }
    case WM_QUERYDRAGICON:
        // One of the messages whose dialog-procedure result is the message's result.
        return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    }
    LRESULT result = 0;
    if (!OnMessage(message, wParam, lParam, &result))
        return FALSE;
    SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

void CDialog::CenterWindow() {
    RECT self;
    if (!GetWindowRect(m_hWnd, &self))
        return;
    RECT area;
    HMONITOR monitor = MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info;
    info.cbSize = sizeof info;
    if (monitor && GetMonitorInfoA(monitor, &info))
        area = info.rcWork;
    else if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0))
        return;

    RECT around = area;
    HWND owner = GetWindow(m_hWnd, GW_OWNER);
    if (owner && IsWindowVisible(owner) && !IsIconic(owner))
        GetWindowRect(owner, &around);

    int width = self.right - self.left;
    int height = self.bottom - self.top;
    int x = around.left + (around.right - around.left - width) / 2;
    int y = around.top + (around.bottom - around.top - height) / 2;
    // Keep the whole dialog, title bar first, on the work area.
    if (x + width > area.right)
        x = area.right - width;
    if (x < area.left)
        x = area.left;
    if (y + height > area.bottom)
        y = area.bottom - height;
    if (y < area.top)
        y = area.top;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
