#include "base/CString.h"

#include <gtest/gtest.h>
#include <string.h>

TEST(CString, AssignAppendAndEmpty) {
    CString s;
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_STREQ("", static_cast<const char*>(s));
    s = "C:\\TMP";
    s += "\\";
    EXPECT_EQ(7u, s.GetLength());
    EXPECT_STREQ("C:\\TMP\\", static_cast<const char*>(s));
    s.Assign("abc\0def", 7);
    EXPECT_EQ(7u, s.GetLength());
    EXPECT_EQ(0, memcmp("abc\0def", static_cast<const char*>(s), 8));
    s = static_cast<const char*>(s) + 1; // from its own storage
    EXPECT_STREQ("bc", static_cast<const char*>(s));
    s.Empty();
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CString, CopiesAreIndependent) {
    CString a("表");
    CString b(a);
    a += "x";
    EXPECT_STREQ("\x95\x5c", static_cast<const char*>(b));
    EXPECT_STREQ("\x95\x5cx", static_cast<const char*>(a));
}
