// The Windows extractor under Wine: what lands on disk, in which order progress is reported, and
// what stays after each failure. Everything is written below C:\varnock-tests\folderpack.
#include "folderpack/extract/Extractor.h"

#include "folderpack/core/FileOutput.h"
#include "folderpack/extract/DiskSinkWindows.h"
#include "folderpack/pack/FolderPacker.h"

#include "ArchiveBuilder.h"
#include "TestFiles.h"
#include "sys/Folder.h"
#include "sys/LongPath.h"

#include <gtest/gtest.h>

#include <mbctype.h>

#include <set>
#include <string>
#include <vector>

namespace {

// As the program does at start-up: separators are found in the ANSI code page.
const int kMultibyteCodePage = _setmbcp(_MB_CP_ANSI);

const char kBase[] = "C:\\varnock-tests\\folderpack\\";

// A clean folder for one test: kBase + name + "\".
std::string Fresh(const std::string& name) {
    std::string folder = kBase + name;
    RemoveAll(folder);
    MakePath((folder + "\\").c_str());
    return folder + "\\";
}

std::string WriteBytes(const std::string& path, const std::string& bytes) {
    WriteWholeFile(path, bytes);
    return path;
}

std::string ReadBytes(const std::string& path) {
    std::string bytes;
    return ReadWholeFile(path, &bytes) ? bytes : "<missing>";
}

bool Exists(const std::string& path) {
    return PathExists(path);
}

uint64_t LastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(ExtendedPath(path).c_str(), GetFileExInfoStandard, &data))
        return 0;
    return uint64_t(data.ftLastWriteTime.dwLowDateTime) |
           uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32;
}

