#include "dialogs/CompletionText.h"

#include "update/UpdateResult.h"

namespace {

const char* const kTexts[UPDATE_RESULT_COUNT] = {
    "",                                              // UPDATE_OK: string 104 is shown
    "サブスレッドの起動に失敗しました。",            // UPDATE_ERR_THREAD
    "TOLVANE Proのサーバ上で動作させてください。",   // UPDATE_ERR_NOT_SERVER
    "致命的な内部異常が発生しました。",              // UPDATE_ERR_INTERNAL
    "ファイルの展開に失敗しました。",                // UPDATE_ERR_WRITE_ARCHIVE
    "ファイルの展開に失敗しました。",                // UPDATE_ERR_EXTRACT
    "サブプログラムの起動に失敗しました。",          // UPDATE_ERR_SETUP
    "WindowsUpdate支援機能が検出されませんでした。", // UPDATE_ERR_NO_FEATURE
    "別のアップデートが実行中です。終了してから再度実行してください。", // UPDATE_ERR_BUSY
    "サブプログラムが異常終了しました。",                               // UPDATE_ERR_SETUP_CRASHED
};

} // namespace

int CompletionCode(int code) {
    return code >= 0 && code < UPDATE_RESULT_COUNT ? code : UPDATE_ERR_INTERNAL;
}

const char* CompletionText(int code) {
    return kTexts[CompletionCode(code)];
}
