#include "sys/Folder.h"
#include "sys/Handle.h"
#include "sys/RemoveTree.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SysTestSupport.h"

namespace {

// A tree with one file held open without delete sharing; RemoveTree waits through Record,
// which lets go of the file at the wait numbered `releaseAt` (never when 0).
class RemoveTreeTest : public testing::Test {
protected:
    void SetUp() override {
        waits.clear();
        releaseAt = 0;
        base = TestFolder();
        tree = base + "tree\\";
        held = tree + "sub\\deep\\held.txt";
        ASSERT_EQ(1, MakePath((tree + "sub\\deep\\").c_str()));
        for (const char* name : {"top.txt", "sub\\other.txt", "sub\\deep\\held.txt"})
            ASSERT_TRUE(WriteWholeFile(tree + name, "x"));
        holder.Reset(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
        ASSERT_TRUE(holder.IsValid());
        SetRemoveTreeWait(Record);
    }
    void TearDown() override {
        SetRemoveTreeWait(NULL);
        holder.Close();
    }

    static void Record(DWORD milliseconds) {
        waits.push_back(milliseconds);
        if (waits.size() == releaseAt)
            holder.Close();
    }

    static std::vector<DWORD> waits;
    static size_t releaseAt;
    static OwnedHandle holder;
    std::string base, tree, held;
};

std::vector<DWORD> RemoveTreeTest::waits;
size_t RemoveTreeTest::releaseAt;
OwnedHandle RemoveTreeTest::holder;

} // namespace

TEST_F(RemoveTreeTest, WaitsOutABriefHold) {
    releaseAt = 3;
    EXPECT_EQ(0u, RemoveTree(tree.c_str()));
    EXPECT_FALSE(PathExists(tree));
    EXPECT_EQ(std::vector<DWORD>(3, 100), waits);
}

// The file held to the end stays with the folders holding it; the rest goes. The error is the
// held file's own, not its folders'.
TEST_F(RemoveTreeTest, GivesUpOnAFileHeldForGood) {
    EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), RemoveTree(tree.c_str()));
    EXPECT_EQ(100u, waits.size());
    EXPECT_TRUE(PathExists(held));
    EXPECT_FALSE(PathExists(tree + "top.txt"));
    EXPECT_FALSE(PathExists(tree + "sub\\other.txt"));

    holder.Close();
    EXPECT_EQ(0u, RemoveTree(tree.c_str()));
    EXPECT_FALSE(PathExists(tree));
}

// A file in the folder's place is not taken for a missing folder, with a final separator too.
TEST_F(RemoveTreeTest, RefusesAFile) {
    EXPECT_EQ(DWORD(ERROR_DIRECTORY), RemoveTree((tree + "top.txt\\").c_str()));
    EXPECT_TRUE(PathExists(tree + "top.txt"));
}

// A link in the folder's place is neither removed nor followed.
TEST_F(RemoveTreeTest, StopsAtALink) {
    std::string link = base + "link";
    if (!MakeHostLink(link, tree))
        GTEST_SKIP() << "no folder links on this system";
    EXPECT_EQ(DWORD(ERROR_STOPPED_ON_SYMLINK), RemoveTree(link.c_str()));
    EXPECT_TRUE(PathExists(link));
    EXPECT_TRUE(PathExists(tree + "top.txt"));
    EXPECT_TRUE(waits.empty());
    RemoveHostLink(link);
}

// A top folder another handle holds (with delete sharing) is removed all the same: at once where
// its name goes with the marking handle (POSIX disposition, Wine 8), after a wait for the holder
// where it stays marked until the holder lets go.
TEST_F(RemoveTreeTest, WaitsOutAHoldOnTheTopFolder) {
    holder.Reset(CreateFileA(tree.c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL));
    ASSERT_TRUE(holder.IsValid());
    releaseAt = 3;
    EXPECT_EQ(0u, RemoveTree(tree.c_str()));
    EXPECT_FALSE(PathExists(tree));
    EXPECT_LE(waits.size(), 3u);
}
