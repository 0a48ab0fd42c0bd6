#include "tools/ToolPlatform.h"

#include <errno.h>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <malloc.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

int IsTerminal(FILE* stream) {
    return isatty(fileno(stream));
}

int MoveReplacing(const char* from, const char* to) {
    return rename(from, to) == 0;
}

void InitConsole() {
    setlocale(LC_CTYPE, "");
    // Chunk buffers are mapped and given back whole when released: a fixed threshold keeps the
    // allocator from moving them into its heap, where blocks of changing sizes would fragment it
    // and hold the peak memory above what is in use.
    mallopt(M_MMAP_THRESHOLD, 0x40000);
}

std::string DisplayName(const char* cp932) {
    std::string out;
    iconv_t cd = iconv_open(nl_langinfo(CODESET), "CP932");
    char* in = const_cast<char*>(cp932);
    size_t inLeft = strlen(cp932);
    while (inLeft > 0) {
        char buffer[64];
        char* target = buffer;
        size_t targetLeft = sizeof(buffer);
        size_t n = cd == (iconv_t)-1 ? (size_t)-1 : iconv(cd, &in, &inLeft, &target, &targetLeft);
        out.append(buffer, size_t(target - buffer));
        if (n == (size_t)-1 && (cd == (iconv_t)-1 || errno != E2BIG)) {
            // One byte that does not convert, shown as an escape; go on after it.
            char escape[8];
            snprintf(escape, sizeof(escape), "\\x%02X", (unsigned char)*in);
            out += escape;
            in++;
            inLeft--;
        }
    }
    if (cd != (iconv_t)-1)
        iconv_close(cd);
    return out;
}
