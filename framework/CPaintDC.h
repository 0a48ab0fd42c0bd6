// CPaintDC: BeginPaint on construction, EndPaint on destruction.
#pragma once

#include <windows.h>

class CPaintDC {
public:
    explicit CPaintDC(HWND hwnd) : m_hWnd(hwnd) { m_hDC = BeginPaint(hwnd, &m_ps); }
    ~CPaintDC() { EndPaint(m_hWnd, &m_ps); }

    HDC m_hDC;
    PAINTSTRUCT m_ps;

private:
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HWND m_hWnd;
};
