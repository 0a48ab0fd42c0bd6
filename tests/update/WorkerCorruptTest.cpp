// The worker with an archive whose magic is wrong (its digest right): refused before it is
// written.
#include "WorkerHarness.h"

#include "update/UpdateResult.h"

#include <gtest/gtest.h>
#include <windows.h>

TEST(WorkerCorrupt, DamagedArchiveIsRefusedBeforeItIsWritten) {
    const std::string work = InstallProduct();
    WorkerRun run = RunWorker();
    EXPECT_EQ(UPDATE_ERR_WRITE_ARCHIVE, run.code);
    EXPECT_EQ(ERROR_INVALID_DATA, run.detail);
    EXPECT_EQ(2, run.stepPos);
    EXPECT_TRUE(IsFolder(work));
    EXPECT_FALSE(Exists(work + "WU.TPK"));
    UninstallProduct();
}
