// Converting names between UTF-8 (the tools' and Linux's spelling) and code page 932 (the
// archive's), exactly: a conversion that would not give the same text back fails. One
// implementation per platform (NameCodecPosix.cpp with iconv, NameCodecWin32.cpp).
#pragma once

#include <string>

// 1 and the converted text, or 0 when `utf8` is not valid UTF-8 or has no exact code page 932
// form (for example U+00A5, which code page 932 would turn into a backslash).
int FpUtf8ToCp932(const std::string& utf8, std::string& cp932);

// 1 and the converted text, or 0 when `cp932` is not valid code page 932.
int FpCp932ToUtf8(const std::string& cp932, std::string& utf8);
