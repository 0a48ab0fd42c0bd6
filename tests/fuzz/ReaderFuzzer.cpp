// Arbitrary bytes through the FolderPack reader: header, names and limits, tags, stored and
// compressed chunks, into a sink that writes nothing. A second pass lists the same bytes without
// inflating. Sanitizers report any read or write out of bounds, leak or undefined behaviour.
#include "folderpack/core/EntryName.h"
#include "folderpack/core/NullSink.h"

#include "WalkArchive.h"

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Every path the reader hands over must stay within its buffer and pass the name checks.
class CheckingSink : public FpNullSink {
public:
    int BeginFile(const FpEntry& entry) override {
        Check(entry);
        return FpNullSink::BeginFile(entry);
    }
    int Folder(const FpEntry& entry) override {
        Check(entry);
        return FpNullSink::Folder(entry);
    }

private:
    static void Check(const FpEntry& entry) {
        if (strlen(entry.path) >= FP_PATH_BUFFER_SIZE ||
            FpCheckName(entry.name, entry.nameLength) != FP_OK ||
            FpCheckLeadingParts(entry.path) != FP_OK)
            abort();
    }
};

// Inflating, or passing over the data (`list`).
int WalkOnce(const uint8_t* data, size_t size, FpSink& sink, const char* dest, int list) {
    // Kept from input to input, as the extractor keeps them from entry to entry.
    static FpInflater inflater(FpDefaultAllocator());
    static FpSkipDecoder skip;
    static FpReadBuffer buffer(FpDefaultAllocator());
    inflater.Begin();
    int result = WalkArchive(
        data, size, dest, sink,
        list ? static_cast<FpChunkDecoder&>(skip) : static_cast<FpChunkDecoder&>(inflater), buffer);
    if (!FpIsResultCode(result))
        abort(); // only the codes of the format
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckingSink checking;
    int first = WalkOnce(data, size, checking, "C:\\varnock\\WUTMP\\", 0);
    FpNullSink listing;
    int second = WalkOnce(data, size, listing, "", 1);
    // Listing skips inflation only, and its empty destination loosens the limits: whatever reads
    // cleanly lists cleanly.
    if (first == FP_OK && second != FP_OK)
        abort();
    return 0;
}
