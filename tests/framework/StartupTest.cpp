#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

// Runs the start-up probe (StartupProbe.cpp) from this executable's folder.
TEST(Startup, CodePageAndDllSearchAreSetBeforeTheProgramRuns) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    ASSERT_TRUE(length > 0 && length < MAX_PATH);
    char* slash = strrchr(path, '\\');
    ASSERT_NE(nullptr, slash);
    const char probe[] = "framework_startup_probe.exe";
    ASSERT_LT(static_cast<size_t>(slash + 1 - path) + sizeof probe, sizeof path);
    memcpy(slash + 1, probe, sizeof probe);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(path, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << GetLastError();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 30000));
    DWORD code = 99;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(0u, code) << "bits: 1 static object, 2 InitInstance, 4 planted DLL loaded, "
                           "8 planted DLL unusable";
}
