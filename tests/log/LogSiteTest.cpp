#include "log/Log.h"
#include "log/LogHeader.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

TEST(LogSite, SourceFileIsTheLastComponent) {
    struct Case {
        const char* path;
        const char* expected;
    } cases[] = {
        {"C:\\src\\app\\Varnock.cpp", "Varnock.cpp"},
        {"/work/main/update/General.cpp", "General.cpp"},
        {"src/dialogs\\VarnockDlg.cpp", "VarnockDlg.cpp"},
        {"src\\dialogs/VarnockDlg.cpp", "VarnockDlg.cpp"},
        {"D:General.cpp", "General.cpp"},
        {"General.cpp", "General.cpp"},
        {"archive.tar.gz", "archive.tar.gz"},
        {"C:\\src\\", ""},
        // "表.cpp" in a folder named "表": 0x5C as the trail byte is not a separator.
        {"C:\\\x95\x5c\\\x95\x5c.cpp", "\x95\x5c.cpp"},
        {"", ""},
    };
    for (const Case& c : cases) {
        LogSite site(c.path, 7);
        EXPECT_STREQ(c.expected, site.sourceFile) << c.path;
        EXPECT_EQ(7, site.line);
    }
    LogSite none(nullptr, 1);
    EXPECT_STREQ("", none.sourceFile);
}

TEST(LogSite, OverlongInputsAreCut) {
    std::string name(300, 'n');
    name += ".cpp";
    LogSite site(("C:\\src\\" + name).c_str(), 197);
    EXPECT_EQ(259u, strlen(site.sourceFile));
    EXPECT_EQ(0, memcmp(name.data(), site.sourceFile, 259));
    EXPECT_EQ(197, site.line);

    // A log path that fills the whole buffer without a NUL.
    memset(LogFilePath, 'p', sizeof LogFilePath);
    LogSite full("x.cpp", 1);
    EXPECT_EQ(std::string(259, 'p'), full.logPath);
    EXPECT_EQ(std::string(259, 'p') + ".BAK", static_cast<const char*>(full.backupPath));
    LogFilePath[0] = '\0';
}

TEST(LogHeader, FieldsArePaddedDecimalAndLowercaseHex) {
    char header[LOG_HEADER_BUFFER_SIZE];
    SYSTEMTIME time = {};
    time.wYear = 2005;
    time.wMonth = 3;
    time.wDay = 1;
    time.wHour = 9;
    time.wMinute = 5;
    time.wSecond = 7;
    int length = FormatLogHeader(header, time, "General.cpp", 147, 420);
    EXPECT_STREQ("[2005/03/01 09:05:07] General.cpp 147 1a4 : ", header);
    EXPECT_EQ(static_cast<int>(strlen(header)), length);

    // The longest source file name a LogSite holds fits whole.
    std::string name(259, 'n');
    length = FormatLogHeader(header, time, name.c_str(), 2147483647, 0xffffffff);
    EXPECT_EQ("[2005/03/01 09:05:07] " + name + " 2147483647 ffffffff : ", std::string(header));
    EXPECT_EQ(static_cast<int>(strlen(header)), length);
}
