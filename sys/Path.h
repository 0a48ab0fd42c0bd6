// Trailing-separator helpers for narrow paths in the ANSI code page.
//
// The separator is the byte 0x5C. It is found with the runtime's multibyte functions, so the
// trail byte of a double-byte character (as in 0x95 0x5C) never counts as a separator. The
// runtime's multibyte code page must be the ANSI one (_setmbcp(_MB_CP_ANSI) at start-up).
#pragma once

#include <stddef.h>

// HasTrailingBackslash returns 1 when the last character of `path` is a separator, 0
// otherwise, also for the empty string, a null pointer and a text that ends in a lead byte.
int HasTrailingBackslash(const char* path);

// EndsInLeadByte returns 1 when the last byte before the NUL is the lead byte of a double-
// byte character (a truncated character), 0 otherwise and for a null pointer. Such a path
// is malformed: a byte appended to it would become the character's trail byte, and the
// runtime's multibyte searches would read past its NUL. The path and folder functions of sys/
// (Path.h, Folder.h) refuse it; the long-path wrappers (LongPath.h) hand every path to the system
// unchanged, as the system calls they wrap do.
int EndsInLeadByte(const char* path);

// AppendBackslash appends a separator to the NUL-terminated text in `path`, a buffer of
// `capacity` bytes, unless the text already ends with one. It does nothing when the buffer
// has no room for one more byte, when no NUL lies within `capacity` bytes, when the text
// ends in a lead byte (see EndsInLeadByte), or when `path` is null. Nothing is read or written
// outside the buffer.
void AppendBackslash(char* path, size_t capacity);
