#include "app/LogPath.h"

#include <gtest/gtest.h>
#include <mbctype.h>
#include <string.h>

class LogPath : public ::testing::Test {
protected:
    // As at the program's start: the multibyte functions work in code page 932.
    void SetUp() override { ASSERT_EQ(0, _setmbcp(932)); }
    char out[260];
};

TEST_F(LogPath, OneBackslashBeforeTheName) {
    ASSERT_EQ(1, BuildLogPath("C:\\users\\me\\Temp\\", out, sizeof out));
    EXPECT_STREQ("C:\\users\\me\\Temp\\Varnock_Log.txt", out);
    ASSERT_EQ(1, BuildLogPath("C:\\Temp", out, sizeof out));
    EXPECT_STREQ("C:\\Temp\\Varnock_Log.txt", out);
    ASSERT_EQ(1, BuildLogPath("C:", out, sizeof out));
    EXPECT_STREQ("C:\\Varnock_Log.txt", out);
}

TEST_F(LogPath, ATrailByte5CIsNotASeparator) {
    // ソ is 83 5C and 表 95 5C in code page 932.
    ASSERT_EQ(1, BuildLogPath("C:\\一時ソ", out, sizeof out));
    EXPECT_STREQ("C:\\一時ソ\\Varnock_Log.txt", out);
    ASSERT_EQ(1, BuildLogPath("C:\\表", out, sizeof out));
    EXPECT_STREQ("C:\\表\\Varnock_Log.txt", out);
    ASSERT_EQ(1, BuildLogPath("C:\\表\\", out, sizeof out));
    EXPECT_STREQ("C:\\表\\Varnock_Log.txt", out);
}

TEST_F(LogPath, APathThatDoesNotFitLeavesItEmpty) {
    // 259 bytes with the NUL fit exactly; one byte more does not.
    char folder[300];
    size_t length = 259 - strlen("\\Varnock_Log.txt");
    memset(folder, 'a', length);
    folder[length] = '\0';
    ASSERT_EQ(1, BuildLogPath(folder, out, sizeof out));
    EXPECT_EQ(259u, strlen(out));

    folder[length] = 'a';
    folder[length + 1] = '\0';
    memset(out, 'x', sizeof out);
    EXPECT_EQ(0, BuildLogPath(folder, out, sizeof out));
    EXPECT_STREQ("", out);

    EXPECT_EQ(0, BuildLogPath("", out, sizeof out));
    EXPECT_EQ(0, BuildLogPath(nullptr, out, sizeof out));
    EXPECT_STREQ("", out);
}
