// CScaledBitmap: a bitmap static's picture drawn at its dialog's scale. Where the dialog's font
// makes the control's template size another size in pixels than the bitmap's (at another
// DPI), the static is given a copy stretched with HALFTONE, which this object owns.
#pragma once

#include <windows.h>

class CScaledBitmap {
public:
    CScaledBitmap() : m_bitmap(nullptr) {}
    // Deletes the stretched copy: destroy the static first.
    ~CScaledBitmap();

    // Fits the picture of `control`, a static with SS_BITMAP, into the control's size in its
    // dialog template, `width` x `height` dialog units, mapped to pixels by the dialog's font:
    // the bitmap, its shape kept, fills that width (or that height, when the height is what
    // limits it). When that is its own size nothing changes; otherwise the static gets a
    // stretched 24-bit copy and takes its size, its top-left corner kept, and the bitmap it
    // showed before (the one it loaded from its template) is deleted.
    // Returns 1 when the copy is in place; 0 when nothing had to change; -1 when the size is
    // not positive, a copy is already in place, the control holds no bitmap, the bitmap would
    // grow more than 8 times or the copy cannot be made, the static left as it was.
    int Fit(HWND control, int width, int height);

    // The stretched copy the static shows, or null (before Fit, when nothing had to change,
    // after a failure).
    HBITMAP Get() const { return m_bitmap; }

private:
    CScaledBitmap(const CScaledBitmap&) = delete;
    CScaledBitmap& operator=(const CScaledBitmap&) = delete;

    HBITMAP m_bitmap;
};
