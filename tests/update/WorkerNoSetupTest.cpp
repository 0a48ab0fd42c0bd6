// The worker with a payload whose Brennick.exe is no program and that holds no Olvatine.exe.
#include "WorkerHarness.h"

#include "update/UpdateResult.h"

#include <gtest/gtest.h>
#include <windows.h>

// The missing fallback says nothing: the detail is why the primary could not start.
TEST(WorkerNoSetup, ReportsSixWithThePrimarysErrorAndLeavesTheWorkFolder) {
    const std::string work = InstallProduct();
    WorkerRun run = RunWorker();
    EXPECT_EQ(UPDATE_ERR_SETUP, run.code);
    EXPECT_EQ(ERROR_BAD_EXE_FORMAT, run.detail);
    EXPECT_EQ(4, run.stepPos);
    EXPECT_EQ(1000, run.filePos);
    EXPECT_TRUE(Exists(work + "WU.TPK"));
    EXPECT_TRUE(Exists(work + "data\\表\\ソ.txt"));
    UninstallProduct();
}
