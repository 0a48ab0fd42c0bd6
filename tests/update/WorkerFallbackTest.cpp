// The worker with a payload whose only setup program is the fallback.
#include "WorkerHarness.h"

#include "update/UpdateResult.h"

#include <gtest/gtest.h>

TEST(WorkerFallback, OlvatineRunsWhenBrennickIsMissing) {
    ResetTestRoot();
    const std::string root = kTestRoot;
    SetServerPath((root + "Product\\BaseSrv").c_str());
    SetClientRoot((root + "Client").c_str());
    MakeFolders(root + "Client\\TV\\CLI");

    WorkerRun run = RunWorker();
    EXPECT_EQ(UPDATE_OK, run.code);
    EXPECT_EQ(6, run.stepPos);
    std::string work = root + "Product\\TMP\\WUTMP\\";
    std::string probe = ReadFile(root + "probe.txt");
    EXPECT_EQ(0u, probe.find("Olvatine.exe|\"" + work + "Olvatine.exe\"|")) << probe;
    EXPECT_FALSE(Exists(work));

    SetServerPath(nullptr);
    SetClientRoot(nullptr);
}
