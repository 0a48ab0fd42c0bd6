// Ownership of a named mutex shared with other processes.
#pragma once

#include <windows.h>

#include "sys/Handle.h"

class NamedMutex {
public:
    NamedMutex() : m_owned(0) {}
    // Releases the mutex when owned, then closes the handle.
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // Opens or creates the mutex `name` and waits at most `timeoutMs` to own it. Returns 1 when
    // it is owned now (also when its last owner ended without releasing it), and 0 when it
    // stays with another owner after the wait or cannot be opened (the last error is then
    // ERROR_TIMEOUT, or the system's). Call once per object.
    int Acquire(const char* name, DWORD timeoutMs);

private:
    OwnedHandle m_handle;
    int m_owned;
};
