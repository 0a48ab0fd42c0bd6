#include "sys/LongPath.h"

#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "SysTestSupport.h"

namespace {

// Appends folders of `width` bytes named with `fill` until the path holds at least `length`
// bytes; creates them through the wide calls when `create` is set. Returns the path without
// a final separator.
std::string Deepen(std::string base, size_t length, char fill, size_t width, bool create) {
    if (!base.empty() && base.back() == '\\')
        base.pop_back();
    while (base.size() < length) {
        base += "\\" + std::string(width, fill);
        if (create)
            CreateDirectoryW((L"\\\\?\\" + Wide(base)).c_str(), NULL);
    }
    return base;
}

} // namespace

TEST(LongPath, ExtendedPrefix) {
    char out[64];
    EXPECT_EQ(8u, BuildExtendedPath("C:\\X", out, sizeof out));
    EXPECT_STREQ("\\\\?\\C:\\X", out);
    EXPECT_EQ(24u, BuildExtendedPath("\\\\server\\share\\dir", out, sizeof out));
    EXPECT_STREQ("\\\\?\\UNC\\server\\share\\dir", out);
    // A single leading separator is no UNC path.
    EXPECT_EQ(10u, BuildExtendedPath("\\dir\\x", out, sizeof out));
    EXPECT_STREQ("\\\\?\\\\dir\\x", out);

    // Exact fit, then one byte short.
    EXPECT_EQ(8u, BuildExtendedPath("C:\\X", out, 9));
    EXPECT_EQ(0u, BuildExtendedPath("C:\\X", out, 8));
    EXPECT_STREQ("", out);
    EXPECT_EQ(0u, BuildExtendedPath(NULL, out, sizeof out));
}

// Beyond 260 bytes the ANSI calls fail; every wrapper must take the wide route.
TEST(LongPath, WideRouteServesLongPaths) {
    std::string folder = Deepen(TestFolder(), 300, 'd', 60, true);
    std::string file = folder + "\\表ソ.txt";
    ASSERT_GT(file.size(), 300u);
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.c_str()));

    EXPECT_TRUE(IsFolderAttributes(LongGetFileAttributes(folder.c_str())));
    HANDLE handle = LongCreateFile(file.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, handle);
    ASSERT_NE(HANDLE(NULL), handle);
    CloseHandle(handle);
    EXPECT_TRUE(PathExists(file));

    EXPECT_TRUE(LongSetFileAttributes(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY, LongGetFileAttributes(file.c_str()) & 1);
    EXPECT_FALSE(LongDeleteFile(file.c_str()));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_TRUE(LongSetFileAttributes(file.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(LongDeleteFile(file.c_str()));
    EXPECT_FALSE(PathExists(file));

    std::string sub = folder + "\\表";
    EXPECT_TRUE(LongCreateDirectory(sub.c_str(), NULL));
    EXPECT_TRUE(IsFolderAttributes(WideAttributes(sub)));
    EXPECT_FALSE(LongCreateDirectory(sub.c_str(), NULL));
    EXPECT_EQ(ERROR_ALREADY_EXISTS, GetLastError());
}

// The \\?\ form takes no forward slashes: such a path works below the threshold only.
TEST(LongPath, ThresholdIs260Bytes) {
    std::string folder = TestFolder();
    ASSERT_TRUE(WriteWholeFile(folder + std::string(259 - folder.size(), 'f'), "x"));
    ASSERT_TRUE(WriteWholeFile(folder + std::string(260 - folder.size(), 'f'), "x"));
    std::string base = folder;
    for (char& c : base)
        c = c == '\\' ? '/' : c;
    std::string at259 = base + std::string(259 - base.size(), 'f');
    std::string at260 = base + std::string(260 - base.size(), 'f');

    EXPECT_NE(INVALID_FILE_ATTRIBUTES, LongGetFileAttributes(at259.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, LongGetFileAttributes(at260.c_str()));
    HANDLE handle = LongCreateFile(at259.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_NE(INVALID_HANDLE_VALUE, handle);
    CloseHandle(handle);
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              LongCreateFile(at260.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL));
    EXPECT_FALSE(LongSetFileAttributes(at260.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_FALSE(LongDeleteFile(at260.c_str()));
    EXPECT_TRUE(LongDeleteFile(at259.c_str()));

    // Short or not, a folder is always created through the wide call.
    std::string shortFolder = base + "sub";
    EXPECT_FALSE(LongCreateDirectory(shortFolder.c_str(), NULL));
    EXPECT_TRUE(CreateDirectoryA(shortFolder.c_str(), NULL));
}

// A prefixed path beyond the working storage fails with the wrapper's own value and
// creates nothing.
TEST(LongPath, BeyondWorkingStorage) {
    std::string base = TestFolder();
    std::string tooLong = base + std::string(LONG_PATH_MAX - base.size(), 'z');
    SetLastError(0);
    EXPECT_EQ(HANDLE(NULL), LongCreateFile(tooLong.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, NULL));
    EXPECT_EQ(ERROR_FILENAME_EXCED_RANGE, GetLastError());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, LongGetFileAttributes(tooLong.c_str()));
    EXPECT_FALSE(LongSetFileAttributes(tooLong.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_FALSE(LongDeleteFile(tooLong.c_str()));
    EXPECT_FALSE(LongCreateDirectory(tooLong.c_str(), NULL));
    EXPECT_FALSE(LongCreateDirectory(NULL, NULL));
    // One byte shorter fits: the system call itself answers.
    std::string atLimit = base + std::string(LONG_PATH_MAX - 5 - base.size(), 'z');
    EXPECT_EQ(INVALID_HANDLE_VALUE, LongCreateFile(atLimit.c_str(), GENERIC_WRITE, 0, NULL,
                                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));

    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((base + "*").c_str(), &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    int entries = 0;
    do {
        ++entries;
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    EXPECT_EQ(2, entries); // "." and ".." only
}
