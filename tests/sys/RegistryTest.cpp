#include "sys/Registry.h"

#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "SysTestSupport.h"

namespace {

class ReadRegStringTest : public testing::Test {
protected:
    void SetUp() override {
        m_subKey = std::string("Software\\VarnockTests\\sys\\") +
                   testing::UnitTest::GetInstance()->current_test_info()->name();
        RegDeleteTreeA(HKEY_CURRENT_USER, m_subKey.c_str());
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, m_subKey.c_str(), 0, NULL, 0,
                                                 KEY_ALL_ACCESS, NULL, &m_key, NULL));
    }
    void TearDown() override {
        RegCloseKey(m_key);
        RegDeleteTreeA(HKEY_CURRENT_USER, m_subKey.c_str());
    }

    void Set(const char* name, DWORD type, const void* data, size_t size) {
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(m_key, name, 0, type, static_cast<const BYTE*>(data),
                                 static_cast<DWORD>(size)));
    }
    void SetText(const char* name, const std::string& text, DWORD type = REG_SZ) {
        Set(name, type, text.c_str(), text.size() + 1);
    }
    int Read(const char* name, CString& out) {
        return ReadRegString(HKEY_CURRENT_USER, m_subKey.c_str(), name, out);
    }

    std::string m_subKey;
    HKEY m_key = NULL;
};

} // namespace

TEST_F(ReadRegStringTest, ReadsText) {
    SetText("InstallPath", "C:\\Program Files\\ソフトウェア\\表");
    CString out("old");
    EXPECT_EQ(1, Read("InstallPath", out));
    EXPECT_STREQ("C:\\Program Files\\ソフトウェア\\表", out);

    SetText("Empty", "");
    EXPECT_EQ(1, Read("Empty", out));
    EXPECT_TRUE(out.IsEmpty());
}

TEST_F(ReadRegStringTest, FailuresLeaveTheOutputUntouched) {
    SetText("Expand", "%TEMP%\\x", REG_EXPAND_SZ);
    DWORD number = 7;
    Set("Number", REG_DWORD, &number, sizeof number);
    SetText("Text", "x");

    CString out("untouched");
    EXPECT_EQ(0, Read("Missing", out));
    EXPECT_EQ(0, Read("Expand", out));
    EXPECT_EQ(0, Read("Number", out));
    EXPECT_EQ(0, ReadRegString(HKEY_CURRENT_USER, (m_subKey + "\\Missing").c_str(), "Text", out));
    EXPECT_STREQ("untouched", out);
}

// The buffer holds 1024 bytes with the NUL: a 1023-byte text fits, a longer one fails.
TEST_F(ReadRegStringTest, LengthLimit) {
    std::string fits(1023, 'a');
    fits[0] = '\x95';
    fits[1] = '\x5c';
    SetText("Fits", fits);
    SetText("TooLong", std::string(1024, 'b'));

    CString out("untouched");
    EXPECT_EQ(0, Read("TooLong", out));
    EXPECT_STREQ("untouched", out);
    EXPECT_EQ(1, Read("Fits", out));
    EXPECT_EQ(1023u, out.GetLength());
    EXPECT_EQ(fits, std::string(out));
}

// Data stored without a NUL are taken up to their returned length, never further. The
// system counts a NUL that follows the given data in, so the byte after them is not one.
TEST_F(ReadRegStringTest, TextWithoutNul) {
    const char shortText[] = {'a', 'b', 'c', 'x'};
    Set("Short", REG_SZ, shortText, 3);
    std::string full(REG_STRING_BUFFER_SIZE + 1, 'c');
    Set("Full", REG_SZ, full.data(), REG_STRING_BUFFER_SIZE);

    CString out;
    EXPECT_EQ(1, Read("Short", out));
    EXPECT_STREQ("abc", out);
    // 1024 bytes and no NUL fill the buffer exactly.
    CString whole;
    EXPECT_EQ(1, Read("Full", whole));
    EXPECT_EQ(full.substr(0, REG_STRING_BUFFER_SIZE), std::string(whole));
}

// A 32-bit installer's values live in the 32-bit view; the 64-bit view serves when the key or
// the value is missing there, and each value is looked up on its own.
TEST(ReadRegStringViews, ThirtyTwoBitViewFirstThenSixtyFour) {
    const char subKey[] = "SOFTWARE\\VarnockTests\\Views";
    const REGSAM views[] = {KEY_WOW64_32KEY, KEY_WOW64_64KEY};
    auto clear = [&]() {
        for (REGSAM view : views)
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, subKey, view, 0);
    };
    auto set = [&](REGSAM view, const char* name, const char* text) {
        HKEY key = NULL;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, NULL, 0,
                                                 KEY_SET_VALUE | view, NULL, &key, NULL));
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       static_cast<DWORD>(strlen(text) + 1));
        RegCloseKey(key);
    };
    clear();
    CString out;
    set(KEY_WOW64_32KEY, "Path", "C:\\thirty-two");
    EXPECT_EQ(1, ReadRegString(HKEY_LOCAL_MACHINE, subKey, "Path", out));
    EXPECT_STREQ("C:\\thirty-two", out);

    clear();
    set(KEY_WOW64_64KEY, "Path", "C:\\sixty-four");
    EXPECT_EQ(1, ReadRegString(HKEY_LOCAL_MACHINE, subKey, "Path", out));
    EXPECT_STREQ("C:\\sixty-four", out);

    set(KEY_WOW64_32KEY, "Path", "C:\\thirty-two");
    set(KEY_WOW64_32KEY, "Other", "x");
    set(KEY_WOW64_64KEY, "Only64", "C:\\only");
    EXPECT_EQ(1, ReadRegString(HKEY_LOCAL_MACHINE, subKey, "Path", out));
    EXPECT_STREQ("C:\\thirty-two", out);
    EXPECT_EQ(1, ReadRegString(HKEY_LOCAL_MACHINE, subKey, "Only64", out));
    EXPECT_STREQ("C:\\only", out);
    clear();
}
