#include "app/CodePage.h"

#include "res/ResourceIds.h"

#include <stdio.h>
#include <wchar.h>

namespace {

const char kJapanese[] = "このアップデートは、コードページ 932（日本語）の環境でのみ実行できます。"
                         "この環境のコードページは %u です。アップデートは行いませんでした。";
const wchar_t kEnglish[] = L"This update runs only with code page 932 (Japanese). This "
                           L"system's code page is %u. Nothing was updated.";
const wchar_t kEnglishCaption[] = L"TOLVANE Windows Update";

// The code-page-932 text as UTF-16 into `out`; 0 when it does not fit or cannot be converted.
int From932(const char* text, wchar_t* out, size_t capacity) {
    int length = MultiByteToWideChar(PROGRAM_CODE_PAGE, MB_ERR_INVALID_CHARS, text, -1, out,
                                     static_cast<int>(capacity));
    return length > 0;
}

} // namespace

int BuildCodePageMessage(UINT activeCodePage, int has932, wchar_t* out, size_t capacity) {
    if (capacity == 0)
        return 0;
    out[0] = L'\0';
    size_t used = 0;
    if (has932) {
        char japanese[sizeof kJapanese + 16];
        snprintf(japanese, sizeof japanese, kJapanese, activeCodePage);
        if (!From932(japanese, out, capacity)) {
            out[0] = L'\0';
            return 0;
        }
        used = wcslen(out);
        if (used + 2 >= capacity) {
            out[0] = L'\0';
            return 0;
        }
        out[used++] = L'\n';
        out[used++] = L'\n';
        out[used] = L'\0';
    }
    // _snwprintf leaves no NUL when the text fills the room exactly: keep one spare.
    size_t room = capacity - used;
    int written = _snwprintf(out + used, room - 1, kEnglish, activeCodePage);
    if (written < 0) {
        out[0] = L'\0';
        return 0;
    }
    out[used + static_cast<size_t>(written)] = L'\0';
    return 1;
}

int HasProgramCodePage(UINT activeCodePage, int has932) {
    return activeCodePage == PROGRAM_CODE_PAGE && has932;
}

void ShowCodePageRefusal(UINT activeCodePage, int has932) {
    wchar_t text[512];
    wchar_t caption[128];
    // The string table holds UTF-16: read as such, the caption needs no code page at all.
    const wchar_t* shownCaption = kEnglishCaption;
    if (LoadStringW(GetModuleHandleW(nullptr), IDS_CAPTION, caption,
                    sizeof caption / sizeof *caption) > 0)
        shownCaption = caption;
    if (BuildCodePageMessage(activeCodePage, has932, text, sizeof text / sizeof *text))
        MessageBoxW(nullptr, text, shownCaption, MB_OK | MB_ICONEXCLAMATION);
}
