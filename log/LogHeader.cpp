#include "log/LogHeader.h"

int FormatLogHeader(char* out, const SYSTEMTIME& time, const char* sourceFile, int line,
                    DWORD threadId) {
    // wsprintfA never writes more than 1,024 bytes, NUL included.
    int length =
        wsprintfA(out, "[%04d/%02d/%02d %02d:%02d:%02d] %s %d %x : ", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute, time.wSecond, sourceFile, line, threadId);
    if (length < 0) {
        out[0] = '\0';
        return 0;
    }
    return length;
}
