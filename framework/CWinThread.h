// AfxBeginThread: starts a worker thread that runs a plain function and cleans up after itself.
#pragma once

#include <windows.h>

typedef UINT (*AFX_THREADPROC)(LPVOID param);

// A running worker thread. It deletes itself, closing its handle, when its function returns.
class CWinThread {
public:
    HANDLE m_hThread;

    // Resumes a thread started with CREATE_SUSPENDED. The previous suspend count, or
    // (DWORD)-1 on failure.
    DWORD ResumeThread();

private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD,
                                      LPSECURITY_ATTRIBUTES);
    static DWORD WINAPI Start(LPVOID self);

    CWinThread(AFX_THREADPROC proc, LPVOID param);
    ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    AFX_THREADPROC m_proc;
    LPVOID m_param;
};

// Starts proc(param) on a new thread with the given priority, stack size (0: the default),
// creation flags (0 to run at once, or CREATE_SUSPENDED) and security attributes. The thread's
// result is proc's result.
//
// Returns the thread object, or null when the thread cannot be created; GetLastError() then
// holds the system's reason (ERROR_NOT_ENOUGH_MEMORY when the object cannot be allocated).
// A priority that cannot be set leaves the thread at normal priority. Unless the thread was
// created suspended the object may already be gone when the call returns: a caller that does
// not suspend it may only test the result against null.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD createFlags = 0,
                           LPSECURITY_ATTRIBUTES security = nullptr);
