#include "log/Log.h"
#include "tests/log/LogTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class LogLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = FreshTestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        log = folder + "Varnock_Log.txt";
        SetLogFilePath(log);
        ASSERT_TRUE(lock.IsValid());
    }
    void TearDown() override {
        LogFilePath[0] = '\0';
        if (!HasFailure())
            RemoveTestFolder(folder);
    }

    size_t LineCount() {
        std::string text;
        std::vector<std::string> lines;
        if (!ReadWholeFile(log, &text) || !SplitLogLines(text, &lines))
            return 0;
        return lines.size();
    }

    LockReference lock;
    std::string folder, log;
};

TEST_F(LogLockTest, LockHeldElsewhereDropsTheLineAfterTenSeconds) {
    TestEvent ready("ready", TRUE), release("release", TRUE);
    ASSERT_TRUE(ready.Handle() && release.Handle());
    HelperProcess holder;
    ASSERT_TRUE(holder.Start("hold " + ready.Name() + " " + release.Name()));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready.Handle(), 30000));

    ULONGLONG started = GetTickCount64();
    LOG_WRITE("dropped");
    ULONGLONG waited = GetTickCount64() - started;
    EXPECT_FALSE(PathExists(log));
    EXPECT_GE(waited, 9500u);
    EXPECT_LT(waited, 30000u);

    SetEvent(release.Handle());
    EXPECT_EQ(0, holder.Wait(30000));
    LOG_WRITE("written");
    EXPECT_EQ(1u, LineCount());
}

TEST_F(LogLockTest, LockAbandonedByItsOwnerStillWrites) {
    HelperProcess owner;
    ASSERT_TRUE(owner.Start("abandon"));
    ASSERT_EQ(0, owner.Wait(30000));

    LOG_WRITE("after the owner ended");
    EXPECT_EQ(1u, LineCount());

    // The abandoned lock was taken over and given back.
    HelperProcess probe;
    ASSERT_TRUE(probe.Start("probe"));
    EXPECT_EQ(0, probe.Wait(30000));
    LOG_WRITE("again");
    EXPECT_EQ(2u, LineCount());
}

} // namespace
