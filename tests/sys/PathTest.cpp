#include "sys/Path.h"
#include "sys/FullPath.h"

#include <string.h>
#include <windows.h>

#include <gtest/gtest.h>

#include "SysTestSupport.h"

TEST(Path, TrailingSeparator) {
    EXPECT_EQ(0, HasTrailingBackslash(""));
    EXPECT_EQ(0, HasTrailingBackslash(NULL));
    EXPECT_EQ(1, HasTrailingBackslash("\\"));
    EXPECT_EQ(1, HasTrailingBackslash("C:\\TMP\\"));
    EXPECT_EQ(0, HasTrailingBackslash("C:\\TMP"));
    EXPECT_EQ(1, HasTrailingBackslash("C:\\表\\"));
}

TEST(Path, TrailByteIsNoSeparator) {
    EXPECT_STREQ("\x95\x5c", "表");
    EXPECT_STREQ("\x83\x5c", "ソ");
    EXPECT_EQ(0, HasTrailingBackslash("C:\\TMP\\表"));
    EXPECT_EQ(0, HasTrailingBackslash("ソ"));
    EXPECT_EQ(0, HasTrailingBackslash("C:\\ソフトウェア"));

    char path[16] = "C:\\表";
    AppendBackslash(path, sizeof path);
    EXPECT_STREQ("C:\\表\\", path);
}

TEST(Path, AppendBackslash) {
    char empty[4] = "";
    AppendBackslash(empty, sizeof empty);
    EXPECT_STREQ("\\", empty);

    char ends[16] = "C:\\TMP\\";
    AppendBackslash(ends, sizeof ends);
    EXPECT_STREQ("C:\\TMP\\", ends);

    char plain[16] = "C:\\TMP";
    AppendBackslash(plain, sizeof plain);
    EXPECT_STREQ("C:\\TMP\\", plain);

    AppendBackslash(NULL, 10);
}

TEST(Path, AppendBackslashStaysInsideTheBuffer) {
    // Exactly full: no room for one more byte.
    char guarded[8] = {'C', ':', '\\', 'A', '\0', 'x', 'x', 'x'};
    AppendBackslash(guarded, 5);
    EXPECT_EQ(0, memcmp(guarded, "C:\\A\0xxx", 8));
    // Room for exactly one more byte and its NUL.
    AppendBackslash(guarded, 6);
    EXPECT_EQ(0, memcmp(guarded, "C:\\A\\\0xx", 8));
    // No NUL within the capacity: nothing is read or written beyond it.
    char full[4] = {'a', 'b', 'c', 'd'};
    AppendBackslash(full, sizeof full);
    EXPECT_EQ(0, memcmp(full, "abcd", 4));
}

// The runtime's multibyte searches step over a lead byte's NUL and read on; a path that ends
// in a truncated character must be refused before they run.
TEST(Path, TruncatedCharacterAtTheEnd) {
    char text[8] = {'C', ':', '\\', 'a', '\x95', '\0', '\\', '\0'};
    EXPECT_EQ(1, EndsInLeadByte(text));
    EXPECT_EQ(0, HasTrailingBackslash(text));
    AppendBackslash(text, sizeof text);
    EXPECT_EQ(0, memcmp(text, "C:\\a\x95\0\\\0", 8));

    EXPECT_EQ(0, EndsInLeadByte("C:\\表"));
    EXPECT_EQ(0, EndsInLeadByte("abc"));
    EXPECT_EQ(0, EndsInLeadByte(NULL));
}

// Values that installers write by joining strings read as Windows reads them; anything not
// fully qualified is refused rather than resolved against the current folder.
TEST(Path, CanonicalFormOfAnAbsolutePath) {
    char out[MAX_PATH];
    const char* same[][2] = {
        {"C:\\Program Files\\TOLVANE\\\\BaseSrv", "C:\\Program Files\\TOLVANE\\BaseSrv"},
        {"C:/TOLVANE//BaseSrv/", "C:\\TOLVANE\\BaseSrv\\"},
        {"C:\\TOLVANE\\.\\x\\..\\BaseSrv", "C:\\TOLVANE\\BaseSrv"},
        {"C:\\ソ表\\\\能\\BaseSrv", "C:\\ソ表\\能\\BaseSrv"},
        {"C:\\表\\x\\\\表\\\\", "C:\\表\\x\\表\\"},
        {"\\\\server\\share\\\\BaseSrv", "\\\\server\\share\\BaseSrv"},
    };
    for (const auto& pair : same) {
        ASSERT_EQ(1, CanonicalPath(pair[0], out, sizeof out)) << pair[0];
        EXPECT_STREQ(pair[1], out);
    }
    for (const char* refused : {"BaseSrv", "TOLVANE\\BaseSrv", "C:BaseSrv", "\\BaseSrv",
                                "\\\\?\\C:\\BaseSrv", "\\\\.\\C:\\BaseSrv", "", "C:\\\x95"}) {
        strcpy(out, "x");
        EXPECT_EQ(0, CanonicalPath(refused, out, sizeof out)) << refused;
        EXPECT_STREQ("", out);
    }
    EXPECT_EQ(0, CanonicalPath("C:\\TOLVANE\\BaseSrv", out, 8));
    EXPECT_EQ(0, CanonicalPath(NULL, out, sizeof out));
}
