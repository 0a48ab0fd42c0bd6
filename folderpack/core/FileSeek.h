// Seeking in a C library stream with 64-bit offsets, the one place that knows each platform's
// call for it. Portable.
#pragma once

#include <stdint.h>
#include <stdio.h>

// Moves `file` to `offset` bytes from `origin` (SEEK_SET, SEEK_CUR or SEEK_END). 0 on success;
// nonzero when the stream cannot move there (the position is then undefined).
int FpSeekFile(FILE* file, uint64_t offset, int origin);

// The length of `file`, measured at its end; the stream is left at its start. 0 when the end
// cannot be reached.
uint64_t FpFileLength(FILE* file);
