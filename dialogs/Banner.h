// The progress dialog's banner control.
#pragma once

#include <windows.h>

// The first bitmap static (SS_BITMAP) among the children of `dialog`: the banner, whose
// control identifier -1 it shares with a text. Null when there is none.
HWND BannerControl(HWND dialog);
