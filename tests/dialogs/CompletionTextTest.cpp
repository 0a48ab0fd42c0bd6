#include "dialogs/CompletionText.h"
#include "dialogs/ExitStatus.h"

#include "update/UpdateResult.h"

#include <gtest/gtest.h>
#include <string.h>

TEST(CompletionText, EachCodeHasItsText) {
    EXPECT_STREQ("", CompletionText(UPDATE_OK));
    EXPECT_STREQ("サブスレッドの起動に失敗しました。", CompletionText(UPDATE_ERR_THREAD));
    EXPECT_STREQ("TOLVANE Proのサーバ上で動作させてください。",
                 CompletionText(UPDATE_ERR_NOT_SERVER));
    EXPECT_STREQ("致命的な内部異常が発生しました。", CompletionText(UPDATE_ERR_INTERNAL));
    EXPECT_STREQ("ファイルの展開に失敗しました。", CompletionText(UPDATE_ERR_WRITE_ARCHIVE));
    EXPECT_STREQ(CompletionText(UPDATE_ERR_WRITE_ARCHIVE), CompletionText(UPDATE_ERR_EXTRACT));
    EXPECT_STREQ("サブプログラムの起動に失敗しました。", CompletionText(UPDATE_ERR_SETUP));
    EXPECT_STREQ("WindowsUpdate支援機能が検出されませんでした。",
                 CompletionText(UPDATE_ERR_NO_FEATURE));
    EXPECT_STREQ("別のアップデートが実行中です。終了してから再度実行してください。",
                 CompletionText(UPDATE_ERR_BUSY));
    EXPECT_STREQ("サブプログラムが異常終了しました。", CompletionText(UPDATE_ERR_SETUP_CRASHED));
}

TEST(CompletionText, CodesOutsideTheTableGiveTheInternalError) {
    for (int code : {-1, 10, 1000, -2147483647 - 1, 2147483647}) {
        EXPECT_STREQ(CompletionText(UPDATE_ERR_INTERNAL), CompletionText(code)) << code;
        EXPECT_EQ(UPDATE_ERR_INTERNAL, CompletionCode(code)) << code;
    }
    EXPECT_EQ(9, CompletionCode(9));
}

// What deployment tools read: restart requests pass through a success, another running update
// is one they retry, every other failure is its code.
TEST(ExitStatus, DeploymentToolsReadTheOutcome) {
    EXPECT_EQ(0, ExitStatus(UPDATE_OK, 0));
    EXPECT_EQ(0, ExitStatus(UPDATE_OK, 3));
    EXPECT_EQ(3010, ExitStatus(UPDATE_OK, 3010));
    EXPECT_EQ(1641, ExitStatus(UPDATE_OK, 1641));
    EXPECT_EQ(1618, ExitStatus(UPDATE_ERR_BUSY, 0));
    EXPECT_EQ(9, ExitStatus(UPDATE_ERR_SETUP_CRASHED, 0xC0000005));
    EXPECT_EQ(6, ExitStatus(UPDATE_ERR_SETUP, 3010));
    EXPECT_EQ(3, ExitStatus(42, 0));
}
