// The name assistive technology (MSAA, UI Automation) reads for a control.
#pragma once

#include <windows.h>

// Gives `control` the accessible name `name`, a NUL-terminated text in code page 932 of at
// most 255 bytes, through Dynamic Annotation (PROPID_ACC_NAME on its client object). Where
// the system does not serve annotation (Wine 8 answers E_NOTIMPL), sets the control's window
// text to `name` as well: the name clients then read. Returns 1 when annotated, 2 when the
// window text was set instead, 0 when neither could be done (the name too long or not code
// page 932, no control, or the window text refused).
int SetAccessibleName(HWND control, const char* name);
