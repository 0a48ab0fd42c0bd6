#include "folderpack/core/EntryName.h"

#include "folderpack/core/FolderPackFormat.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int Check(const std::string& name) {
    return FpCheckName(name.c_str(), uint32_t(name.size() + 1));
}

} // namespace

TEST(EntryName, AcceptsPlainNamesAndDoubleByteCharactersEndingIn5C) {
    const char* good[] = {
        "readme.txt",
        "docs\\readme.txt",
        "docs\\",
        "a\\b\\c\\",
        "a/b.txt",
        "\x95\x5c",               // 表
        "\x95\x5c\\",             // 表 as a folder
        "\x83\x5c\\\x95\x5c.txt", // ソ\表.txt
        "CONFIG.SYS",
        "COM0",
        "LPT10",
        "console",
        "nul_\\x",
        ".hidden",
        "a..b",
        "..a",
        "\x81\x5c", // a double-byte dash, not a separator before the NUL
    };
    for (const char* name : good)
        EXPECT_EQ(FP_OK, Check(name)) << name;
}

TEST(EntryName, RefusesNamesThatLeaveTheDestinationOrNameDevices) {
    const char* bad[] = {
        "",
        "\\abs",
        "/abs",
        "C:\\x",
        "c:x",
        "a\\b:stream",
        "..",
        ".",
        "..\\x",
        "a\\..\\..\\x",
        "a/../x",
        "a\\.\\b",
        "a\\.",
        "x.",
        "x ",
        "dir.\\x",
        "dir \\x",
        "CON",
        "con.txt",
        "a\\Aux",
        "a\\NUL.tar.gz",
        "nul.d\\x",
        "PRN\\x",
        "COM1",
        "lpt9.log",
        "CON .txt",
        "\x95\x5c\\..\\x",
        "\x95", // a lead byte cut off by the NUL
        "a\\\x95",
    };
    for (const char* name : bad)
        EXPECT_EQ(FP_ERR_NAME, Check(name)) << name;
}

TEST(EntryName, RefusesStoredBytesWithMisplacedOrMissingNul) {
    EXPECT_EQ(FP_ERR_NAME, FpCheckName("", 0));
    EXPECT_EQ(FP_ERR_NAME, FpCheckName("\0", 1));
    EXPECT_EQ(FP_ERR_NAME, FpCheckName("ab", 2));        // no NUL at the end
    EXPECT_EQ(FP_ERR_NAME, FpCheckName("a\0b", 4));      // NUL inside
    EXPECT_EQ(FP_ERR_NAME, FpCheckName("..\0x.txt", 9)); // hidden behind a NUL
    EXPECT_EQ(FP_OK, FpCheckName("ab", 3));
}

TEST(EntryName, LimitsCountTheDestinationAndEveryLeadingPart) {
    EXPECT_EQ(FP_OK, FpCheckNameFits(100, 3996));
    EXPECT_EQ(FP_ERR_LIMIT, FpCheckNameFits(100, 3997));
    EXPECT_EQ(FP_ERR_LIMIT, FpCheckNameFits(5000, 1));
    EXPECT_EQ(FP_ERR_LIMIT, FpCheckNameFits(0, 0xFFFFFFFFu));

    std::string part255(255, 'a');
    EXPECT_EQ(FP_OK, FpCheckLeadingParts((part255 + "\\file").c_str()));
    EXPECT_EQ(FP_ERR_LIMIT, FpCheckLeadingParts((part255 + "a\\file").c_str()));
    EXPECT_EQ(FP_ERR_LIMIT, FpCheckLeadingParts((part255 + "a/file").c_str()));
    // A long last component is no folder: only a file's name may carry the path further.
    EXPECT_EQ(FP_OK, FpCheckLeadingParts(("C:\\d\\" + std::string(600, 'x')).c_str()));
    // The 0x5C of a double-byte character is not a separator.
    std::string dbcs;
    for (int i = 0; i < 200; i++)
        dbcs += "\x95\x5c";
    EXPECT_EQ(FP_OK, FpCheckLeadingParts(dbcs.c_str()));
}

TEST(EntryName, TrailingBackslashIsMultibyteAware) {
    EXPECT_EQ(1, FpEndsWithBackslash("C:\\TMP\\"));
    EXPECT_EQ(0, FpEndsWithBackslash("C:\\\x95\x5c"));
    EXPECT_EQ(0, FpEndsWithBackslash(""));
    EXPECT_STREQ("\\x", FpLastBackslash("a\\\x83\x5c\\x"));
    EXPECT_EQ(nullptr, FpLastBackslash("\x95\x5c"));
    EXPECT_EQ(1, FpEndsInLeadByte("abc\x95"));
    EXPECT_EQ(0, FpEndsInLeadByte("abc\x95\x5c"));
}

TEST(EntryName, OrderIgnoresAsciiCaseButNotSecondBytes) {
    EXPECT_LT(FpCompareNames("apple", "Banana"), 0);
    EXPECT_LT(FpCompareNames("big.bin", "Brennick.exe"), 0);
    EXPECT_GT(FpCompareNames("b", "A"), 0);
    EXPECT_LT(FpCompareNames("A", "a"), 0); // tie broken by bytes, never equal for distinct names
    EXPECT_EQ(0, FpCompareNames("same", "same"));
    EXPECT_LT(FpCompareNames("ab", "abc"), 0);
    // 0x83 0x41 and 0x83 0x61 differ; the trail byte 0x41 is no letter to fold.
    EXPECT_NE(0, FpCompareNames("\x83\x41", "\x83\x61"));
    EXPECT_LT(FpCompareNames("\x83\x61", "\x83\x62"), 0);
}
