#include "update/CrashCode.h"

int IsCrashCode(DWORD exitCode) {
    static const DWORD kExceptionCodes[] = {0x80000003u, 0xE06D7363u, 0xE0434352u, 0xE0434F4Du};
    if ((exitCode & 0xF0000000u) == 0xC0000000u)
        return 1;
    for (DWORD code : kExceptionCodes)
        if (exitCode == code)
            return 1;
    return 0;
}
