// The asynchronous layer hands the target the very calls the reader makes, in order, and stops
// at the first failure as the reader would have, also when it inflates chunks on threads of its
// own: then every archive of the tests and of the fuzzer's seed corpus must give the same calls,
// result and failing entry as the reader's own zlib path.
#include "folderpack/extract/AsyncSink.h"

#include "ArchiveBuilder.h"
#include "RecordingSink.h"
#include "WalkArchive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::string Sample() {
    ArchiveBuilder a;
    std::string big(3 * FP_ASYNC_BUDGET, 'b'); // more than the queue may hold
    a.Header(5).WholeFile("d\\one", "first").Folder("d\\");
    a.File("big", big.size() + 3).Compressed(big).Stored("end").End();
    a.WholeFile("three", ArchiveBuilder::Noise(100000, 4)).WholeFile("four", "");
    return a.bytes;
}

// Through the reader's zlib path, or through the layer when `sink` is one: it is the decoder too.
int Walk(const std::string& archive, FpSink& sink, int32_t* entry = nullptr) {
    FpMemoryInput input(archive.data(), archive.size());
    FpInflater inflater(FpDefaultAllocator());
    FpReadBuffer buffer(FpDefaultAllocator());
    inflater.Begin();
    FpAsyncSink* async = dynamic_cast<FpAsyncSink*>(&sink);
    FpReader reader(input, async ? static_cast<FpChunkDecoder&>(*async) : inflater, buffer,
                    "D:\\x");
    int result = reader.Walk(sink);
    if (entry)
        *entry = result == FP_OK ? 0 : reader.EntryIndex();
    return result;
}

struct Outcome {
    int result;
    int32_t entry; // of the failure, 0 for none
    std::vector<std::string> calls;
};

// Through the reader's zlib path, or with `threads` inflating threads in the layer.
Outcome Read(const std::string& archive, int threads) {
    RecordingSink target;
    target.logWrites = 1;
    Outcome outcome;
    if (threads == 0) {
        outcome.result = Walk(archive, target, &outcome.entry);
    } else {
        FpAsyncSink async(target, threads);
        outcome.result = Walk(archive, async, &outcome.entry);
        int handled = async.Finish();
        if (handled != FP_OK) {
            outcome.result = handled;
            outcome.entry = async.FailedIndex();
        }
    }
    outcome.calls = target.calls;
    return outcome;
}

// A zlib stream of "aaaaa" in one dynamic block that declares `lengths` length and `distances`
// distance codes (zlib allows at most 286 and 30); only 'a', the end code and two distances have
// a code, and the declared remainder is zero.
std::string DynamicStream(int lengths, int distances) {
    std::string out("\x78\x01", 2);
    uint32_t buffer = 0;
    int count = 0;
    auto bits = [&](uint32_t value, int n) { // least significant bit first
        for (int i = 0; i < n; i++) {
            buffer |= ((value >> i) & 1u) << count;
            if (++count == 8) {
                out += char(buffer);
                buffer = 0;
                count = 0;
            }
        }
    };
    // Code-length code: 1 has length 1 (code 0), 0 length 2 (10), 18 length 2 (11).
    auto one = [&] { bits(0, 1); };
    auto zeros = [&](int n) {
        while (n > 0) {
            if (n < 11) {
                bits(1, 2); // a single 0 (code 10, sent from its first bit)
                n--;
                continue;
            }
            int run = n > 138 ? 138 : n;
            bits(3, 2); // 18: a run of zeros
            bits(uint32_t(run - 11), 7);
            n -= run;
        }
    };
    bits(1, 1); // last block
    bits(2, 2); // dynamic codes
    bits(uint32_t(lengths - 257), 5);
    bits(uint32_t(distances - 1), 5);
    bits(18 - 4, 4); // code lengths for the first 18 code-length symbols, in their order
    const int order[18] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1};
    for (int symbol : order)
        bits(symbol == 1 ? 1 : symbol == 0 || symbol == 18 ? 2 : 0, 3);
    zeros('a');
    one();
    zeros(256 - 'a' - 1);
    one(); // the end code
    zeros(lengths - 257);
    one();
    one();
    zeros(distances - 2);
    for (int i = 0; i < 5; i++)
        bits(0, 1); // 'a'
    bits(1, 1);     // end
    if (count)
        out += char(buffer);
    uint32_t check = uint32_t(adler32(1, reinterpret_cast<const Bytef*>("aaaaa"), 5));
    for (int i = 3; i >= 0; i--)
        out += char(check >> (8 * i));
    return out;
}

