#include "tools/ToolPlatform.h"

#include <windows.h>

#include <io.h>
#include <mbctype.h>

int IsTerminal(FILE* stream) {
    return _isatty(_fileno(stream));
}

int MoveReplacing(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

void InitConsole() {
    // Separators are found with the multibyte functions of the ANSI code page.
    _setmbcp(_MB_CP_ANSI);
}

std::string DisplayName(const char* cp932) {
    // The console and the files it writes use the ANSI code page, 932 on the systems served.
    return cp932;
}
