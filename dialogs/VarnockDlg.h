// CVarnockDlg: the progress dialog, the program's only main window. It starts the update
// worker once its controls exist, cannot be closed by the user, and when the worker's
// WM_UPDATE_DONE arrives logs the result, reports it in a message box and closes.
#pragma once

#include "framework/CDialog.h"
#include "framework/ScaledBitmap.h"
#include "base/CString.h"

#include <windows.h>

// The failure text OnUpdateDone shows; empty until the completion message arrives.
extern CString g_doneText;

// Logs the completion line "スレッド終了 wParam = %d , lParam = %d ." as this file's line 197,
// both values as signed decimals: the progress dialog's first act on WM_UPDATE_DONE, and that
// of a run without a dialog.
void LogUpdateDone(WPARAM wParam, LPARAM lParam);

class CVarnockDlg : public CDialog {
public:
    explicit CVarnockDlg(CDialog* parent = nullptr);

    // The process exit status (dialogs/ExitStatus.h) for the completion code the dialog
    // reported (0 after success, 1 to 9 after a failure; a code outside 0 to 9 reported as 3,
    // whose text it showed; UPDATE_ERR_INTERNAL until the completion message has arrived, when
    // the dialog could not be created, for instance) and the setup program's exit code.
    int GetExitStatus() const;

protected:
    // Adds the About item to the system menu, sets the icons and the title, stores the
    // handles of progress/Progress.h, names the bars (dialogs/BarNames.h), fits the banner to
    // its control at the dialog's scale and starts UpdateWorker; when the thread cannot
    // start, posts WM_UPDATE_DONE with UPDATE_ERR_THREAD and the system's error code to itself.
    BOOL OnInitDialog() override;
    // Enter, Escape, the close box, Alt+F4 and Close on the system menu: nothing happens.
    void OnOK() override;
    void OnCancel() override;
    // The About item opens the About box; every other command gets the default processing.
    void OnSysCommand(UINT nID, LPARAM lParam) override;
    // Minimised, the dialog paints its icon; otherwise the default painting.
    void OnPaint() override;
    HCURSOR OnQueryDragIcon() override;
    // WM_UPDATE_PROGRESS goes to ShowFileProgress, WM_UPDATE_DONE to OnUpdateDone; every other
    // message to the dialog manager.
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    // Logs wParam and lParam, shows the success message (string 104, information icon) or
    // the failure text for wParam (exclamation icon), then ends the dialog with IDOK or
    // IDCANCEL. Returns 0.
    LRESULT OnUpdateDone(WPARAM wParam, LPARAM lParam);

    HICON m_hIcon;
    int m_completionCode;
    CScaledBitmap m_banner; // the banner's picture at the dialog's scale
};
