// The worker with a payload that holds no setup program.
#include "WorkerHarness.h"

#include "update/UpdateResult.h"

#include <gtest/gtest.h>
#include <windows.h>

TEST(WorkerNoSetup, ReportsSixWithTheSystemErrorAndLeavesTheWorkFolder) {
    ResetTestRoot();
    const std::string root = kTestRoot;
    SetServerPath((root + "Product\\BaseSrv").c_str());
    SetClientRoot((root + "Client").c_str());
    MakeFolders(root + "Client\\TV\\CLI");

    WorkerRun run = RunWorker();
    EXPECT_EQ(UPDATE_ERR_SETUP, run.code);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, run.detail);
    EXPECT_EQ(4, run.stepPos);
    EXPECT_EQ(1000, run.filePos);
    std::string work = root + "Product\\TMP\\WUTMP\\";
    EXPECT_TRUE(Exists(work + "WU.TPK"));
    EXPECT_TRUE(Exists(work + "data\\表\\ソ.txt"));

    SetServerPath(nullptr);
    SetClientRoot(nullptr);
}