// Compressed chunks at the edges of the exact-length rule, a failure followed by a later one,
// and every archive kept in the source tree or written as the fuzzer's seeds.
std::vector<std::pair<std::string, std::string>> Archives() {
    std::string text;
    for (int i = 0; text.size() < 200000; i++)
        text += "line " + std::to_string(i * 7) + (i % 5 ? " " : "\n");
    uint32_t n = uint32_t(text.size());
    std::string z = ArchiveBuilder::Deflate(text);
    std::string badCheck = z;
    badCheck.back() ^= 1;
    std::string big = ArchiveBuilder::Noise(2 << 20, 8) + std::string(10 << 20, 'z');
    std::string bigBad = ArchiveBuilder::Deflate(big);
    bigBad.back() ^= 1;
    auto one = [](const std::string& data, uint32_t declared, uint64_t size) {
        return ArchiveBuilder()
            .Header(2)
            .WholeFile("a", "x")
            .File("f", size)
            .Chunk(data, declared)
            .End()
            .bytes;
    };
    std::vector<std::pair<std::string, std::string>> archives = {
        {"sample", Sample()},
        {"exact", one(z, n, n)},
        {"one short", one(z, n + 1, n + 1)},
        {"one long", one(z, n - 1, n - 1)},
        {"beyond the slack", one(z, n - 2000, n - 2000)},
        {"bad check value", one(badCheck, n, n)},
        {"cut short", one(z.substr(0, z.size() - 1), n, n)},
        {"bytes after the stream", one(z + "tail", n, n)},
        {"preset dictionary", one(std::string("\x78\x20\0\0\0\0", 6) + z.substr(2), n, n)},
        {"empty stream", one(ArchiveBuilder::Deflate(""), 0, 0)},
        {"no data", one("", 5, 5)},
        {"286 and 30 codes declared", one(DynamicStream(286, 30), 5, 5)},
        {"287 length codes declared", one(DynamicStream(287, 30), 5, 5)},
        {"288 length codes declared", one(DynamicStream(288, 30), 5, 5)},
        {"31 distance codes declared", one(DynamicStream(257, 31), 5, 5)},
        {"32 distance codes declared", one(DynamicStream(257, 32), 5, 5)},
        {"levels 0 and 9", ArchiveBuilder()
                               .Header(1)
                               .File("f", 2 * n)
                               .Compressed(text, -1, 0)
                               .Compressed(text, -1, 9)
                               .End()
                               .bytes},
        {"windowed and failing", one(bigBad, uint32_t(big.size()), big.size())},
        {"failure before a later one", ArchiveBuilder()
                                           .Header(4)
                                           .WholeFile("one", text)
                                           .File("two", n)
                                           .Chunk(badCheck, n)
                                           .End()
                                           .WholeFile("three", text)
                                           .Tag("JUNK")
                                           .bytes},
    };
    for (const char* root : {FP_TEST_SEEDS, FP_TEST_SOURCE "/tests"}) {
        for (const auto& item : fs::recursive_directory_iterator(root)) {
            if (item.path().extension() != ".fpk")
                continue;
            std::ifstream in(item.path(), std::ios::binary);
            archives.push_back(
                {item.path().string(), std::string(std::istreambuf_iterator<char>(in),
                                                   std::istreambuf_iterator<char>())});
        }
    }
    return archives;
}

} // namespace

TEST(AsyncSink, TargetSeesTheSameCallsAndBytes) {
    std::string archive = Sample();
    RecordingSink direct;
    ASSERT_EQ(FP_OK, Walk(archive, direct));
    for (int threads : {0, 1, 3}) {
        RecordingSink target;
        FpAsyncSink async(target, threads);
        EXPECT_EQ(FP_OK, Walk(archive, async));
        EXPECT_EQ(FP_OK, async.Finish());
        EXPECT_EQ(direct.calls, target.calls) << threads;
        EXPECT_TRUE(direct.all == target.all) << threads;
        EXPECT_EQ(0, async.FailedIndex());
    }
}

TEST(AsyncSink, InflatingThreadsAgreeWithTheReadersZlibPath) {
    size_t corpus = 0;
    for (const auto& [name, archive] : Archives()) {
        Outcome direct = Read(archive, 0);
        for (int threads : {1, 3}) {
            Outcome parallel = Read(archive, threads);
            EXPECT_EQ(direct.result, parallel.result) << name << ", " << threads << " threads";
            EXPECT_EQ(direct.entry, parallel.entry) << name << ", " << threads << " threads";
            EXPECT_EQ(direct.calls, parallel.calls) << name << ", " << threads << " threads";
        }
        corpus++;
    }
    EXPECT_GT(corpus, 30u); // the seeds were found
}

TEST(AsyncSink, StopsAtTheTargetsFirstFailure) {
    std::string archive = Sample();
    RecordingSink direct;
    direct.failName = "three";
    direct.beginResult = FP_ERR_EXISTS;
    EXPECT_EQ(FP_ERR_EXISTS, Walk(archive, direct));

    for (int threads : {0, 2}) {
        RecordingSink target;
        target.failName = "three";
        target.beginResult = FP_ERR_EXISTS;
        FpAsyncSink async(target, threads);
        int walked = Walk(archive, async);
        EXPECT_TRUE(walked == FP_OK || walked == FP_ERR_EXISTS);
        EXPECT_EQ(FP_ERR_EXISTS, async.Finish());
        EXPECT_EQ(direct.calls, target.calls); // nothing of "four" reached it
        EXPECT_EQ(4, async.FailedIndex());
        EXPECT_STREQ("three", async.FailedName());
    }
}

TEST(AsyncSink, AbortsTheOpenFileWhenAWriteFails) {
    RecordingSink target;
    target.writeResult = FP_ERR_WRITE;
    FpAsyncSink async(target, 2);
    Walk(Sample(), async);
    EXPECT_EQ(FP_ERR_WRITE, async.Finish());
    ASSERT_EQ(2u, target.calls.size());
    EXPECT_EQ("begin D:\\x\\d\\one 5", target.calls[0]);
    EXPECT_EQ("abort d\\one", target.calls[1]);
    EXPECT_EQ(1, async.FailedIndex());
}
