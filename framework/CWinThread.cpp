#include "framework/CWinThread.h"

#include <new>

CWinThread::CWinThread(AFX_THREADPROC proc, LPVOID param)
    : m_hThread(nullptr), m_proc(proc), m_param(param) {}

CWinThread::~CWinThread() {
    if (m_hThread)
        CloseHandle(m_hThread);
}

DWORD CWinThread::ResumeThread() {
    return ::ResumeThread(m_hThread);
}

DWORD WINAPI CWinThread::Start(LPVOID self) {
    CWinThread* thread = static_cast<CWinThread*>(self);
    UINT result = thread->m_proc(thread->m_param);
    delete thread;
    return result;
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize,
                           DWORD createFlags, LPSECURITY_ATTRIBUTES security) {
    if (!proc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    CWinThread* thread = new (std::nothrow) CWinThread(proc, param);
    if (!thread) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // Created suspended so that the handle is stored before the thread can delete the object.
    thread->m_hThread =
        CreateThread(security, stackSize, CWinThread::Start, thread, CREATE_SUSPENDED, nullptr);
    if (!thread->m_hThread) {
        DWORD error = GetLastError();
        delete thread;
        SetLastError(error);
        return nullptr;
    }
    if (priority != THREAD_PRIORITY_NORMAL)
        SetThreadPriority(thread->m_hThread, priority);
    if (!(createFlags & CREATE_SUSPENDED) && ::ResumeThread(thread->m_hThread) == DWORD(-1)) {
        // The thread never ran: end it and report the failure.
        DWORD error = GetLastError();
        TerminateThread(thread->m_hThread, 0);
        delete thread;
        SetLastError(error);
        return nullptr;
    }
    return thread;
}
