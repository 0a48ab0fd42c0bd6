#include "sys/Folder.h"
#include "sys/Path.h"

#include <direct.h>

#include <string>

#include <gtest/gtest.h>

#include "SysTestSupport.h"

namespace {

// Runs a program and waits for it; used to reach the host's own tools under Wine.
bool RunHostTool(const char* application, std::string commandLine, const std::string& folder) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(application, &commandLine[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(),
                        &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// Makes `link` in `folder` a link to the folder `target` (given in the system's and in the
// host's spelling), or returns false when the system can make none.
bool MakeFolderLink(const std::string& folder, const char* link, const char* target,
                    const char* hostTarget) {
    std::string path = folder + link;
    if (!CreateSymbolicLinkA(path.c_str(), target, SYMBOLIC_LINK_FLAG_DIRECTORY) ||
        GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        // Wine shows the host's symbolic links as reparse points.
        RunHostTool("Z:\\bin\\ln", std::string("ln -s ") + hostTarget + " " + link, folder);
    // Wine does not wait for a host program to end: look for its work a while.
    for (int tries = 0; tries < 100; ++tries) {
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        Sleep(20);
    }
    return false;
}

} // namespace

TEST(DeleteTree, RemovesTheWholeTree) {
    std::string base = TestFolder();
    std::string tree = base + "tree\\";
    ASSERT_EQ(1, MakePath((tree + "a\\b\\表\\ソ\\").c_str()));
    ASSERT_TRUE(WriteWholeFile(tree + "top.txt", "1"));
    ASSERT_TRUE(WriteWholeFile(tree + "a\\b\\表\\ソ\\表.txt", "2"));
    ASSERT_TRUE(WriteWholeFile(tree + "a\\readonly.txt", "3"));
    ASSERT_TRUE(SetFileAttributesA((tree + "a\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    // A file whose path is longer than the ANSI calls take.
    std::string longName = tree + "a\\" + std::string(240, 'n');
    ASSERT_GT(longName.size(), 260u);
    ASSERT_TRUE(WriteWholeFile(longName, "4"));

    EXPECT_EQ(1, DeleteTree((base + "tree").c_str(), 0));
    EXPECT_FALSE(PathExists(tree));
    EXPECT_TRUE(PathExists(base));
}

TEST(DeleteTree, RefusesShortAndMissingPaths) {
    std::string base = TestFolder();
    ASSERT_EQ(0, _chdir(base.c_str()));
    ASSERT_EQ(1, MakePath((base + "ab\\").c_str()));
    ASSERT_TRUE(WriteWholeFile(base + "ab\\keep.txt", "x"));

    // Three bytes or fewer are never touched (C:\ is one such path).
    EXPECT_EQ(0, DeleteTree("ab\\", 0));
    EXPECT_EQ(0, DeleteTree("ab", 1));
    EXPECT_TRUE(PathExists(base + "ab\\keep.txt"));

    EXPECT_EQ(0, DeleteTree((base + "missing").c_str(), 0));
    EXPECT_EQ(0, DeleteTree(NULL, 0));
    EXPECT_EQ(0, DeleteTree(std::string(FOLDER_PATH_SIZE, 'a').c_str(), 0));
    std::string truncated = base + "ab\\\x95";
    ASSERT_EQ(1, EndsInLeadByte(truncated.c_str()));
    EXPECT_EQ(0, DeleteTree(truncated.c_str(), 0));
    EXPECT_TRUE(PathExists(base + "ab\\keep.txt"));

    // Four bytes are processed.
    ASSERT_EQ(1, MakePath((base + "abc\\d\\").c_str()));
    EXPECT_EQ(1, DeleteTree("abc\\", 0));
    EXPECT_FALSE(PathExists(base + "abc"));
    ASSERT_EQ(0, _chdir("C:\\"));
}

// Only the listing's "." and ".." are passed over: dot-folders go like any other.
TEST(DeleteTree, RemovesDotFolders) {
    std::string base = TestFolder();
    ASSERT_EQ(1, MakePath((base + "tree\\.cache\\x\\").c_str()));
    ASSERT_EQ(1, MakePath((base + "tree\\.settings\\").c_str()));
    ASSERT_TRUE(WriteWholeFile(base + "tree\\.cache\\x\\gone.txt", "x"));
    ASSERT_TRUE(WriteWholeFile(base + "tree\\.gone.txt", "x"));

    EXPECT_EQ(1, DeleteTree((base + "tree\\").c_str(), 0));
    EXPECT_FALSE(PathExists(base + "tree"));
}

// A file with another name outside the tree loses only its name in the tree: the other keeps
// the read-only bit that all names share. Under Wine 8, which refuses the POSIX disposition, this
// and the read-only file of RemovesTheWholeTree take the fallback that clears the bit.
TEST(DeleteTree, KeepsTheAttributesOfOtherNames) {
    std::string base = TestFolder();
    std::string outside = base + "outside.txt";
    ASSERT_EQ(1, MakePath((base + "tree\\").c_str()));
    ASSERT_TRUE(WriteWholeFile(outside, "x"));
    ASSERT_TRUE(SetFileAttributesA(outside.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(CreateHardLinkA((base + "tree\\name.txt").c_str(), outside.c_str(), NULL));

    EXPECT_EQ(1, DeleteTree((base + "tree").c_str(), 0));
    EXPECT_FALSE(PathExists(base + "tree"));
    DWORD attributes = WideAttributes(outside);
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
}

TEST(DeleteTree, ContinueOnError) {
    std::string base = TestFolder();
    std::string tree = base + "tree\\";
    ASSERT_EQ(1, MakePath((tree + "sub\\").c_str()));
    for (const char* name : {"a.txt", "b.txt", "sub\\c.txt", "z.txt"})
        ASSERT_TRUE(WriteWholeFile(tree + name, "x"));
    // Open without delete sharing: this file cannot be deleted while the handle lives.
    HANDLE locked = CreateFileA((tree + "sub\\locked.txt").c_str(), GENERIC_WRITE, 0, NULL,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);

    EXPECT_EQ(0, DeleteTree(tree.c_str(), 0));
    EXPECT_TRUE(PathExists(tree + "sub\\locked.txt"));

    EXPECT_EQ(1, DeleteTree(tree.c_str(), 1));
    EXPECT_TRUE(PathExists(tree + "sub\\locked.txt"));
    EXPECT_FALSE(PathExists(tree + "a.txt"));
    EXPECT_FALSE(PathExists(tree + "b.txt"));
    EXPECT_FALSE(PathExists(tree + "sub\\c.txt"));
    EXPECT_FALSE(PathExists(tree + "z.txt"));

    CloseHandle(locked);
    EXPECT_EQ(1, DeleteTree(tree.c_str(), 0));
    EXPECT_FALSE(PathExists(tree));
}

// A linked folder inside the tree is not entered: what it points at stays whole.
TEST(DeleteTree, DoesNotFollowFolderLinks) {
    std::string base = TestFolder();
    ASSERT_EQ(1, MakePath((base + "target\\").c_str()));
    ASSERT_TRUE(WriteWholeFile(base + "target\\precious.txt", "x"));
    ASSERT_EQ(1, MakePath((base + "tree\\").c_str()));
    ASSERT_TRUE(WriteWholeFile(base + "tree\\gone.txt", "x"));
    if (!MakeFolderLink(base + "tree\\", "link", "..\\target", "../target"))
        GTEST_SKIP() << "no folder links on this system";
    ASSERT_TRUE(PathExists(base + "tree\\link\\precious.txt"));

    DeleteTree((base + "tree").c_str(), 1);
    EXPECT_TRUE(PathExists(base + "target\\precious.txt"));
    EXPECT_FALSE(PathExists(base + "tree\\gone.txt"));
    // Wine cannot remove a host link through the Win32 calls.
    RunHostTool("Z:\\bin\\rm", "rm -f link", base + "tree\\");
}
