// The progress dialog's shared handles, its completion message and the progress operations
// through which the update worker moves the dialog's two bars from its own thread.
#pragma once

#include <windows.h>

// Window handles stored by the progress dialog's OnInitDialog before the worker starts, never
// changed afterwards (no lock protects them). Each stays null until then, and stays null when
// the dialog has no control with that id.
extern HWND g_hDialog;    // the progress dialog; target of WM_UPDATE_DONE
extern HWND g_hStepBar;   // progress bar 1000, the step bar (range 0..6)
extern HWND g_hFileBar;   // progress bar 1001, the file bar (range 0..1000)
extern HWND g_hFileLabel; // static text 1002, the file label (the worker sets its text)

// Posted (never sent) to g_hDialog exactly once per run. wParam: the UpdateResult 0..9;
// lParam: a detail value (update/UpdateResult.h: the extractor's code for 5, a system error
// code for 1, 4 and 6, the setup program's exit code for 9, else 0).
#define WM_UPDATE_DONE (WM_APP + 1)

// Posted to g_hDialog for every extracted entry: wParam the entry's number (1-based), lParam the
// archive's entry count. The dialog hands both to ShowFileProgress.
#define WM_UPDATE_PROGRESS (WM_APP + 2)

// The exit code of the setup program that ran to its end, stored by the worker before it
// posts WM_UPDATE_DONE (so whoever receives the message reads it without a lock); 0 when none
// ran. It changes no completion code but UPDATE_ERR_SETUP_CRASHED: a caller may pass a
// success's restart request (3010, 1641) on as the process's exit status.
extern DWORD g_setupExitCode;

// The progress operations. Each may be called from any thread; it sends one message
// (SendMessage, so the caller waits until the dialog's thread has handled it) to the stored
// handle and ignores the result. With a null handle it does nothing and returns.
//
// SetStepRange / SetFileRange: PBM_SETRANGE with minimum 0 and maximum the low 16 bits of n.
// SetStepPos / SetFilePos: PBM_SETPOS with pos; the control clamps a position outside its range.
void SetStepRange(int n);
void SetStepPos(int pos);
void SetFileRange(int n);
void SetFilePos(int pos);

// The file progress of one extracted entry, from the worker: posts WM_UPDATE_PROGRESS to
// g_hDialog and returns without waiting for the dialog's thread. While 1,000 of these messages
// wait in the dialog's queue (or the system's queue is full) it waits for room, so no count is
// dropped and the queue stays bounded; it returns without posting once g_hDialog is gone. Does
// nothing without a file bar and a label (a run without a dialog) or without g_hDialog.
void PostFileProgress(int entryIndex, int entryCount);

// On the dialog's thread, for WM_UPDATE_PROGRESS (counting the message as handled): SetFilePos with
// entryIndex * 1000 / entryCount (truncated; the last entry gives 1000) and the label's text
// "ファイル展開中： %d ファイル中 %d ファイルを処理完了" with entryCount, then entryIndex. Does
// nothing for entryIndex or entryCount of 0 or less.
void ShowFileProgress(int entryIndex, int entryCount);
