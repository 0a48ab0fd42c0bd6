// The portable reader against hand-built archives: every result code, the order of the sink's
// calls, exact inflation, limits, and allocation failures.
#include "folderpack/core/FolderPackReader.h"

#include "ArchiveBuilder.h"
#include "RecordingSink.h"
#include "WalkArchive.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

namespace {

// Fails the allocation numbered `failAt` (0-based), and every block of `failSize` bytes.
struct CountingAllocator {
    int count = 0;
    int failAt = -1;
    size_t failSize = 0;
    FpAllocator allocator = {Allocate, Release, this};

    static void* Allocate(void* context, size_t size) {
        CountingAllocator* self = static_cast<CountingAllocator*>(context);
        int index = self->count++;
        if (index == self->failAt || (self->failSize && size == self->failSize))
            return nullptr;
        return calloc(1, size);
    }
    static void Release(void*, void* block) { free(block); }
};

struct Outcome {
    int result;
    std::vector<std::string> calls;
    std::string data;
};

Outcome Walk(const std::string& archive, const char* dest = "D:\\out",
             const FpAllocator& allocator = FpDefaultAllocator(), RecordingSink* custom = nullptr) {
    RecordingSink own;
    RecordingSink& sink = custom ? *custom : own;
    int result = WalkArchive(archive, dest, sink, allocator);
    return {result, sink.calls, sink.data};
}

std::vector<std::string> Lines(std::initializer_list<const char*> lines) {
    return std::vector<std::string>(lines.begin(), lines.end());
}

} // namespace

TEST(Reader, EmptyAndNegativeCountsHoldNothingAndIgnoreTrailingBytes) {
    Outcome empty = Walk(ArchiveBuilder().Header(0).Raw("garbage").bytes);
    EXPECT_EQ(FP_OK, empty.result);
    EXPECT_TRUE(empty.calls.empty());
    EXPECT_EQ(FP_OK, Walk(ArchiveBuilder().Header(-5).bytes).result);
    // Header value and reserved fields may hold anything.
    std::string odd = ArchiveBuilder().Header(0).bytes;
    odd[12] = '\x7f';
    EXPECT_EQ(FP_OK, Walk(odd).result);
}

TEST(Reader, CallsTheSinkInOrderForFilesFoldersAndEmptyFiles) {
    ArchiveBuilder a;
    a.Header(3).File("docs\\a.txt", 11).Compressed("hello ").Stored("world").End();
    a.File("empty.bin", 0).End().Folder("docs\\");
    Outcome run = Walk(a.bytes, "D:\\out");
    ASSERT_EQ(FP_OK, run.result);
    EXPECT_EQ(Lines({"begin D:\\out\\docs\\a.txt 11", "chunk 6", "chunk 11", "end docs\\a.txt 11",
                     "done 1/3", "begin D:\\out\\empty.bin 0", "end empty.bin 0", "done 2/3",
                     "folder D:\\out\\docs\\ 17", "done 3/3"}),
              run.calls);
    // A destination with its backslash gives the same paths; the empty one none at all.
    EXPECT_EQ(run.calls, Walk(a.bytes, "D:\\out\\").calls);
    EXPECT_EQ("begin docs\\a.txt 11", Walk(a.bytes, "").calls[0]);
}

TEST(Reader, StoredChunkIsNeverInflatedAndRecordLengthIsIgnored) {
    // Data that happens to be a zlib stream, stored: equal lengths mean raw bytes.
    std::string stream = ArchiveBuilder::Deflate("inner");
    ArchiveBuilder a;
    a.Header(1).File("z.bin", stream.size()).Stored(stream).End();
    a.bytes[20 + 4 + 5] = '\x7f'; // record length far too large
    Outcome run = Walk(a.bytes);
    ASSERT_EQ(FP_OK, run.result);
    EXPECT_EQ(stream, run.data);
}

