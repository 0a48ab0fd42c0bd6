#include "folderpack/core/NameCodec.h"

#include <windows.h>

namespace {

int ToWide(UINT codePage, const std::string& text, std::wstring& wide) {
    wide.clear();
    if (text.empty())
        return 1;
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), int(text.size()),
                                nullptr, 0);
    if (n <= 0)
        return 0;
    wide.resize(size_t(n));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), int(text.size()),
                               &wide[0], n) == n;
}

int FromWide(UINT codePage, const std::wstring& wide, std::string& text) {
    text.clear();
    if (wide.empty())
        return 1;
    BOOL usedDefault = FALSE;
    BOOL* check = codePage == CP_UTF8 ? nullptr : &usedDefault;
    DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    int n = WideCharToMultiByte(codePage, flags, wide.data(), int(wide.size()), nullptr, 0, nullptr,
                                check);
    if (n <= 0 || usedDefault)
        return 0;
    text.resize(size_t(n));
    return WideCharToMultiByte(codePage, flags, wide.data(), int(wide.size()), &text[0], n, nullptr,
                               check) == n &&
           !usedDefault;
}

} // namespace

int FpUtf8ToCp932(const std::string& utf8, std::string& cp932) {
    std::wstring wide, back;
    return ToWide(CP_UTF8, utf8, wide) && FromWide(932, wide, cp932) && ToWide(932, cp932, back) &&
           back == wide;
}

int FpCp932ToUtf8(const std::string& cp932, std::string& utf8) {
    std::wstring wide;
    return ToWide(932, cp932, wide) && FromWide(CP_UTF8, wide, utf8);
}
