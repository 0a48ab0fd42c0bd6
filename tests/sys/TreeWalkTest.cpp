// The removal walk as a hostile user or an odd setup program meets it: links swapped in while it
// runs, names with no code page 932 form, chains deeper than the ANSI calls reach.
#include "sys/Folder.h"
#include "sys/RemoveTree.h"
#include "sys/TreeWalk.h"

#include <string>

#include <gtest/gtest.h>

#include "SysTestSupport.h"

namespace {

// Creates the file or folder `name` (UTF-16) in the folder `folder`; false when the system
// cannot store such a name.
bool MakeWide(const std::string& folder, const std::wstring& name, bool isFolder) {
    std::wstring path = ExtendedPath(folder) + L"\\" + name;
    if (isFolder)
        return CreateDirectoryW(path.c_str(), NULL) != 0;
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// A chain of `depth` folders named `name` in `folder`, with a file at its end; the path of the
// deepest folder.
std::string MakeChain(std::string folder, const std::string& name, int depth) {
    for (int level = 0; level < depth; ++level) {
        folder += name + "\\";
        if (!CreateDirectoryW(ExtendedPath(folder).c_str(), NULL))
            return std::string();
    }
    return WriteWholeFile(folder + "end.txt", "x") ? folder : std::string();
}

// The tree the swap test walks, and what lies outside it: `outside` holds a precious file and
// an empty folder, which a removal through a link would take.
struct SwapScene {
    std::string base, tree, outside;
    int swapped[2];
};
SwapScene g_scene;

// Between the listing and the opening, the folder "d" and the file "a.txt" are moved aside and
// links to the outside put in their place, once each.
void SwapForLinks(const WCHAR* name, size_t length) {
    static const struct {
        const wchar_t* entry;
        const char* target;
    } kSwaps[] = {{L"d", ""}, {L"a.txt", "keep"}};
    for (int i = 0; i < 2; ++i) {
        if (g_scene.swapped[i] || std::wstring(name, length) != kSwaps[i].entry)
            continue;
        std::string from = g_scene.tree + (i == 0 ? "d" : "a.txt");
        std::string aside = g_scene.base + (i == 0 ? "d.old" : "a.old");
        g_scene.swapped[i] = MoveFileW(ExtendedPath(from).c_str(), ExtendedPath(aside).c_str()) &&
                             MakeHostLink(from, g_scene.outside + kSwaps[i].target);
    }
}

} // namespace

// Nothing outside the tree is touched through a link put in a listed entry's place: a link is
// removed as a link (Windows), or left alone when the system opens what it points at (Wine 8).
TEST(TreeWalk, NeverRemovesThroughASwappedLink) {
    g_scene.base = TestFolder();
    g_scene.tree = g_scene.base + "tree\\";
    g_scene.outside = g_scene.base + "outside\\";
    g_scene.swapped[0] = g_scene.swapped[1] = 0;
    ASSERT_EQ(1, MakePath((g_scene.tree + "d\\").c_str()));
    ASSERT_EQ(1, MakePath((g_scene.outside + "keep\\").c_str()));
    for (const char* name : {"a.txt", "b.txt", "d\\f.txt"})
        ASSERT_TRUE(WriteWholeFile(g_scene.tree + name, "x"));
    ASSERT_TRUE(WriteWholeFile(g_scene.outside + "f.txt", "precious"));

    SetTreeWalkHook(SwapForLinks);
    DWORD result = RemoveTree(g_scene.tree.c_str());
    SetTreeWalkHook(nullptr);
    if (!g_scene.swapped[0] || !g_scene.swapped[1])
        GTEST_SKIP() << "no folder links on this system";

    EXPECT_TRUE(result == 0 || result == DWORD(ERROR_STOPPED_ON_SYMLINK)) << result;
    EXPECT_TRUE(PathExists(g_scene.outside + "f.txt"));
    EXPECT_TRUE(PathExists(g_scene.outside + "keep"));
    EXPECT_TRUE(PathExists(g_scene.base + "d.old\\f.txt"));
    EXPECT_FALSE(PathExists(g_scene.tree + "b.txt"));
    RemoveHostLink(g_scene.tree + "d");
    RemoveHostLink(g_scene.tree + "a.txt");
}

// Names the ANSI calls cannot spell are removed by their own UTF-16 names, and the next
// removal finds nothing. Wine 8 cannot store an unpaired surrogate; Windows can.
TEST(TreeWalk, RemovesNamesWithoutACodePage932Form) {
    std::string tree = TestFolder() + "tree\\";
    ASSERT_EQ(1, MakePath((tree + "sub\\").c_str()));
    ASSERT_TRUE(MakeWide(tree, L"\xD55C\xAD6D\xC5B4.txt", false));
    ASSERT_TRUE(MakeWide(tree, L"\xD55C\xAD6D\xC5B4", true));
    ASSERT_TRUE(MakeWide(tree, L"\xD55C\xAD6D\xC5B4\\x.txt", false));
    ASSERT_TRUE(MakeWide(tree + "sub", L"emoji-\xD83D\xDE00.txt", false));
    MakeWide(tree + "sub", L"lone-\xD800.txt", false);

    EXPECT_EQ(0u, RemoveTree(tree.c_str()));
    EXPECT_FALSE(PathExists(tree));
    EXPECT_EQ(0u, RemoveTree(tree.c_str()));
}

// A chain whose folders' own paths pass what the ANSI calls take is removed whole.
TEST(TreeWalk, RemovesAChainPastTheAnsiLimit) {
    std::string tree = TestFolder() + "tree\\";
    ASSERT_EQ(1, MakePath((tree + "x\\").c_str()));
    std::string deepest = MakeChain(tree + "x\\", std::string(60, 'c'), 5);
    ASSERT_GT(deepest.size(), 259u);

    EXPECT_EQ(0u, RemoveTree(tree.c_str()));
    EXPECT_FALSE(PathExists(tree));
}

// A chain deeper than the walk's limit stops it with its own error; the part beyond the limit
// and the folders holding it stay.
TEST(TreeWalk, StopsAtItsDepthLimit) {
    std::string tree = TestFolder() + "tree\\";
    ASSERT_EQ(1, MakePath(tree.c_str()));
    std::string deepest = MakeChain(tree, "a", TREE_WALK_MAX_DEPTH + 1);
    ASSERT_FALSE(deepest.empty());

    EXPECT_EQ(0, DeleteTree(tree.c_str(), 1));
    EXPECT_EQ(DWORD(ERROR_FILENAME_EXCED_RANGE), GetLastError());
    EXPECT_TRUE(PathExists(deepest + "end.txt"));
    EXPECT_EQ(DWORD(ERROR_FILENAME_EXCED_RANGE), RemoveTree(tree.c_str()));
    RemoveAll(tree);
}
