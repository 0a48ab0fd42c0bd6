// The writer's bytes, the packer's order and refusals, and round trips through the reader into
// POSIX files.
#include "folderpack/core/FolderPackWriter.h"
#include "folderpack/pack/FolderPacker.h"
#include "folderpack/pack/IncompressibleGuess.h"
#include "folderpack/extract/DiskSinkPosix.h"

#include "ArchiveBuilder.h"
#include "WalkArchive.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string Bytes(const FpMemoryOutput& out) {
    return std::string(out.bytes.begin(), out.bytes.end());
}

fs::path Scratch(const char* name) {
    fs::path path = fs::path(FP_TEST_SCRATCH) / name;
    fs::remove_all(path);
    fs::create_directories(path);
    return path;
}

void WriteFile(const fs::path& path, const std::string& data) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << data;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Pack(const fs::path& folder, std::string& archive, std::string& error, int threads = 1,
         uint32_t chunkSize = FP_READ_BUFFER_SIZE) {
    std::unique_ptr<FpSourceTree> tree = FpOpenSourceTree(folder.c_str());
    std::vector<FpPackEntry> entries;
    int result = FpCollectEntries(*tree, entries, error);
    if (result != FP_OK)
        return result;
    FpMemoryOutput out;
    FpPackOptions options;
    options.threads = threads;
    options.chunkSize = chunkSize;
    result = FpPack(*tree, entries, out, options, error);
    archive = Bytes(out);
    return result;
}

int Extract(const std::string& archive, const fs::path& dest, int overwrite = 0) {
    FpDiskSinkPosix sink(dest.c_str(), overwrite);
    return WalkArchive(archive, dest.c_str(), sink);
}

// Last-write time in the archive's resolution (100 ns).
long long Ticks(const fs::path& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return -1;
    return (long long)st.st_mtim.tv_sec * 10000000 + st.st_mtim.tv_nsec / 100;
}

// Every file and folder under `root` with its content ("/" for folders), in path order.
std::map<std::string, std::string> Tree(const fs::path& root) {
    std::map<std::string, std::string> items;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        std::string name = fs::relative(item.path(), root).string();
        items[name] = item.is_directory() ? "/" : ReadFile(item.path());
    }
    return items;
}

} // namespace

TEST(Writer, ReproducesTheFormatsWorkedExamples) {
    FpMemoryOutput empty;
    ASSERT_EQ(FP_OK, FpWriteHeader(empty, 0));
    EXPECT_EQ(std::string("Folder Pack\0\xe8\x03\0\0\0\0\0\0", 20), Bytes(empty));

    FpMemoryOutput folder;
    FpEntryFields fields = {"docs\\", 0x11, 0x0807060504030201ull, 0x1817161514131211ull};
    ASSERT_EQ(FP_OK, FpWriteFolder(folder, fields));
    std::string expected("FLDR\x28\0\0\0\x06\0\0\0docs\\\0\0\0\x11\0\0\0"
                         "\x01\x02\x03\x04\x05\x06\x07\x08\x11\x12\x13\x14\x15\x16\x17\x18"
                         "FEND\0\0\0\0",
                         48);
    EXPECT_EQ(expected, Bytes(folder));
}

TEST(Writer, FileRecordLengthIsExactForStoredAndCompressedChunks) {
    FpMemoryOutput out;
    FpEntryFields fields = {"a\\b.txt", 0x20, 1, 2};
    uint64_t recordOffset;
    ASSERT_EQ(FP_OK, FpBeginFile(out, fields, 11, &recordOffset));
    std::string zipped = ArchiveBuilder::Deflate("hello ");
    ASSERT_EQ(FP_OK, FpWriteChunk(out, zipped.data(), uint32_t(zipped.size()), 6));
    ASSERT_EQ(FP_OK, FpWriteChunk(out, "world", 5, 5));
    ASSERT_EQ(FP_OK, FpEndFile(out, recordOffset));
    uint64_t expected = 42 + 8 + (12 + zipped.size()) + (12 + 5);
    EXPECT_EQ(expected, FpLoad64(out.bytes.data() + 4));
    EXPECT_EQ(expected + 12, out.bytes.size());
    EXPECT_EQ(FP_ERR_LIMIT, FpWriteChunk(out, "", FP_READ_BUFFER_SIZE + 1, 0));
}

TEST(Writer, ChunksAreLevelOneStreamsOrStoredWhenNotShorter) {
    FpChunkCompressor compressor(1);
    std::vector<unsigned char> out(1 << 20);
    std::string text(100000, 'a');
    uint32_t length;
    ASSERT_EQ(FP_OK, compressor.Compress(reinterpret_cast<const unsigned char*>(text.data()),
                                         uint32_t(text.size()), out.data(), &length));
    ASSERT_GT(length, 0u);
    EXPECT_EQ(0x78, out[0]);
    EXPECT_EQ(0x01, out[1]);
    std::string noise = ArchiveBuilder::Noise(5000, 3);
    EXPECT_EQ(FP_OK, compressor.Compress(reinterpret_cast<const unsigned char*>(noise.data()),
                                         uint32_t(noise.size()), out.data(), &length));
    EXPECT_EQ(0u, length);
    EXPECT_EQ(FP_OK, compressor.Compress(reinterpret_cast<const unsigned char*>("x"), 1, out.data(),
                                         &length));
    EXPECT_EQ(0u, length);
}

