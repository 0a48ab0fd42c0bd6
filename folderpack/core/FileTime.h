// Times as the format stores them: FILETIME values, 100-nanosecond ticks since 1601-01-01 UTC,
// and their conversion to and from Unix time. Portable.
#pragma once

#include <stdint.h>

// Seconds from 1601-01-01 to 1970-01-01, and FILETIME ticks per second.
#define FP_FILETIME_UNIX_EPOCH 11644473600LL
#define FP_FILETIME_TICKS 10000000

// Unix seconds and nanoseconds as a FILETIME value (nanoseconds below a tick are dropped).
inline uint64_t FpFileTimeFromUnix(int64_t seconds, uint32_t nanoseconds) {
    return uint64_t(seconds + FP_FILETIME_UNIX_EPOCH) * FP_FILETIME_TICKS + nanoseconds / 100;
}

// A FILETIME value as Unix seconds (rounded down, negative before 1970) and nanoseconds
// (0 to 999999900). Values of 2^63 ticks past 1970 and more wrap around.
inline void FpUnixFromFileTime(uint64_t fileTime, int64_t* seconds, uint32_t* nanoseconds) {
    int64_t ticks = int64_t(fileTime - uint64_t(FP_FILETIME_UNIX_EPOCH * FP_FILETIME_TICKS));
    int64_t whole = ticks / FP_FILETIME_TICKS;
    int64_t rest = ticks % FP_FILETIME_TICKS;
    if (rest < 0) {
        rest += FP_FILETIME_TICKS;
        whole--;
    }
    *seconds = whole;
    *nanoseconds = uint32_t(rest * 100);
}
