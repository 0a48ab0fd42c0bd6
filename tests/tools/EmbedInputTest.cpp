// What `fpack embed` reads from the executable it is handed, against hand-built images and
// version resources: the well-formed ones, and malformed ones that must be refused without a
// read outside the bytes (the sanitizers report any).
#include "tools/PeImage.h"
#include "tools/VersionResource.h"

#include "ImageBuilder.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

using namespace image;

struct Outcome {
    int result;
    std::string out;
};

// PeReadFacts, with its facts as text ("signed=-1 symbols=-1": left as they were).
Outcome ReadFacts(const std::string& bytes) {
    PeFacts facts = {-1, -1};
    int result =
        PeReadFacts(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &facts);
    return {result, "signed=" + std::to_string(facts.isSigned) +
                        " symbols=" + std::to_string(facts.hasSymbols)};
}

// RestampVersion to 1.2.3.4, with its output ("untouched": left as it was).
Outcome Restamp(const std::string& bytes) {
    const uint16_t parts[4] = {1, 2, 3, 4};
    std::vector<unsigned char> out(9);
    memcpy(out.data(), "untouched", 9);
    int result = RestampVersion(std::vector<unsigned char>(bytes.begin(), bytes.end()), parts, out);
    return {result, std::string(out.begin(), out.end())};
}

const char kUnchanged[] = "signed=-1 symbols=-1";

std::string With16(std::string bytes, size_t at, uint32_t value) {
    Put16(bytes, at, value);
    return bytes;
}

std::string With32(std::string bytes, size_t at, uint32_t value) {
    Put32(bytes, at, value);
    return bytes;
}

// Nodes nested `depth` deep below a root that holds the fixed information.
std::string Nested(int depth, uint32_t high = 0, uint32_t low = 0) {
    std::string inner = Node("x", 1, "", 0);
    for (int i = 1; i < depth; i++)
        inner = Node("x", 1, "", 0, {inner});
    return Node("VS_VERSION_INFO", 0, FixedInfo(high, low), 52, {inner});
}

} // namespace

TEST(EmbedInput, WellFormedImagesAndVersionsReadAndMalformedOnesAreRefused) {
    const std::string pe = MinimalPe();
    const std::string pe32 = MinimalPe(0x10b);
    const size_t directories = kOptional + Directories(0x20b);
    const std::string version = VersionInfo(0, 0, "0.0.0.0");
    const std::string restamped = VersionInfo(0x10002, 0x30004, "1.2.3.4");
    const std::string fixed = FixedInfo(0, 0);
    struct Row {
        const char* name;
        Outcome (*parse)(const std::string&);
        std::string in;
        int result;
        std::string out;
    } rows[] = {
        {"PE32+", ReadFacts, pe, 1, "signed=0 symbols=0"},
        {"PE32", ReadFacts, pe32, 1, "signed=0 symbols=0"},
        {"signed", ReadFacts, SignedPe(), 1, "signed=1 symbols=0"},
        {"signed PE32", ReadFacts, SignedPe(0x10b), 1, "signed=1 symbols=0"},
        {"symbols", ReadFacts, With32(pe, kSymbolTable, 0x1000), 1, "signed=0 symbols=1"},
        {"four directories", ReadFacts, With32(SignedPe(), directories - 4, 4), 1,
         "signed=0 symbols=0"},
        {"header ends before directory 4", ReadFacts,
         With16(SignedPe(), kOptionalSize, uint32_t(Directories(0x20b) + 32)), 1,
         "signed=0 symbols=0"},
        {"empty", ReadFacts, "", 0, kUnchanged},
        {"DOS header cut", ReadFacts, pe.substr(0, 63), 0, kUnchanged},
        {"no MZ", ReadFacts, With16(pe, 0, 0x4D5A), 0, kUnchanged},
        {"PE offset past the end", ReadFacts, With32(pe, kPeOffsetField, uint32_t(pe.size() + 1)),
         0, kUnchanged},
        {"PE offset wraps", ReadFacts, With32(pe, kPeOffsetField, 0xFFFFFFFF), 0, kUnchanged},
        {"file header cut", ReadFacts, pe.substr(0, kOptional - 1), 0, kUnchanged},
        {"file header at the end", ReadFacts,
         With32(pe, kPeOffsetField, uint32_t(pe.size() - 4 - 20 + 1)), 0, kUnchanged},
        {"no PE signature", ReadFacts, With16(pe, kPe + 2, 'X'), 0, kUnchanged},
        {"optional header cut", ReadFacts, pe.substr(0, pe.size() - 1), 0, kUnchanged},
        {"optional size past the end", ReadFacts, With16(pe, kOptionalSize, 0xFFFF), 0, kUnchanged},
        {"optional size 1", ReadFacts, With16(pe, kOptionalSize, 1), 0, kUnchanged},
        {"optional size before the directories", ReadFacts,
         With16(pe, kOptionalSize, uint32_t(Directories(0x20b) - 1)), 0, kUnchanged},
        {"ROM magic", ReadFacts, With16(pe, kOptional, 0x107), 0, kUnchanged},

        {"version", Restamp, version, 1, restamped},
        {"version again", Restamp, restamped, 1, restamped},
        {"version empty", Restamp, "", 0, "untouched"},
        {"version header cut", Restamp, version.substr(0, 5), 0, "untouched"},
        {"version cut", Restamp, version.substr(0, version.size() - 1), 0, "untouched"},
        {"length below a header", Restamp, With16(version, 0, 5), 0, "untouched"},
        {"length past the end", Restamp, With16(version, 0, uint32_t(version.size() + 4)), 0,
         "untouched"},
        {"key without terminator", Restamp, Utf16("VS_VERS").insert(0, "\x14\0\0\0\0\0", 6), 0,
         "untouched"},
        {"value past the node", Restamp, With16(version, 2, 0xFFFF), 0, "untouched"},
        {"text past the node", Restamp,
         Node("VS_VERSION_INFO", 0, fixed, 52, {Node("StringFileInfo", 1, "", 0x7FFF)}), 0,
         "untouched"},
        {"child past its parent", Restamp,
         Node("VS_VERSION_INFO", 0, fixed, 52, {With16(Node("x", 1, "", 0), 0, 0x100)}), 0,
         "untouched"},
        {"no signature", Restamp, Node("VS_VERSION_INFO", 0, FixedInfo(0, 0, 0xFEEF04BC), 52, {}),
         0, "untouched"},
        {"fixed information cut", Restamp, Node("VS_VERSION_INFO", 0, fixed.substr(0, 48), 48, {}),
         0, "untouched"},
        {"nesting of 8", Restamp, Nested(8), 1, Nested(8, 0x10002, 0x30004)},
        {"nesting of 9", Restamp, Nested(9), 0, "untouched"},
        {"longer than 64 KiB", Restamp, version + std::string(0x10000, '\0'), 0, "untouched"},
    };
    for (const Row& row : rows) {
        Outcome got = row.parse(row.in);
        EXPECT_EQ(row.result, got.result) << row.name;
        EXPECT_EQ(row.out, got.out) << row.name;
    }
}