TEST(Packer, GuessesStoredOnlyForRandomBytesWithoutNearRepeats) {
    FpChunkCompressor compressor(1);
    std::vector<unsigned char> scratch(1 << 20);
    auto guess = [&](const std::string& data) {
        return FpLooksIncompressible(compressor,
                                     reinterpret_cast<const unsigned char*>(data.data()),
                                     uint32_t(data.size()), scratch.data());
    };
    std::string noise = ArchiveBuilder::Noise(1 << 20, 7);
    EXPECT_EQ(1, guess(noise));
    EXPECT_EQ(0, guess(noise.substr(0, FP_GUESS_MIN_LENGTH - 1)));
    // Random bytes in every byte value, repeated every 4 KiB: deflate shortens them to a fraction.
    std::string repeated;
    while (repeated.size() < noise.size())
        repeated += noise.substr(0, 4096);
    EXPECT_EQ(0, guess(repeated));
    // Random up to the last sample, which is text.
    std::string tail = noise;
    tail.replace(tail.size() - 0x20000, 0x20000, std::string(0x20000, 'a'));
    EXPECT_EQ(0, guess(tail));
}

TEST(Packer, OrdersEntriesAndRoundTripsThroughTheReader) {
    fs::path src = Scratch("order-src");
    WriteFile(src / "Setup.exe", "setup");
    WriteFile(src / "alpha.txt", std::string(50000, 'a'));
    WriteFile(src / "docs" / "Readme.txt", "read me");
    WriteFile(src / "docs" / "empty.bin", "");
    WriteFile(src / "docs" / "inner" / "noise.bin", ArchiveBuilder::Noise(70000, 9));
    fs::create_directories(src / "Empty folder");
    WriteFile(src / "表" / "ソ.txt", "double-byte names ending in 5C");

    std::string archive, error;
    ASSERT_EQ(FP_OK, Pack(src, archive, error)) << error;

    // Listing order: subfolders (each the same way), then files, then the folder itself.
    struct Lister : FpSink {
        int BeginFile(const FpEntry& e) override {
            names.push_back(e.name);
            attributes.push_back(e.attributes);
            return FP_OK;
        }
        int Write(const unsigned char*, uint32_t) override { return FP_OK; }
        int EndFile(const FpEntry&) override { return FP_OK; }
        void AbortFile(const FpEntry&) override {}
        int Folder(const FpEntry& e) override {
            names.push_back(e.name);
            attributes.push_back(e.attributes);
            return FP_OK;
        }
        std::vector<std::string> names;
        std::vector<uint32_t> attributes;
    } lister;
    ASSERT_EQ(FP_OK, WalkArchive(archive, "", lister));
    std::vector<std::string> expected = {"docs\\inner\\noise.bin",
                                         "docs\\inner\\",
                                         "docs\\empty.bin",
                                         "docs\\Readme.txt",
                                         "docs\\",
                                         "Empty folder\\",
                                         "\x95\x5c\\\x83\x5c.txt",
                                         "\x95\x5c\\",
                                         "alpha.txt",
                                         "Setup.exe"};
    EXPECT_EQ(expected, lister.names);
    std::vector<uint32_t> attributes = {0x20, 0x11, 0x20, 0x20, 0x11, 0x11, 0x20, 0x11, 0x20, 0x20};
    EXPECT_EQ(attributes, lister.attributes);

    fs::path out = Scratch("order-out");
    ASSERT_EQ(FP_OK, Extract(archive, out));
    EXPECT_EQ(Tree(src), Tree(out));
    EXPECT_EQ(Ticks(src / "docs" / "Readme.txt"), Ticks(out / "docs" / "Readme.txt"));
    EXPECT_EQ(Ticks(src / "docs"), Ticks(out / "docs"));
    EXPECT_EQ(Ticks(src / "Empty folder"), Ticks(out / "Empty folder"));
}

TEST(Packer, SameBytesWhateverTheThreadsAndManyChunksPerFile) {
    fs::path src = Scratch("threads-src");
    for (int i = 0; i < 20; i++) {
        std::string text;
        for (int j = 0; j < 3000 * i; j++)
            text += std::to_string(j * i) + (j % 7 ? " " : "\n");
        WriteFile(src / ("d" + std::to_string(i % 3)) / ("f" + std::to_string(i)), text);
    }
    WriteFile(src / "noise", ArchiveBuilder::Noise(300000, 5));
    std::string one, two, four, error;
    ASSERT_EQ(FP_OK, Pack(src, one, error, 1, 65536)) << error;
    ASSERT_EQ(FP_OK, Pack(src, two, error, 2, 65536)) << error;
    ASSERT_EQ(FP_OK, Pack(src, four, error, 4, 65536)) << error;
    EXPECT_TRUE(one == two);
    EXPECT_TRUE(one == four);
    fs::path out = Scratch("threads-out");
    ASSERT_EQ(FP_OK, Extract(one, out));
    EXPECT_EQ(Tree(src), Tree(out));
}

