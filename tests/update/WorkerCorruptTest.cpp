// The worker with an archive whose magic is wrong.
#include "WorkerHarness.h"

#include "folderpack/FolderPackFormat.h"
#include "update/UpdateResult.h"

#include <gtest/gtest.h>

TEST(WorkerCorrupt, ReportsFiveWithTheExtractorsCode) {
    const std::string work = InstallProduct();
    WorkerRun run = RunWorker();
    EXPECT_EQ(UPDATE_ERR_EXTRACT, run.code);
    EXPECT_EQ(FP_ERR_FORMAT, run.detail);
    EXPECT_EQ(3, run.stepPos);
    EXPECT_TRUE(Exists(work + "WU.TPK"));
    UninstallProduct();
}
