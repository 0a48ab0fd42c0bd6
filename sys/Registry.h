// Reading string values from the registry.
#pragma once

#include <windows.h>

#include "base/CString.h"

// Largest value data read, terminating NUL included: a value's text may hold 1023 bytes.
#define REG_STRING_BUFFER_SIZE 1024

// ReadRegString opens `subKey` under `root` for KEY_QUERY_VALUE only, reads the value
// `valueName` (null or "" names the key's default value) and closes the key again. It looks in
// the registry's 32-bit view first (KEY_WOW64_32KEY: where a 32-bit installer's values live on
// 64-bit Windows) and, when the key cannot be opened there or holds no such value, in the 64-bit
// view (KEY_WOW64_64KEY). A value found in the 32-bit view is the one read, also when it is then
// refused below.
// Returns 1 when `out` now holds the value's text: the bytes up to the first NUL, or, when
// the returned data hold no NUL, all the returned bytes and never more. Returns 0, with `out`
// untouched, when the key cannot be opened, the value is missing or refused, its data exceed
// REG_STRING_BUFFER_SIZE bytes, its type is not REG_SZ (REG_EXPAND_SZ is not expanded but
// refused), or the text cannot be stored.
int ReadRegString(HKEY root, const char* subKey, const char* valueName, CString& out);
