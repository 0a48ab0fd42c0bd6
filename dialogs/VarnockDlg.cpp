#include "dialogs/VarnockDlg.h"

#include "dialogs/AboutDlg.h"
#include "dialogs/BarNames.h"
#include "dialogs/Banner.h"
#include "dialogs/CompletionText.h"
#include "dialogs/ExitStatus.h"
#include "progress/Progress.h"
#include "framework/CPaintDC.h"
#include "framework/CWinApp.h"
#include "framework/CWinThread.h"
#include "framework/ResourceString.h"
#include "log/Log.h"
#include "res/ResourceIds.h"
#include "update/UpdateResult.h"
#include "update/UpdateWorker.h"

CString g_doneText;

namespace {

// The log's line number of the completion line, fixed so that logs compare across versions.
const int kLogDoneLine = 197;

} // namespace

void LogUpdateDone(WPARAM wParam, LPARAM lParam) {
    LOG_WRITE_AT(kLogDoneLine, "スレッド終了 wParam = %d , lParam = %d .", static_cast<int>(wParam),
                 static_cast<int>(lParam));
}

CVarnockDlg::CVarnockDlg(CDialog* parent)
    : CDialog(IDD_VARNOCK_DIALOG, parent), m_completionCode(UPDATE_ERR_INTERNAL) {
    m_hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

BOOL CVarnockDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE);
    if (systemMenu) {
        CString about = ResourceString(IDS_ABOUTBOX);
        if (!about.IsEmpty()) {
            AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, about);
        }
    }

    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    SetWindowTextA(m_hWnd, ResourceString(IDS_CAPTION));

    // Stored before the worker starts, never changed afterwards: the worker reads them
    // without a lock.
    g_hDialog = m_hWnd;
    g_hStepBar = GetDlgItem(IDC_STEP_BAR);
    g_hFileBar = GetDlgItem(IDC_FILE_BAR);
    g_hFileLabel = GetDlgItem(IDC_FILE_LABEL);
    NameProgressBars(g_hStepBar, g_hFileBar);
    FitBanner(&m_banner, m_hWnd);

    if (!AfxBeginThread(UpdateWorker, nullptr)) {
        PostMessageA(m_hWnd, WM_UPDATE_DONE, UPDATE_ERR_THREAD,
                     static_cast<LPARAM>(GetLastError()));
    }
    return TRUE;
}

void CVarnockDlg::OnOK() {}

void CVarnockDlg::OnCancel() {}

void CVarnockDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CVarnockDlg::OnPaint() {
    if (!IsIconic(m_hWnd)) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(m_hWnd);
    SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    int iconWidth = GetSystemMetrics(SM_CXICON);
    int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(m_hWnd, &client);
    int x = (client.right - client.left - iconWidth + 1) / 2;
    int y = (client.bottom - client.top - iconHeight + 1) / 2;
    DrawIcon(dc.m_hDC, x, y, m_hIcon);
}

int CVarnockDlg::GetExitStatus() const {
    return ExitStatus(m_completionCode, g_setupExitCode);
}

HCURSOR CVarnockDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

BOOL CVarnockDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_UPDATE_PROGRESS) {
        ShowFileProgress(static_cast<int>(wParam), static_cast<int>(lParam));
        *result = 0;
        return TRUE;
    }
    if (message != WM_UPDATE_DONE)
        return FALSE;
    *result = OnUpdateDone(wParam, lParam);
    return TRUE;
}

LRESULT CVarnockDlg::OnUpdateDone(WPARAM wParam, LPARAM lParam) {
    LogUpdateDone(wParam, lParam);

    // A value outside the table (none is ever posted) is reported as the internal error.
    int code = wParam < UPDATE_RESULT_COUNT ? static_cast<int>(wParam) : UPDATE_ERR_INTERNAL;
    if (g_doneText.IsEmpty())
        g_doneText = CompletionText(code);

    CString caption = ResourceString(IDS_CAPTION);
    if (wParam != UPDATE_OK) {
        m_completionCode = CompletionCode(code);
        MessageBoxA(m_hWnd, g_doneText, caption, MB_OK | MB_ICONEXCLAMATION);
        EndDialog(IDCANCEL);
    } else {
        m_completionCode = UPDATE_OK;
        MessageBoxA(m_hWnd, ResourceString(IDS_DONE), caption, MB_OK | MB_ICONINFORMATION);
        EndDialog(IDOK);
    }
    return 0;
}
