#include "sys/Resource.h"

#include <string>

#include <gtest/gtest.h>

#include "SysTestSupport.h"

namespace {

const char* const PAYLOAD = MAKEINTRESOURCEA(130);
const char* const EMPTY = MAKEINTRESOURCEA(131);
const char* const MISSING = MAKEINTRESOURCEA(132);

std::string Embedded(const char* name) {
    HRSRC found = FindResourceA(NULL, name, RESOURCE_FILE_TYPE);
    if (!found)
        return std::string();
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(NULL, found)));
    return std::string(bytes, SizeofResource(NULL, found));
}

// The file's bytes; also shows that nobody holds it open without sharing.
std::string Contents(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "<cannot open>";
    std::string contents(1 << 16, '\0');
    DWORD read = 0;
    ReadFile(file, &contents[0], static_cast<DWORD>(contents.size()), &read, NULL);
    CloseHandle(file);
    contents.resize(read);
    return contents;
}

} // namespace

TEST(WriteResourceToFile, WritesTheWholeResource) {
    std::string path = TestFolder() + "表WU.TPK";
    ASSERT_EQ(4096u, Embedded(PAYLOAD).size());
    EXPECT_EQ(1, WriteResourceToFile(PAYLOAD, path.c_str(), 0));
    EXPECT_EQ(Embedded(PAYLOAD), Contents(path));

    std::string empty = TestFolder() + "empty";
    EXPECT_EQ(1, WriteResourceToFile(EMPTY, empty.c_str(), 0));
    EXPECT_EQ("", Contents(empty));
}

TEST(WriteResourceToFile, ExistingFiles) {
    std::string path = TestFolder() + "WU.TPK";
    ASSERT_TRUE(WriteWholeFile(path, "old"));
    EXPECT_EQ(0, WriteResourceToFile(PAYLOAD, path.c_str(), 0));
    EXPECT_EQ("old", Contents(path));

    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(1, WriteResourceToFile(PAYLOAD, path.c_str(), 1));
    EXPECT_EQ(Embedded(PAYLOAD), Contents(path));
    EXPECT_EQ(0u, GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST(WriteResourceToFile, FailuresOnTheWay) {
    std::string base = TestFolder();
    std::string folder = base + "folder";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    EXPECT_EQ(0, WriteResourceToFile(PAYLOAD, folder.c_str(), 1));
    EXPECT_TRUE(IsFolderAttributes(GetFileAttributesA(folder.c_str())));

    // A missing resource leaves an empty, closed file.
    std::string missing = base + "missing";
    EXPECT_EQ(0, WriteResourceToFile(MISSING, missing.c_str(), 1));
    EXPECT_EQ("", Contents(missing));

    EXPECT_EQ(0, WriteResourceToFile(PAYLOAD, (base + "no\\such\\folder").c_str(), 1));
    EXPECT_EQ(0, WriteResourceToFile(PAYLOAD, NULL, 1));
}