TEST(Reader, ManyChunksOfEveryKindMakeOneFile) {
    std::string expected;
    ArchiveBuilder a;
    std::string big = ArchiveBuilder::Noise(FP_READ_BUFFER_SIZE, 7); // data exactly at the limit
    std::string text(9 * 1024 * 1024, 'x');                          // inflated window by window
    a.Header(1).File("multi", 0);
    a.Stored(big).Compressed(text).Stored("").Compressed("tail", -1, 9);
    expected = big + text + "tail";
    a.End();
    // Fix the size field now that the chunks are known.
    uint64_t size = expected.size();
    size_t sizeAt = 20 + 4 + 8 + 4 + 6 + 2 + 4 + 16;
    for (int i = 0; i < 8; i++)
        a.bytes[sizeAt + i] = char(size >> (8 * i));
    Outcome run = Walk(a.bytes);
    ASSERT_EQ(FP_OK, run.result);
    EXPECT_TRUE(run.data == expected);
}

// Every code the reader itself gives, with the calls made up to the failure.
TEST(Reader, MalformedArchivesGiveTheirCodes) {
    struct Case {
        const char* what;
        std::string archive;
        int code;
        std::vector<std::string> calls;
    };
    std::string zipped = ArchiveBuilder::Deflate("abcdef");
    std::string badAdler = zipped;
    badAdler[badAdler.size() - 1] ^= 1;
    std::string oneFile = ArchiveBuilder().Header(1).WholeFile("f", "abcdef").bytes;
    std::vector<Case> cases = {
        {"short header", std::string("Folder Pack\0\xe8\x03", 14), FP_ERR_READ, {}},
        {"magic without NUL", "Folder Pack!" + std::string(8, '\0'), FP_ERR_FORMAT, {}},
        {"no entry count", std::string("Folder Pack\0\xe8\x03\0\0", 16), FP_ERR_READ, {}},
        {"count beyond entries", ArchiveBuilder().Header(2).WholeFile("f", "abcdef").bytes,
         FP_ERR_READ, Lines({"begin D:\\out\\f 6", "chunk 6", "end f 6", "done 1/2"})},
        {"unknown entry tag", ArchiveBuilder().Header(1).Tag("FILX").bytes, FP_ERR_FORMAT, {}},
        {"cut in the name",
         ArchiveBuilder().Header(1).Tag("FILE").U64(0).U32(9).Raw("ab").bytes,
         FP_ERR_READ,
         {}},
        {"cut before the size",
         oneFile.substr(0, 20 + 4 + 8 + 4 + 2 + 2 + 4 + 16 + 3),
         FP_ERR_READ,
         {}},
        {"unknown chunk tag", ArchiveBuilder().Header(1).File("f", 1).Tag("FPCX").bytes,
         FP_ERR_FORMAT, Lines({"begin D:\\out\\f 1", "abort f"})},
        {"cut chunk data",
         ArchiveBuilder().Header(1).File("f", 9).Tag("FPCK").U32(13).U32(9).Raw("abc").bytes,
         FP_ERR_READ, Lines({"begin D:\\out\\f 9", "abort f"})},
        {"cut end value", oneFile.substr(0, oneFile.size() - 2), FP_ERR_READ,
         Lines({"begin D:\\out\\f 6", "chunk 6", "abort f"})},
        {"chunks short of the size",
         ArchiveBuilder().Header(1).File("f", 7).Stored("abc").End().bytes, FP_ERR_SIZE,
         Lines({"begin D:\\out\\f 7", "chunk 3", "abort f"})},
        {"chunks beyond the size",
         ArchiveBuilder().Header(1).File("f", 2).Stored("abc").End().bytes, FP_ERR_SIZE,
         Lines({"begin D:\\out\\f 2", "chunk 3", "abort f"})},
        {"size differs only above 32 bits",
         ArchiveBuilder().Header(1).File("f", 0x100000003ull).Stored("abc").End().bytes,
         FP_ERR_SIZE, Lines({"begin D:\\out\\f 4294967299", "chunk 3", "abort f"})},
        {"bad Adler-32", ArchiveBuilder().Header(1).File("f", 6).Chunk(badAdler, 6).End().bytes,
         FP_ERR_WRITE, Lines({"begin D:\\out\\f 6", "abort f"})},
        {"stream yields fewer bytes",
         ArchiveBuilder().Header(1).File("f", 8).Chunk(zipped, 8).End().bytes, FP_ERR_WRITE,
         Lines({"begin D:\\out\\f 8", "abort f"})},
        {"stream yields one byte more",
         ArchiveBuilder().Header(1).File("f", 5).Chunk(zipped, 5).End().bytes, FP_ERR_WRITE,
         Lines({"begin D:\\out\\f 5", "abort f"})},
        {"stream yields 1024 bytes more",
         ArchiveBuilder().Header(1).File("f", 6).Compressed(std::string(1030, 'q'), 6).End().bytes,
         FP_ERR_WRITE, Lines({"begin D:\\out\\f 6", "abort f"})},
        {"stream cut short",
         ArchiveBuilder().Header(1).File("f", 6).Chunk(zipped.substr(0, 5), 6).End().bytes,
         FP_ERR_WRITE, Lines({"begin D:\\out\\f 6", "abort f"})},
        {"garbage declared empty",
         ArchiveBuilder().Header(1).File("f", 0).Chunk("xyz", 0).End().bytes, FP_ERR_WRITE,
         Lines({"begin D:\\out\\f 0", "abort f"})},
        {"folder end tag",
         ArchiveBuilder().Header(1).Folder("d\\", 0x11, ArchiveBuilder::kWritten, "FENX").bytes,
         FP_ERR_FORMAT, Lines({"folder D:\\out\\d\\ 17"})},
        {"folder cut at end", ArchiveBuilder().Header(1).Folder("d\\").bytes.substr(0, 20 + 45 - 2),
         FP_ERR_READ, Lines({"folder D:\\out\\d\\ 17"})},
        {"chunk length below 4",
         ArchiveBuilder().Header(1).File("f", 0).Tag("FPCK").U32(3).U32(0).bytes, FP_ERR_LIMIT,
         Lines({"begin D:\\out\\f 0", "abort f"})},
        {"chunk data over 6 MiB",
         ArchiveBuilder()
             .Header(1)
             .File("f", 0)
             .Tag("FPCK")
             .U32(FP_READ_BUFFER_SIZE + 5)
             .U32(1)
             .bytes,
         FP_ERR_LIMIT, Lines({"begin D:\\out\\f 0", "abort f"})},
        {"uncompressed length overflows",
         ArchiveBuilder()
             .Header(1)
             .File("f", 0)
             .Tag("FPCK")
             .U32(6)
             .U32(0xFFFFFFFFu - 1023)
             .Raw("ab")
             .bytes,
         FP_ERR_LIMIT, Lines({"begin D:\\out\\f 0", "abort f"})},
        {"empty name",
         ArchiveBuilder().Header(1).FileWithNameBytes("", 0, 0).End().bytes,
         FP_ERR_NAME,
         {}},
        {"parent folder",
         ArchiveBuilder().Header(1).WholeFile("..\\evil", "x").bytes,
         FP_ERR_NAME,
         {}},
        {"parent folder of a folder",
         ArchiveBuilder().Header(1).Folder("a\\..\\..\\").bytes,
         FP_ERR_NAME,
         {}},
        {"name too long for the path buffer",
         ArchiveBuilder().Header(1).Tag("FILE").U64(0).U32(4096 - 7 + 1).bytes,
         FP_ERR_LIMIT,
         {}},
        {"folder part of 256 bytes",
         ArchiveBuilder().Header(1).WholeFile(std::string(256 - 7, 'd') + "\\f", "x").bytes,
         FP_ERR_LIMIT,
         {}},
        {"folder of 256 bytes without its final backslash",
         ArchiveBuilder()
             .Header(1)
             .Folder(std::string(200, 'a') + "\\" + std::string(100, 'b'))
             .bytes,
         FP_ERR_LIMIT,
         {}},
    };
    for (const Case& c : cases) {
        Outcome run = Walk(c.archive, "D:\\out");
        EXPECT_EQ(c.code, run.result) << c.what << ": " << FpResultName(run.result);
        EXPECT_EQ(c.calls, run.calls) << c.what;
    }
}

