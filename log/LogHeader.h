// The header that opens every log line.
#pragma once

#include <windows.h>

#define LOG_HEADER_BUFFER_SIZE 1024

// Formats "[YYYY/MM/DD hh:mm:ss] <sourceFile> <line> <threadId> : " into `out`, which holds
// LOG_HEADER_BUFFER_SIZE bytes: the time zero-padded, the line in decimal, the thread
// identifier in lowercase hexadecimal without prefix or leading zeros. sourceFile must be
// NUL-terminated; a header that would not fit is cut to 1,023 bytes. Returns the header's
// length in bytes, without its NUL.
int FormatLogHeader(char* out, const SYSTEMTIME& time, const char* sourceFile, int line,
                    DWORD threadId);
