#include "framework/ScaledBitmap.h"

namespace {

const int kMaxScale = 8; // 768 DPI for a picture drawn for 96

// A copy of `source` (width x height) stretched to `width` x `height` with HALFTONE, as a
// 24-bit DIB section; null on failure.
HBITMAP Stretch(HBITMAP source, int sourceWidth, int sourceHeight, int width, int height) {
    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;

    HDC screen = GetDC(nullptr);
    if (!screen)
        return nullptr;
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    BOOL drawn = FALSE;
    if (copy && from && to) {
        HGDIOBJ oldFrom = SelectObject(from, source);
        HGDIOBJ oldTo = SelectObject(to, copy);
        SetStretchBltMode(to, HALFTONE);
        SetBrushOrgEx(to, 0, 0, nullptr); // HALFTONE needs it set after the mode
        drawn = StretchBlt(to, 0, 0, width, height, from, 0, 0, sourceWidth, sourceHeight, SRCCOPY);
        SelectObject(to, oldTo);
        SelectObject(from, oldFrom);
    }
    if (to)
        DeleteDC(to);
    if (from)
        DeleteDC(from);
    ReleaseDC(nullptr, screen);
    if (!drawn && copy) {
        DeleteObject(copy);
        copy = nullptr;
    }
    return copy;
}

} // namespace

CScaledBitmap::~CScaledBitmap() {
    if (m_bitmap)
        DeleteObject(m_bitmap);
}

int CScaledBitmap::Fit(HWND control, int width, int height) {
    if (width <= 0 || height <= 0 || m_bitmap)
        return -1;
    HBITMAP source =
        reinterpret_cast<HBITMAP>(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP own;
    RECT box = {0, 0, width, height};
    if (!source || !GetObjectA(source, sizeof own, &own) || own.bmWidth <= 0 || own.bmHeight <= 0 ||
        !MapDialogRect(GetParent(control), &box))
        return -1;
    // The shape kept: the width fills the box unless the height would then overflow it.
    int fitWidth = box.right;
    int fitHeight = MulDiv(own.bmHeight, box.right, own.bmWidth);
    if (fitHeight > box.bottom) {
        fitHeight = box.bottom;
        fitWidth = MulDiv(own.bmWidth, box.bottom, own.bmHeight);
    }
    if (fitWidth == own.bmWidth && fitHeight == own.bmHeight)
        return 0;
    if (fitWidth <= 0 || fitHeight <= 0 || fitWidth > own.bmWidth * kMaxScale)
        return -1;
    HBITMAP copy = Stretch(source, own.bmWidth, own.bmHeight, fitWidth, fitHeight);
    if (!copy)
        return -1;
    // The static gives its former bitmap back and forgets it: deleted here, or it leaks.
    HGDIOBJ former = reinterpret_cast<HGDIOBJ>(
        SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(copy)));
    if (former && former != copy)
        DeleteObject(former);
    SetWindowPos(control, nullptr, 0, 0, fitWidth, fitHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_bitmap = copy;
    return 1;
}
