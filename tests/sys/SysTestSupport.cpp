#include "SysTestSupport.h"

#include <mbctype.h>

#include <gtest/gtest.h>

namespace {

// Paths are searched in the ANSI code page, as the application's start-up arranges.
struct AnsiMultibyteCodePage {
    AnsiMultibyteCodePage() { _setmbcp(_MB_CP_ANSI); }
} g_ansiMultibyteCodePage;

} // namespace

std::string TestFolder() {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    CreateDirectoryA("C:\\varnock-tests", NULL);
    CreateDirectoryA("C:\\varnock-tests\\sys", NULL);
    std::string folder =
        std::string("C:\\varnock-tests\\sys\\") + info->test_suite_name() + "." + info->name();
    RemoveAll(folder);
    CreateDirectoryA(folder.c_str(), NULL);
    return folder + "\\";
}

std::string ExecutableFolder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    std::string folder(path, length < sizeof path ? length : 0);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}
