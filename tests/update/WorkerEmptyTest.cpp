// The worker with an archive that holds no entries.
#include "WorkerHarness.h"

#include "update/UpdateResult.h"

#include <gtest/gtest.h>

TEST(WorkerEmpty, LeavesTheFileBarAndLabelAndGoesOnToTheSetupStep) {
    InstallProduct();
    WorkerRun run = RunWorker();
    EXPECT_EQ(UPDATE_ERR_SETUP, run.code); // nothing to run
    EXPECT_EQ(4, run.stepPos);
    EXPECT_EQ(0, run.filePos);
    EXPECT_EQ(1000, run.fileMax);
    EXPECT_EQ("ファイル展開中：", run.label);
    UninstallProduct();
}
