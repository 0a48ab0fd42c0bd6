// Wrappers of the system's file calls that take narrow ANSI paths of any length.
//
// A path shorter than LONG_PATH_THRESHOLD bytes goes to the ordinary ANSI call unchanged. A
// longer one is prefixed with "\\?\" (a UNC path \\server\share becomes \\?\UNC\server\share),
// converted from the ANSI code page to UTF-16 and handed to the wide call. The prefix switches
// off the system's own normalisation, so such paths must be absolute, use backslashes and
// contain no "." or ".." parts. LongCreateDirectory always takes the wide route.
//
// Each wrapper returns exactly what the system call returns. When its own work fails it
// returns the value named below and sets the last error: ERROR_FILENAME_EXCED_RANGE when the
// prefixed path with its NUL exceeds LONG_PATH_MAX bytes, ERROR_NOT_ENOUGH_MEMORY when its
// buffer cannot be allocated, or the conversion's error. Nothing is created then. The wide
// route allocates its buffer per call and releases it before returning.
#pragma once

#include <windows.h>
#include <stddef.h>

#define LONG_PATH_THRESHOLD 260
#define LONG_PATH_MAX 32768

// Returns the attribute bits, or INVALID_FILE_ATTRIBUTES on failure.
DWORD LongGetFileAttributes(const char* path);

// Returns non-zero on success, 0 on failure.
BOOL LongSetFileAttributes(const char* path, DWORD attributes);

// Takes CreateFile's further parameters unchanged. Returns the handle, INVALID_HANDLE_VALUE
// when the system call failed, or a null handle when the wrapper's own work failed. Callers
// treat both INVALID_HANDLE_VALUE and null as failure.
HANDLE LongCreateFile(const char* path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                      DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);

// Returns non-zero on success, 0 on failure.
BOOL LongDeleteFile(const char* path);

// Creates the folder through the wide call whatever the length of `path`. Returns non-zero
// on success, 0 on failure (ERROR_ALREADY_EXISTS when something is already there).
BOOL LongCreateDirectory(const char* path, LPSECURITY_ATTRIBUTES sa);

// BuildExtendedPath writes the prefixed form of `path` ("\\?\" + path, or "\\?\UNC" + path
// without its first byte when it begins with two backslashes) with its NUL into `out`, a
// buffer of `capacity` bytes. Returns the length written without the NUL, or 0 (with `out`
// holding the empty string when capacity allows) when it does not fit or an argument is null.
size_t BuildExtendedPath(const char* path, char* out, size_t capacity);

// BuildExtendedPathW is BuildExtendedPath for a UTF-16 path, `capacity` counting WCHARs, except
// that a path already beginning with "\\?\" is copied unchanged. Same results.
size_t BuildExtendedPathW(const WCHAR* path, WCHAR* out, size_t capacity);
