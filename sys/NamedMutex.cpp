#include "sys/NamedMutex.h"

NamedMutex::~NamedMutex() {
    if (m_owned)
        ReleaseMutex(m_handle.Get());
}

int NamedMutex::Acquire(const char* name, DWORD timeoutMs) {
    m_handle.Reset(CreateMutexA(NULL, FALSE, name));
    if (!m_handle.IsValid())
        return 0;
    DWORD waited = WaitForSingleObject(m_handle.Get(), timeoutMs);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        m_owned = 1;
        return 1;
    }
    if (waited == WAIT_TIMEOUT)
        SetLastError(ERROR_TIMEOUT);
    return 0;
}
