// The worker with a payload that holds no setup program.
#include "WorkerHarness.h"

#include "update/UpdateResult.h"

#include <gtest/gtest.h>
#include <windows.h>

TEST(WorkerNoSetup, ReportsSixWithTheSystemErrorAndLeavesTheWorkFolder) {
    const std::string work = InstallProduct();
    WorkerRun run = RunWorker();
    EXPECT_EQ(UPDATE_ERR_SETUP, run.code);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, run.detail);
    EXPECT_EQ(4, run.stepPos);
    EXPECT_EQ(1000, run.filePos);
    EXPECT_TRUE(Exists(work + "WU.TPK"));
    EXPECT_TRUE(Exists(work + "data\\表\\ソ.txt"));
    UninstallProduct();
}
