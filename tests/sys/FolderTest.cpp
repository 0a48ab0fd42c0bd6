#include "sys/Folder.h"
#include "sys/Path.h"
#include "sys/PrivateFolder.h"

#include <sddl.h>

#include <direct.h>
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "SysTestSupport.h"

namespace {

std::string CurrentFolder() {
    char folder[FOLDER_PATH_SIZE];
    return _getcwd(folder, sizeof folder) ? folder : "";
}

// Names in a folder, through the wide listing, "." and ".." left out.
std::wstring ListNames(const std::string& folder) {
    std::wstring names;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((L"\\\\?\\" + Wide(folder) + L"*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..")
            names += name + L"|";
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return names;
}

} // namespace

TEST(IsDirectory, FoldersFilesAndMissingPaths) {
    std::string base = TestFolder();
    ASSERT_EQ(0, _chdir(base.c_str()));
    std::string before = CurrentFolder();
    ASSERT_TRUE(WriteWholeFile(base + "file", "x"));

    EXPECT_EQ(1, IsDirectory(base.c_str()));
    EXPECT_EQ(1, IsDirectory("c:\\windows"));
    EXPECT_EQ(0, IsDirectory((base + "file").c_str()));
    EXPECT_EQ(0, IsDirectory((base + "missing").c_str()));
    EXPECT_EQ(0, IsDirectory("Q:\\"));
    EXPECT_EQ(0, IsDirectory("1:\\"));
    EXPECT_EQ(0, IsDirectory(""));
    EXPECT_EQ(0, IsDirectory(NULL));
    EXPECT_EQ(0, IsDirectory(std::string(FOLDER_PATH_SIZE, 'a').c_str()));
    EXPECT_EQ(before, CurrentFolder());
    EXPECT_EQ(3, _getdrive());
}

// A folder on another drive: the current drive and folder must both come back.
TEST(IsDirectory, RestoresTheCurrentFolderAcrossDrives) {
    std::string base = TestFolder();
    ASSERT_EQ(0, _chdir(base.c_str()));
    std::string before = CurrentFolder();
    EXPECT_EQ(1, IsDirectory("z:\\"));
    EXPECT_EQ(before, CurrentFolder());
    EXPECT_EQ(0, IsDirectory("Z:\\no-such-folder\\x"));
    EXPECT_EQ(before, CurrentFolder());
}

TEST(MakePath, CreatesNestedFoldersOutermostFirst) {
    std::string base = TestFolder();
    std::string path = base + "A\\B\\C\\";
    EXPECT_EQ(1, MakePath(path.c_str()));
    EXPECT_EQ(1, IsDirectory((base + "A").c_str()));
    EXPECT_EQ(1, IsDirectory((base + "A\\B").c_str()));
    EXPECT_EQ(1, IsDirectory(path.c_str()));

    // Already there: nothing new, still 1.
    EXPECT_EQ(1, MakePath(path.c_str()));
    EXPECT_EQ(L"C|", ListNames(base + "A\\B\\"));

    // Without a final separator the last folder is created too.
    EXPECT_EQ(1, MakePath((base + "D\\E").c_str()));
    EXPECT_EQ(1, IsDirectory((base + "D\\E").c_str()));

    // A file in the way.
    ASSERT_TRUE(WriteWholeFile(base + "F", "x"));
    EXPECT_EQ(0, MakePath((base + "F\\G\\").c_str()));
}

// 表 and ソ end in the byte 0x5C; a byte search would split them into two folders.
TEST(MakePath, DoubleByteNamesEndingIn5C) {
    std::string base = TestFolder();
    EXPECT_EQ(1, MakePath((base + "表\\ソ\\ソフト").c_str()));
    EXPECT_EQ(L"表|", ListNames(base));
    EXPECT_EQ(L"ソ|", ListNames(base + "表\\"));
    EXPECT_EQ(L"ソフト|", ListNames(base + "表\\ソ\\"));
}

// Inputs beyond the working storage fail and create nothing.
TEST(MakePath, RefusesWhatDoesNotFit) {
    std::string base = TestFolder();
    std::string longPart = base + std::string(FOLDER_PART_SIZE - base.size(), 'p') + "\\q";
    EXPECT_EQ(0, MakePath(longPart.c_str()));
    std::string fitting = base + std::string(FOLDER_PART_SIZE - 1 - base.size(), 'p') + "\\q";
    std::string tooLong = base + "a\\" + std::string(FOLDER_PATH_SIZE, 'b');
    EXPECT_EQ(0, MakePath(tooLong.c_str()));
    std::string truncated = base + "a\\\x95";
    ASSERT_EQ(1, EndsInLeadByte(truncated.c_str()));
    EXPECT_EQ(0, MakePath(truncated.c_str()));
    EXPECT_EQ(0, MakePath(NULL));
    EXPECT_EQ(L"", ListNames(base));

    EXPECT_EQ(1, MakePath(fitting.c_str()));
}

// A folder of 260 bytes or more cannot be entered, yet it is a folder.
TEST(MakePath, LongFolderThatExists) {
    std::string base = TestFolder();
    std::string path = base + std::string(200, 'l') + "\\" + std::string(120, 'm');
    ASSERT_GT(path.size(), 300u);
    EXPECT_EQ(1, MakePath(path.c_str()));
    EXPECT_TRUE(IsFolderAttributes(WideAttributes(path)));
    EXPECT_EQ(1, MakePath(path.c_str()));
}

// The work folder's descriptor: nothing inherited, full control for Administrators and SYSTEM
// only, passed on to everything inside. (Wine keeps no descriptor: the one built is what counts.)
TEST(PrivateFolder, DescriptorAndFreshCreation) {
    PrivateFolderSecurity security;
    ASSERT_NE(nullptr, security.Get());
    char* sddl = nullptr;
    ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorA(
        security.Get(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &sddl, nullptr));
    EXPECT_STREQ("D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)", sddl);
    LocalFree(sddl);

    std::string folder = TestFolder() + "private";
    EXPECT_EQ(1, CreatePrivateFolder(folder.c_str()));
    EXPECT_EQ(1, IsDirectory(folder.c_str()));
    EXPECT_EQ(0, CreatePrivateFolder(folder.c_str())); // never an existing one
    EXPECT_EQ(ERROR_ALREADY_EXISTS, GetLastError());
}

TEST(IsLink, OnlyReparsePointsAreLinks) {
    std::string folder = TestFolder();
    MakePath((folder + "plain\\").c_str());
    ASSERT_TRUE(MakeHostLink(folder + "link", folder + "plain"));
    EXPECT_EQ(1, IsLink((folder + "link").c_str()));
    EXPECT_EQ(1, IsLink((folder + "link\\").c_str())); // the separator does not look through it
    EXPECT_EQ(0, IsLink((folder + "plain\\").c_str()));
    EXPECT_EQ(0, IsLink((folder + "missing").c_str()));
    RemoveHostLink(folder + "link");
}
