// The progress dialog's banner control.
#pragma once

#include "framework/ScaledBitmap.h"

#include <windows.h>

// FitBanner stretches the banner of `dialog` (its first bitmap static, whose control identifier
// -1 it shares with a text) into `banner` to fill its control
// (BANNER_WIDTH_DLU x BANNER_HEIGHT_DLU) at the system's scale, and returns what
// CScaledBitmap::Fit returns. At 96 DPI, the scale the picture is drawn for, it changes nothing
// and returns 0, whatever size the dialog's font gives the control.
int FitBanner(CScaledBitmap* banner, HWND dialog);