// Names of the entries of a folder.
std::set<std::string> Listing(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (strcmp(data.cFileName, ".") && strcmp(data.cFileName, ".."))
            names.insert(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

std::vector<std::vector<int>> g_progress;
std::vector<std::string> g_asked;
int g_answer = IDYES;

void RecordProgress(int a, int b, int c, int d, int e, int f) {
    g_progress.push_back({a, b, c, d, e, f});
}

int Answer(const char* path) {
    g_asked.push_back(path);
    return g_answer;
}

class Extractor : public ::testing::Test {
protected:
    void SetUp() override {
        g_progress.clear();
        g_asked.clear();
        g_answer = IDYES;
        root = Fresh(::testing::UnitTest::GetInstance()->current_test_info()->name());
        dest = root + "out\\";
        archive = root + "archive.fpk";
    }
    int Extract(const std::string& bytes, FpOverwriteCallback overwrite = Answer) {
        WriteBytes(archive, bytes);
        g_progress.clear();
        return ExtractFolderPack(dest.c_str(), archive.c_str(), overwrite, RecordProgress);
    }
    std::string root, dest, archive;
};

} // namespace

TEST_F(Extractor, RecreatesTreeWithTimesAttributesAndDoubleByteNames) {
    std::string text(200000, 'x');
    std::string stream = ArchiveBuilder::Deflate("looks like zlib");
    ArchiveBuilder a;
    a.Header(6);
    a.File("表\\ソ.txt", 5 + text.size(), 0x21).Stored("head:").Compressed(text).End();
    a.File("表\\empty.bin", 0).End();
    a.Folder("表\\");
    a.Folder("ソ\\", 0x10);
    a.File("z.bin", stream.size()).Stored(stream).End();
    a.WholeFile("Brennick.exe", "MZ");
    ASSERT_EQ(FP_OK, Extract(a.bytes));

    EXPECT_EQ("head:" + text, ReadBytes(dest + "表\\ソ.txt"));
    EXPECT_EQ("", ReadBytes(dest + "表\\empty.bin"));
    EXPECT_EQ(stream, ReadBytes(dest + "z.bin")); // stored, never inflated
    EXPECT_EQ("MZ", ReadBytes(dest + "Brennick.exe"));
    EXPECT_TRUE(IsFolderAttributes(LongGetFileAttributes((dest + "ソ\\").c_str())));
    EXPECT_EQ(0x21u, LongGetFileAttributes((dest + "表\\ソ.txt").c_str()));
    EXPECT_EQ(0x20u, LongGetFileAttributes((dest + "z.bin").c_str()));
    for (const char* name : {"表\\ソ.txt", "表\\empty.bin", "表\\", "ソ\\", "z.bin"})
        EXPECT_EQ(ArchiveBuilder::kWritten, LastWrite(dest + name)) << name;

    int size = int(5 + text.size());
    int zs = int(stream.size());
    std::vector<std::vector<int>> expected = {
        {0, 0, 0, 0, size, 0},    {0, 0, 5, 0, size, 0}, {0, 0, size, 0, size, 0},
        {0, 0, size, 0, size, 0}, {1, 6, 0, 0, 0, 0},    {0, 0, 0, 0, 0, 0},
        {0, 0, 0, 0, 0, 0},       {2, 6, 0, 0, 0, 0},    {3, 6, 0, 0, 0, 0},
        {4, 6, 0, 0, 0, 0},       {0, 0, 0, 0, zs, 0},   {0, 0, zs, 0, zs, 0},
        {0, 0, zs, 0, zs, 0},     {5, 6, 0, 0, 0, 0},    {0, 0, 0, 0, 2, 0},
        {0, 0, 2, 0, 2, 0},       {0, 0, 2, 0, 2, 0},    {6, 6, 0, 0, 0, 0}};
    EXPECT_EQ(expected, g_progress);
    EXPECT_TRUE(g_asked.empty());
}

TEST_F(Extractor, DestinationWithoutBackslashAndMissingFoldersAreMade) {
    dest = root + "a\\b\\c"; // none exists yet
    ASSERT_EQ(FP_OK, Extract(ArchiveBuilder().Header(1).WholeFile("top.txt", "t").bytes));
    EXPECT_EQ("t", ReadBytes(root + "a\\b\\c\\top.txt"));
}

TEST_F(Extractor, OverwriteIsAskedAndRefusalLeavesTheOldFile) {
    MakePath(dest.c_str());
    WriteBytes(dest + "f.txt", "old");
    SetFileAttributesA((dest + "f.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    std::string bytes = ArchiveBuilder().Header(1).WholeFile("f.txt", "new").bytes;

    g_answer = IDNO;
    EXPECT_EQ(FP_ERR_EXISTS, Extract(bytes));
    EXPECT_EQ("old", ReadBytes(dest + "f.txt"));
    EXPECT_EQ(std::vector<std::string>{dest + "f.txt"}, g_asked);
    EXPECT_EQ((std::vector<std::vector<int>>{{0, 0, 0, 0, 3, 0}}), g_progress); // start report only
    EXPECT_EQ(FP_ERR_EXISTS, Extract(bytes, NULL));
    EXPECT_EQ("old", ReadBytes(dest + "f.txt"));

    g_answer = IDYES; // replaces it although it is read-only
    EXPECT_EQ(FP_OK, Extract(bytes));
    EXPECT_EQ("new", ReadBytes(dest + "f.txt"));
}

TEST_F(Extractor, FolderInTheWayOfAFileAndExistingReadOnlyFolder) {
    MakePath((dest + "d\\").c_str());
    SetFileAttributesA((dest + "d").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(FP_OK, Extract(ArchiveBuilder().Header(1).Folder("d\\").bytes));
    EXPECT_EQ(ArchiveBuilder::kWritten, LastWrite(dest + "d\\"));
    EXPECT_EQ(FP_ERR_CREATE, Extract(ArchiveBuilder().Header(1).WholeFile("d", "x").bytes));
    EXPECT_EQ(std::vector<std::string>{dest + "d"}, g_asked);
    // A file in the way of a folder is neither the folder nor stamped as one.
    WriteBytes(dest + "f", "file");
    for (const char* name : {"f\\", "f"})
        EXPECT_EQ(FP_ERR_CREATE, Extract(ArchiveBuilder().Header(1).Folder(name).bytes)) << name;
    EXPECT_EQ("file", ReadBytes(dest + "f"));
    EXPECT_NE(ArchiveBuilder::kWritten, LastWrite(dest + "f"));
}

TEST_F(Extractor, FailuresStopTheWalkAndLeaveWhatWasWritten) {
    // Chunks short of the size: the data stays, without the stored time.
    ArchiveBuilder size;
    size.Header(3).WholeFile("first.txt", "1").File("short.txt", 9).Stored("abc").End();
    size.WholeFile("never.txt", "3");
    EXPECT_EQ(FP_ERR_SIZE, Extract(size.bytes));
    EXPECT_EQ("1", ReadBytes(dest + "first.txt"));
    EXPECT_EQ("abc", ReadBytes(dest + "short.txt"));
    EXPECT_NE(ArchiveBuilder::kWritten, LastWrite(dest + "short.txt"));
    EXPECT_FALSE(Exists(dest + "never.txt"));
    int reports = 0;
    for (const auto& call : g_progress)
        reports += call[0] != 0;
    EXPECT_EQ(1, reports);

    // A chunk that does not inflate exactly: the file stays empty.
    std::string zipped = ArchiveBuilder::Deflate("abcdef");
    ArchiveBuilder write;
    write.Header(1).File("bad.txt", 7).Chunk(zipped, 7).End();
    EXPECT_EQ(FP_ERR_WRITE, Extract(write.bytes));
    EXPECT_EQ("", ReadBytes(dest + "bad.txt"));

    // Cut in the middle of a chunk, and an unknown tag.
    std::string whole =
        ArchiveBuilder().Header(1).WholeFile("cut.txt", std::string(500, 'c')).bytes;
    EXPECT_EQ(FP_ERR_READ, Extract(whole.substr(0, whole.size() - 15)));
    EXPECT_EQ("", ReadBytes(dest + "cut.txt"));
    EXPECT_EQ(FP_ERR_FORMAT, Extract(ArchiveBuilder().Header(1).Tag("JUNK").bytes));
    EXPECT_EQ(FP_ERR_FORMAT, Extract(std::string("Folder Pack?\xe8\x03\0\0\0\0\0\0", 20)));
}

TEST_F(Extractor, ArchiveThatIsMissingOrBeingWritten) {
    // Missing: opened as a new empty file, which the walk rejects.
    std::string missing = root + "missing.fpk";
    EXPECT_EQ(FP_ERR_READ, ExtractFolderPack(dest.c_str(), missing.c_str(), Answer, NULL));
    EXPECT_EQ("", ReadBytes(missing));
    // Another handle writing it: the open is refused.
    WriteBytes(archive, ArchiveBuilder().Header(0).bytes);
    HANDLE writer = CreateFileA(archive.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    EXPECT_EQ(FP_ERR_OPEN, ExtractFolderPack(dest.c_str(), archive.c_str(), Answer, NULL));
    CloseHandle(writer);
    EXPECT_EQ(FP_OK, ExtractFolderPack(dest.c_str(), archive.c_str(), Answer, NULL));
    EXPECT_EQ(FP_ERR_CREATE, ReadFolderPack(dest.c_str(), INVALID_HANDLE_VALUE, Answer, NULL));
}

TEST_F(Extractor, FilePathBeyond260Bytes) {
    std::string folder(200, 'f');
    std::string name(150, 'n');
    std::string relative = folder + "\\" + name + ".txt";
    ASSERT_GT(dest.size() + relative.size(), 300u);
    ASSERT_EQ(FP_OK, Extract(ArchiveBuilder().Header(1).WholeFile(relative, "far").bytes));
    EXPECT_EQ("far", ReadBytes(dest + relative));
    EXPECT_EQ(ArchiveBuilder::kWritten, LastWrite(dest + relative));
    // A folder on the way of 256 bytes or more is refused before anything is made.
    std::string tooDeep = std::string(256 - dest.size(), 'g') + "\\x.txt";
    EXPECT_EQ(FP_ERR_LIMIT, Extract(ArchiveBuilder().Header(1).WholeFile(tooDeep, "x").bytes));
    EXPECT_EQ(1u, Listing(dest).size());
}

TEST_F(Extractor, HostileNamesCreateNothingAnywhere) {
    const char* names[] = {"..\\escape.txt",
                           "a\\..\\..\\escape.txt",
                           "C:\\varnock-tests\\abs.txt",
                           "\\rooted.txt",
                           "../escape.txt",
                           "x:stream",
                           "CON",
                           "sub\\nul.txt",
                           "trailing.\\x",
                           "blank \\x",
                           "表\\..\\..\\escape.txt"};
    for (const char* name : names) {
        ArchiveBuilder file, folder;
        file.Header(1).WholeFile(name, "x");
        folder.Header(1).Folder(std::string(name) + "\\");
        EXPECT_EQ(FP_ERR_NAME, Extract(file.bytes)) << name;
        EXPECT_EQ(FP_ERR_NAME, Extract(folder.bytes)) << name;
        EXPECT_TRUE(g_progress.empty()) << name;
    }
    EXPECT_EQ((std::set<std::string>{"archive.fpk"}), Listing(root)); // not even out\ was made
    EXPECT_FALSE(Exists("C:\\varnock-tests\\abs.txt"));
    EXPECT_FALSE(Exists(std::string(kBase) + "escape.txt"));
}

// A link inside the destination is never created or written through, whatever its depth.
TEST_F(Extractor, LinksInTheDestinationAreNotFollowed) {
    std::string victim = Fresh("LinkVictim");
    WriteBytes(victim + "keep.txt", "keep");
    MakePath((dest + "deep\\").c_str());
    ASSERT_TRUE(MakeHostLink(dest + "link", victim));
    ASSERT_TRUE(MakeHostLink(dest + "deep\\link", victim));
    for (const char* name : {"link\\keep.txt", "link\\new.txt", "deep\\link\\sub\\new.txt"}) {
        ArchiveBuilder file;
        file.Header(1).WholeFile(name, "evil");
        EXPECT_EQ(FP_ERR_CREATE, Extract(file.bytes)) << name;
    }
    for (const char* name : {"link\\", "link", "deep\\link\\sub\\"}) {
        ArchiveBuilder folder;
        folder.Header(1).Folder(name);
        EXPECT_EQ(FP_ERR_CREATE, Extract(folder.bytes)) << name;
    }
    // A folder the walk made or checked vouches for no other, not even one it is a prefix of.
    const char* walks[][2] = {{"lin\\a.txt", "link\\b.txt"}, {"deep\\a.txt", "deep\\link\\b.txt"}};
    for (const auto& names : walks) {
        ArchiveBuilder pair;
        pair.Header(2).WholeFile(names[0], "a").WholeFile(names[1], "evil");
        EXPECT_EQ(FP_ERR_CREATE, Extract(pair.bytes)) << names[1];
        EXPECT_EQ("a", ReadBytes(dest + names[0]));
    }
    RemoveHostLink(dest + "link");
    RemoveHostLink(dest + "deep\\link");
    EXPECT_EQ((std::set<std::string>{"keep.txt"}), Listing(victim));
    EXPECT_EQ("keep", ReadBytes(victim + "keep.txt"));
}

// A folder the walk trusts is held open: no other process can move it away, to put a link in
// its place, until the walk is done.
static std::string g_movedFolder;
static DWORD g_moveError;
static void MoveFolderAfterFirstEntry(int index, int, int, int, int, int) {
    if (index == 1)
        g_moveError = MoveFileExA(g_movedFolder.c_str(), (g_movedFolder + ".old").c_str(), 0)
                          ? ERROR_SUCCESS
                          : GetLastError();
}

// Whether the system refuses to rename a folder someone holds open without delete sharing, as
// Windows does; Wine 8 renames it all the same.
static bool RenameRespectsDeleteSharing(const std::string& folder) {
    MakePath((folder + "\\").c_str());
    HANDLE held =
        CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    bool refused = !MoveFileExA(folder.c_str(), (folder + ".moved").c_str(), 0);
    CloseHandle(held);
    return refused;
}

TEST_F(Extractor, ATrustedFolderCannotBeMovedAwayMidWalk) {
    if (!RenameRespectsDeleteSharing(root + "probe"))
        GTEST_SKIP() << "this system renames a folder held without delete sharing (Wine 8)";
    ArchiveBuilder three;
    three.Header(3)
        .WholeFile("d\\a.txt", "a")
        .WholeFile("d\\b.txt", "b")
        .WholeFile("d\\e\\c.txt", "c");
    WriteBytes(archive, three.bytes);
    for (const char* folder : {"d", ""}) {
        RemoveAll(dest);
        g_movedFolder = dest + folder;
        g_moveError = ERROR_SUCCESS;
        if (g_movedFolder.back() == '\\')
            g_movedFolder.pop_back();
        EXPECT_EQ(FP_OK, ExtractFolderPack(dest.c_str(), archive.c_str(), Answer,
                                           MoveFolderAfterFirstEntry));
        EXPECT_NE(DWORD(ERROR_SUCCESS), g_moveError) << g_movedFolder;
        EXPECT_FALSE(Exists(g_movedFolder + ".old"));
        EXPECT_EQ("c", ReadBytes(dest + "d\\e\\c.txt"));
    }
}

TEST_F(Extractor, CorruptedArchivesFailCleanlyInsideTheDestination) {
    ArchiveBuilder a;
    a.Header(4).WholeFile("d\\one.txt", std::string(3000, '1')).Folder("d\\");
    a.File("two.bin", 9).Stored("abc").Compressed("defghi").End().WholeFile("three", "3");
    const std::string valid = a.bytes;
    uint32_t seed = 12345;
    for (int i = 0; i < 150; i++) {
        std::string bytes = valid;
        for (int flips = 0; flips < 1 + i % 3; flips++) {
            seed = seed * 1664525u + 1013904223u;
            bytes[(seed >> 8) % bytes.size()] ^= char(1 + (seed & 0x7F));
        }
        RemoveAll(dest);
        int result = Extract(bytes);
        EXPECT_TRUE(FpIsResultCode(result)) << result;
        std::set<std::string> left = Listing(root);
        left.erase("archive.fpk");
        left.erase("out");
        EXPECT_TRUE(left.empty()) << "case " << i;
    }
}

TEST_F(Extractor, InflateChunkWritesExactlyTheUncompressedLength) {
    std::string zipped = ArchiveBuilder::Deflate("abcdef");
    HANDLE out =
        LongCreateFile((root + "chunk").c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    const unsigned char* data = reinterpret_cast<const unsigned char*>(zipped.data());
    EXPECT_EQ(FP_ERR_WRITE, InflateChunk(data, DWORD(zipped.size()), 7, out));
    EXPECT_EQ(FP_ERR_WRITE, InflateChunk(data, DWORD(zipped.size()), 5, out));
    EXPECT_EQ(FP_ERR_WRITE, InflateChunk(data, DWORD(zipped.size() - 1), 6, out));
    EXPECT_EQ(FP_OK, InflateChunk(data, DWORD(zipped.size()), 6, out));
    CloseHandle(out);
    EXPECT_EQ("abcdef", ReadBytes(root + "chunk"));
}

TEST_F(Extractor, ReadAheadHandsOverEveryByteOnce) {
    const std::string bytes = ArchiveBuilder::Noise(1000, 3);
    WriteBytes(archive, bytes);
    HANDLE file =
        CreateFileA(archive.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    unsigned char block[7]; // reads shorter, as long and longer, across every boundary
    FpReadAheadInput input(file, block, sizeof block);
    std::string got;
    for (uint32_t length = 0; got.size() + length <= bytes.size(); length = (length + 1) % 12) {
        std::string piece(length, '\0');
        ASSERT_EQ(FP_OK, input.Read(&piece[0], length));
        got += piece;
    }
    EXPECT_EQ(bytes.substr(0, got.size()), got);
    char rest[16];
    EXPECT_EQ(FP_ERR_READ, input.Read(rest, uint32_t(bytes.size() - got.size() + 1)));
    CloseHandle(file);
}

TEST_F(Extractor, PackedOnWindowsAndExtractedAgain) {
    std::string src = root + "src\\";
    MakePath((src + "表\\ソ\\").c_str());
    MakePath((src + "empty\\").c_str());
    WriteBytes(src + "表\\ソ\\data.bin", ArchiveBuilder::Noise(300000, 11));
    WriteBytes(src + "表\\text.txt", std::string(200000, 't'));
    WriteBytes(src + "zero.bin", "");
    WriteBytes(src + "Brennick.exe", "MZ");

    std::unique_ptr<FpSourceTree> tree = FpOpenSourceTree(src.c_str());
    std::vector<FpPackEntry> entries;
    std::string error;
    ASSERT_EQ(FP_OK, FpCollectEntries(*tree, entries, error)) << error;
    std::vector<std::string> names;
    for (const FpPackEntry& entry : entries)
        names.push_back(entry.name);
    EXPECT_EQ((std::vector<std::string>{"empty\\", "表\\ソ\\data.bin", "表\\ソ\\", "表\\text.txt",
                                        "表\\", "Brennick.exe", "zero.bin"}),
              names);
    FpFileOutput out;
    ASSERT_EQ(FP_OK, out.Open(archive.c_str()));
    FpPackOptions options;
    options.threads = 2;
    options.chunkSize = 65536; // several chunks per file
    ASSERT_EQ(FP_OK, FpPack(*tree, entries, out, options, error)) << error;
    ASSERT_EQ(FP_OK, out.Close());

    ASSERT_EQ(FP_OK, ExtractFolderPack(dest.c_str(), archive.c_str(), Answer, NULL));
    for (const char* name : {"表\\ソ\\data.bin", "表\\text.txt", "zero.bin", "Brennick.exe"}) {
        EXPECT_EQ(ReadBytes(src + name), ReadBytes(dest + name)) << name;
        EXPECT_EQ(LastWrite(src + name), LastWrite(dest + name)) << name;
    }
    EXPECT_TRUE(IsFolderAttributes(LongGetFileAttributes((dest + "empty").c_str())));
    EXPECT_EQ(LastWrite(src + "表\\ソ"), LastWrite(dest + "表\\ソ"));
}
