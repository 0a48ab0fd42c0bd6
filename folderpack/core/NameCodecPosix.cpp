#include "folderpack/core/NameCodec.h"

#include <errno.h>
#include <iconv.h>

namespace {

// One descriptor per direction and thread, opened on first use: opening costs more than
// converting a name.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (m_cd != (iconv_t)-1)
            iconv_close(m_cd);
    }
    int Convert(const std::string& in, std::string& out);

private:
    iconv_t m_cd;
};

int Converter::Convert(const std::string& in, std::string& out) {
    out.clear();
    if (m_cd == (iconv_t)-1)
        return 0;
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr); // initial state
    char* source = const_cast<char*>(in.data());
    size_t sourceLeft = in.size();
    char buffer[256];
    while (sourceLeft > 0) {
        char* target = buffer;
        size_t targetLeft = sizeof(buffer);
        size_t n = iconv(m_cd, &source, &sourceLeft, &target, &targetLeft);
        out.append(buffer, size_t(target - buffer));
        if (n == (size_t)-1 && errno != E2BIG)
            return 0;
        if (n != (size_t)-1 && n > 0)
            return 0; // irreversible conversions were made
    }
    return 1;
}

} // namespace

int FpUtf8ToCp932(const std::string& utf8, std::string& cp932) {
    thread_local Converter toCp932("CP932", "UTF-8");
    thread_local Converter toUtf8("UTF-8", "CP932");
    std::string back;
    return toCp932.Convert(utf8, cp932) && toUtf8.Convert(cp932, back) && back == utf8;
}

int FpCp932ToUtf8(const std::string& cp932, std::string& utf8) {
    thread_local Converter toUtf8("UTF-8", "CP932");
    return toUtf8.Convert(cp932, utf8);
}
