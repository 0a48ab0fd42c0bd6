// Which exit codes of a setup program are crashes.
#include "update/CrashCode.h"

#include <gtest/gtest.h>

TEST(CrashCode, ExceptionExitsAreCrashesAndOtherCodesAreNot) {
    for (DWORD code : {0xC0000005u, 0xC00000FDu, 0xC0000374u, 0xC0000409u, 0xC0000000u, 0xCFFFFFFFu,
                       0x80000003u, 0xE06D7363u, 0xE0434352u, 0xE0434F4Du})
        EXPECT_EQ(1, IsCrashCode(code)) << std::hex << code;
    for (DWORD code : {0u, 1u, 7u, 1618u, 3010u, 1641u, 0x80000004u, 0x80070005u, 0xD0000000u,
                       0xBFFFFFFFu, 0xE0434353u, 0xFFFFFFFFu})
        EXPECT_EQ(0, IsCrashCode(code)) << std::hex << code;
}
