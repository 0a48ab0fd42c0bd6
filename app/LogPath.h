// Where the log goes: the temporary folder followed by "Varnock_Log.txt".
#pragma once

#include <stddef.h>

// Builds the log's path from `tempFolder` into `out` (capacity bytes): the folder, a
// backslash unless the folder already ends with one, then "Varnock_Log.txt". The trailing
// backslash is found with the multibyte-aware _mbsrchr, so a double-byte character whose
// trail byte is 0x5C (ソ is 83 5C in code page 932) does not count as one.
//
// Returns 1 with the path in `out`; 0 when `tempFolder` is null or empty or the path does
// not fit in `capacity` bytes with its NUL, leaving `out` empty (when capacity > 0) so that
// nothing is logged rather than a cut path used.
int BuildLogPath(const char* tempFolder, char* out, size_t capacity);