TEST(Reader, AcceptsWhatTheFormatAllows) {
    std::string zipped = ArchiveBuilder::Deflate("abcdef");
    // Bytes after the stream's end inside the chunk, and a name that just fits.
    ArchiveBuilder a;
    a.Header(2).File("f", 6).Chunk(zipped + "trailing", 6).End();
    a.WholeFile(std::string(255 - 7, 'd') + "\\" + std::string(3000, 'n'), "x");
    Outcome run = Walk(a.bytes, "D:\\out");
    EXPECT_EQ(FP_OK, run.result);
}

TEST(Reader, SinkCodesEndTheEntry) {
    RecordingSink refusing;
    refusing.beginResult = FP_ERR_EXISTS;
    ArchiveBuilder a;
    a.Header(2).WholeFile("a", "abc").WholeFile("b", "def");
    EXPECT_EQ(FP_ERR_EXISTS, Walk(a.bytes, "D:\\o", FpDefaultAllocator(), &refusing).result);
    EXPECT_EQ(Lines({"begin D:\\o\\a 3"}), refusing.calls); // nothing to abort

    RecordingSink failing;
    failing.writeResult = FP_ERR_WRITE;
    EXPECT_EQ(FP_ERR_WRITE, Walk(a.bytes, "D:\\o", FpDefaultAllocator(), &failing).result);
    EXPECT_EQ(Lines({"begin D:\\o\\a 3", "abort a"}), failing.calls);
}

