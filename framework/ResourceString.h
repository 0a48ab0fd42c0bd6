// Reading entries of the program's string table.
#pragma once

#include "base/CString.h"

#include <windows.h>

// The string table entry `id` of AfxGetResourceHandle(), in the ANSI code page; empty when
// there is none. Entries longer than 1,023 bytes are cut there.
CString ResourceString(UINT id);
