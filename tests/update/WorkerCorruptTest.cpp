// The worker with an archive whose magic is wrong.
#include "WorkerHarness.h"

#include "folderpack/FolderPackFormat.h"
#include "update/UpdateResult.h"

#include <gtest/gtest.h>

TEST(WorkerCorrupt, ReportsFiveWithTheExtractorsCode) {
    ResetTestRoot();
    const std::string root = kTestRoot;
    SetServerPath((root + "Product\\BaseSrv").c_str());
    SetClientRoot((root + "Client").c_str());
    MakeFolders(root + "Client\\TV\\CLI");

    WorkerRun run = RunWorker();
    EXPECT_EQ(UPDATE_ERR_EXTRACT, run.code);
    EXPECT_EQ(FP_ERR_FORMAT, run.detail);
    EXPECT_EQ(3, run.stepPos);
    EXPECT_TRUE(Exists(root + "Product\\TMP\\WUTMP\\WU.TPK"));

    SetServerPath(nullptr);
    SetClientRoot(nullptr);
}