TEST(Reader, ListingPassesOverDataWithoutInflating) {
    RecordingSink listing;
    ArchiveBuilder a;
    a.Header(1).File("f", 3).Chunk("not zlib", 3).End();
    FpSkipDecoder skip;
    FpReadBuffer buffer(FpDefaultAllocator());
    EXPECT_EQ(FP_OK, WalkArchive(a.bytes.data(), a.bytes.size(), "", listing, skip, buffer));
    EXPECT_EQ("", listing.data);
}

TEST(Reader, DestinationsThatCannotTakeANameAreRefused) {
    std::string archive = ArchiveBuilder().Header(1).WholeFile("f", "x").bytes;
    EXPECT_EQ(FP_ERR_LIMIT, Walk(archive, std::string(4095, 'd').c_str()).result);
    EXPECT_EQ(FP_ERR_CREATE, Walk(archive, "D:\\cut\x95").result);
    EXPECT_EQ(FP_OK, Walk(archive, "D:\\\x95\x5c").result);
}

TEST(Reader, AllocationFailures) {
    ArchiveBuilder a;
    a.Header(2).File("stored", 3).Stored("abc").End().WholeFile("zipped", "abcdef");

    // The read buffer: FP_ERR_NOMEM after the file was begun, which is then aborted.
    CountingAllocator noBuffer;
    noBuffer.failSize = FP_READ_BUFFER_SIZE;
    Outcome run = Walk(a.bytes, "D:\\o", noBuffer.allocator);
    EXPECT_EQ(FP_ERR_NOMEM, run.result);
    EXPECT_EQ(Lines({"begin D:\\o\\stored 3", "abort stored"}), run.calls);

    // No inflate stream: stored chunks still work, compressed ones do not inflate.
    CountingAllocator noStream;
    noStream.failAt = 0; // zlib's state, first of all
    run = Walk(a.bytes, "D:\\o", noStream.allocator);
    EXPECT_EQ(FP_ERR_WRITE, run.result);
    EXPECT_EQ("begin D:\\o\\zipped 6", run.calls[4]);

    // Every later allocation of a clean run in turn: never a crash, always FP_OK or a failure
    // code.
    CountingAllocator clean;
    ASSERT_EQ(FP_OK, Walk(a.bytes, "D:\\o", clean.allocator).result);
    for (int i = 1; i < clean.count; i++) {
        CountingAllocator failing;
        failing.failAt = i;
        run = Walk(a.bytes, "D:\\o", failing.allocator);
        EXPECT_TRUE(run.result == FP_OK || run.result == FP_ERR_WRITE || run.result == FP_ERR_NOMEM)
            << i;
    }
}
