// Who can answer, and in which code page: the decisions start-up makes before it asks.
#include "app/CodePage.h"
#include "app/WindowStation.h"

#include <gtest/gtest.h>
#include <string>
#include <windows.h>

// Session 0 reports a visible WinSta0, yet nobody sees it; what cannot be read counts as unseen.
TEST(Startup, OnlyAVisibleStationOutsideSessionZeroCanAnswer) {
    EXPECT_EQ(1, StationIsAnswerable(1, 1, 1, WSF_VISIBLE));
    EXPECT_EQ(1, StationIsAnswerable(1, 2, 1, WSF_VISIBLE));
    EXPECT_EQ(0, StationIsAnswerable(1, 0, 1, WSF_VISIBLE));
    EXPECT_EQ(0, StationIsAnswerable(0, 1, 1, WSF_VISIBLE));
    EXPECT_EQ(0, StationIsAnswerable(1, 1, 1, 0));
    EXPECT_EQ(0, StationIsAnswerable(1, 1, 0, WSF_VISIBLE));
    EXPECT_EQ(1, IsWindowStationVisible()); // the test display's desktop, session 1 under Wine
}

TEST(Startup, OnlyCodePage932Runs) {
    EXPECT_EQ(1, HasProgramCodePage(932, 1));
    EXPECT_EQ(0, HasProgramCodePage(932, 0));
    EXPECT_EQ(0, HasProgramCodePage(1252, 1));
    EXPECT_EQ(0, HasProgramCodePage(65001, 1));
}

// The refusal reads in Japanese when the system can convert code page 932, always in English,
// and names the code page found.
TEST(Startup, TheRefusalSaysWhyInBothLanguages) {
    wchar_t text[512];
    ASSERT_EQ(1, BuildCodePageMessage(1252, 1, text, 512));
    std::wstring both(text);
    EXPECT_EQ(0u, both.find(L"このアップデートは、コードページ 932（日本語）の環境でのみ実行"));
    EXPECT_NE(std::wstring::npos, both.find(L"この環境のコードページは 1252 です。"));
    EXPECT_NE(std::wstring::npos,
              both.find(L"\n\nThis update runs only with code page 932 (Japanese). This system's "
                        L"code page is 1252. Nothing was updated."));

    ASSERT_EQ(1, BuildCodePageMessage(437, 0, text, 512));
    EXPECT_EQ(std::wstring(L"This update runs only with code page 932 (Japanese). This system's "
                           L"code page is 437. Nothing was updated."),
              text);

    text[0] = L'x';
    EXPECT_EQ(0, BuildCodePageMessage(1252, 1, text, 40));
    EXPECT_EQ(L'\0', text[0]);
    EXPECT_EQ(0, BuildCodePageMessage(1252, 0, text, 40));
    EXPECT_EQ(L'\0', text[0]);
}
