// The asynchronous layer hands the target the very calls the reader makes, in order, and stops
// at the target's first failure as the reader would have.
#include "folderpack/AsyncSink.h"

#include "ArchiveBuilder.h"
#include "RecordingSink.h"
#include "WalkArchive.h"

#include <gtest/gtest.h>

namespace {

std::string Sample() {
    ArchiveBuilder a;
    std::string big(3 * FP_ASYNC_BUDGET, 'b'); // more than the queue may hold
    a.Header(5).WholeFile("d\\one", "first").Folder("d\\");
    a.File("big", big.size() + 3).Compressed(big).Stored("end").End();
    a.WholeFile("three", ArchiveBuilder::Noise(100000, 4)).WholeFile("four", "");
    return a.bytes;
}

int Walk(const std::string& archive, FpSink& sink) {
    return WalkArchive(archive, "D:\\x", sink);
}

} // namespace

TEST(AsyncSink, TargetSeesTheSameCallsAndBytes) {
    std::string archive = Sample();
    RecordingSink direct;
    ASSERT_EQ(FP_OK, Walk(archive, direct));

    RecordingSink target;
    FpAsyncSink async(target);
    EXPECT_EQ(FP_OK, Walk(archive, async));
    EXPECT_EQ(FP_OK, async.Finish());
    EXPECT_EQ(direct.calls, target.calls);
    EXPECT_TRUE(direct.all == target.all);
    EXPECT_EQ(0, async.FailedIndex());
}

TEST(AsyncSink, StopsAtTheTargetsFirstFailure) {
    std::string archive = Sample();
    RecordingSink direct;
    direct.failName = "three";
    direct.beginResult = FP_ERR_EXISTS;
    EXPECT_EQ(FP_ERR_EXISTS, Walk(archive, direct));

    RecordingSink target;
    target.failName = "three";
    target.beginResult = FP_ERR_EXISTS;
    FpAsyncSink async(target);
    int walked = Walk(archive, async);
    EXPECT_TRUE(walked == FP_OK || walked == FP_ERR_EXISTS);
    EXPECT_EQ(FP_ERR_EXISTS, async.Finish());
    EXPECT_EQ(direct.calls, target.calls); // nothing of "four" reached it
    EXPECT_EQ(4, async.FailedIndex());
    EXPECT_STREQ("three", async.FailedName());
}

TEST(AsyncSink, AbortsTheOpenFileWhenAWriteFails) {
    RecordingSink target;
    target.writeResult = FP_ERR_WRITE;
    FpAsyncSink async(target);
    Walk(Sample(), async);
    EXPECT_EQ(FP_ERR_WRITE, async.Finish());
    ASSERT_EQ(2u, target.calls.size());
    EXPECT_EQ("begin D:\\x\\d\\one 5", target.calls[0]);
    EXPECT_EQ("abort d\\one", target.calls[1]);
    EXPECT_EQ(1, async.FailedIndex());
}
