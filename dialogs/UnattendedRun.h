// The update where nobody can answer: the worker without the progress dialog.
#pragma once

// RunWithoutDialog runs UpdateWorker on a thread of its own, as the progress dialog does, and
// shows nothing: no dialog, no message box. The worker's WM_UPDATE_DONE goes to a message-only
// window of the calling thread, which is g_hDialog for the run (the bar and label handles stay
// null, so the progress operations do nothing); the completion line is logged as the dialog
// logs it (LogUpdateDone). Waits for that message without a time limit of its own: the worker
// always posts one.
//
// Returns the process exit status for the reported code (dialogs/ExitStatus.h). When the
// window cannot be made or the thread cannot start, the run is UPDATE_ERR_THREAD with the
// system error, logged the same way; when the thread's message queue fails before the
// message arrives, UPDATE_ERR_INTERNAL (nothing logged).
int RunWithoutDialog();
