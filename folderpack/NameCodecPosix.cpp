#include "folderpack/NameCodec.h"

#include <errno.h>
#include <iconv.h>

namespace {

int Convert(const char* to, const char* from, const std::string& in, std::string& out) {
    out.clear();
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1)
        return 0;
    char* source = const_cast<char*>(in.data());
    size_t sourceLeft = in.size();
    char buffer[256];
    int ok = 1;
    while (sourceLeft > 0) {
        char* target = buffer;
        size_t targetLeft = sizeof(buffer);
        size_t n = iconv(cd, &source, &sourceLeft, &target, &targetLeft);
        out.append(buffer, size_t(target - buffer));
        if (n == (size_t)-1 && errno != E2BIG) {
            ok = 0;
            break;
        }
        if (n != (size_t)-1 && n > 0) {
            ok = 0; // irreversible conversions were made
            break;
        }
    }
    iconv_close(cd);
    return ok;
}

} // namespace

int FpUtf8ToCp932(const std::string& utf8, std::string& cp932) {
    std::string back;
    return Convert("CP932", "UTF-8", utf8, cp932) && Convert("UTF-8", "CP932", cp932, back) &&
           back == utf8;
}

int FpCp932ToUtf8(const std::string& cp932, std::string& utf8) {
    return Convert("UTF-8", "CP932", cp932, utf8);
}
