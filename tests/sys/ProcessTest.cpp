#include "sys/Process.h"

#include <string>

#include <gtest/gtest.h>

#include "SysTestSupport.h"

namespace {

std::string ChildProgram() {
    return ExecutableFolder() + "sys_exit_with.exe";
}

} // namespace

TEST(RunAndWait, StoresTheExitCode) {
    std::string commandLine = "\"" + ChildProgram() + "\" 5";
    const std::string before = commandLine;
    DWORD code = 0;
    EXPECT_NE(0, RunAndWait(NULL, commandLine.c_str(), &code));
    EXPECT_EQ(5u, code);
    EXPECT_EQ(before, commandLine);

    EXPECT_NE(0, RunAndWait(NULL, ("\"" + ChildProgram() + "\" 0").c_str(), &code));
    EXPECT_EQ(0u, code);
}

// The worker passes the program as the application name and its quoted path alone.
TEST(RunAndWait, ApplicationNameWithBlanks) {
    std::string folder = TestFolder() + "setup folder\\";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    std::string program = folder + "表 setup.exe";
    ASSERT_TRUE(CopyFileA(ChildProgram().c_str(), program.c_str(), FALSE));

    DWORD code = 99;
    EXPECT_NE(0, RunAndWait(program.c_str(), ("\"" + program + "\" 7").c_str(), &code));
    EXPECT_EQ(7u, code);
    EXPECT_NE(0, RunAndWait(program.c_str(), ("\"" + program + "\"").c_str(), &code));
    EXPECT_EQ(0u, code);
}

TEST(RunAndWait, MissingProgram) {
    std::string missing = TestFolder() + "Brennick.exe";
    DWORD code = 1234;
    SetLastError(0);
    EXPECT_EQ(0, RunAndWait(NULL, missing.c_str(), &code));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(1234u, code);

    SetLastError(0);
    EXPECT_EQ(0, RunAndWait(missing.c_str(), ("\"" + missing + "\"").c_str(), &code));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}
