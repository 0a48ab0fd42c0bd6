// The worker with a payload whose only setup program is the fallback.
#include "WorkerHarness.h"

#include "update/UpdateResult.h"

#include <gtest/gtest.h>

TEST(WorkerFallback, OlvatineRunsWhenBrennickIsMissing) {
    const std::string work = InstallProduct();
    WorkerRun run = RunWorker();
    EXPECT_EQ(UPDATE_OK, run.code);
    EXPECT_EQ(6, run.stepPos);
    std::string probe = ReadFile(std::string(kTestRoot) + "probe.txt");
    EXPECT_EQ(0u, probe.find("Olvatine.exe|\"" + work + "Olvatine.exe\"|")) << probe;
    EXPECT_FALSE(Exists(work));
    UninstallProduct();
}