// A tree whose reads fail for two files: the earlier one late, in its last chunk, and the later
// one at once.
class FailingTree : public FpSourceTree {
public:
    explicit FailingTree(const fs::path& root) : m_tree(FpOpenSourceTree(root.c_str())) {}
    int List(const std::string& relative, std::vector<FpSourceItem>& items,
             std::string& error) override {
        return m_tree->List(relative, items, error);
    }
    int ReadAt(const std::string& relative, uint64_t offset, void* buffer, uint32_t length,
               std::string& error) override {
        if (relative == "b" || (relative == "a" && offset + length == 4 * 65536)) {
            if (relative == "a")
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            error = relative;
            return FP_ERR_READ;
        }
        return m_tree->ReadAt(relative, offset, buffer, length, error);
    }

private:
    std::unique_ptr<FpSourceTree> m_tree;
};

TEST(Packer, ReportsTheFirstFailingFileInArchiveOrderWhateverTheThreads) {
    fs::path src = Scratch("failing-src");
    WriteFile(src / "a", std::string(4 * 65536, 'a'));
    WriteFile(src / "b", "b");
    for (int i = 0; i < 40; i++)
        WriteFile(src / ("c" + std::to_string(i)), std::string(1000, 'c'));
    for (int threads : {1, 2, 4}) {
        FailingTree tree(src);
        std::vector<FpPackEntry> entries;
        std::string error;
        ASSERT_EQ(FP_OK, FpCollectEntries(tree, entries, error));
        FpMemoryOutput out;
        FpPackOptions options;
        options.threads = threads;
        options.chunkSize = 65536;
        EXPECT_EQ(FP_ERR_READ, FpPack(tree, entries, out, options, error));
        EXPECT_EQ("a", error) << threads;
    }
}

TEST(Packer, RefusesNamesWithoutAnExactCodePage932FormOrThatTheExtractorRefuses) {
    const char* names[] = {"yen\xc2\xa5.txt", "back\\slash",  "CON.txt", "dot.",
                           "blank ",          "bad\xff utf8", "colon:x"};
    for (const char* name : names) {
        fs::path src = Scratch("refuse-src");
        WriteFile(src / "sub" / name, "x");
        std::string archive, error;
        int result = Pack(src, archive, error);
        EXPECT_EQ(FP_ERR_NAME, result) << name;
        EXPECT_NE(std::string::npos, error.find("sub/")) << error; // the message names the item
    }
    std::string archive, error;
    EXPECT_EQ(FP_ERR_OPEN, Pack(Scratch("missing") / "nothing", archive, error));
}

TEST(DiskSinkPosix, ExistingTargetsAndReadOnlyFiles) {
    fs::path out = Scratch("posix-exists");
    WriteFile(out / "f.txt", "old");
    std::string archive = ArchiveBuilder().Header(1).WholeFile("f.txt", "new", 0x21).bytes;
    EXPECT_EQ(FP_ERR_EXISTS, Extract(archive, out));
    EXPECT_EQ("old", ReadFile(out / "f.txt"));
    ASSERT_EQ(FP_OK, Extract(archive, out, 1));
    EXPECT_EQ("new", ReadFile(out / "f.txt"));
    struct stat st;
    ASSERT_EQ(0, stat((out / "f.txt").c_str(), &st));
    EXPECT_EQ(0444u, st.st_mode & 0777u);
    ASSERT_EQ(FP_OK, Extract(archive, out, 1)); // replaced again although read-only
    // A folder in the way cannot be replaced by a file.
    fs::create_directories(out / "dir.txt");
    EXPECT_EQ(FP_ERR_CREATE,
              Extract(ArchiveBuilder().Header(1).WholeFile("dir.txt", "x").bytes, out, 1));
}

TEST(DiskSinkPosix, NeverFollowsLinksOutOfTheDestination) {
    fs::path outside = Scratch("posix-outside");
    fs::path out = Scratch("posix-links");
    fs::create_directory_symlink(outside, out / "link");
    fs::create_symlink(outside / "target.txt", out / "file.txt");
    EXPECT_EQ(FP_ERR_CREATE,
              Extract(ArchiveBuilder().Header(1).WholeFile("link\\x.txt", "x").bytes, out, 1));
    EXPECT_EQ(FP_ERR_CREATE, Extract(ArchiveBuilder().Header(1).Folder("link\\").bytes, out, 1));
    // A link at the target itself is refused, as on Windows: neither replaced nor written through.
    EXPECT_EQ(FP_ERR_CREATE,
              Extract(ArchiveBuilder().Header(1).WholeFile("file.txt", "x").bytes, out, 1));
    EXPECT_TRUE(fs::is_symlink(out / "file.txt"));
    EXPECT_TRUE(fs::is_empty(outside));
}
