// Writing the FolderPack format: the header, FLDR entries, and FILE entries chunk by chunk, with
// exact record lengths (a FILE entry's length is filled in when its end is written). Portable.
#pragma once

#include "folderpack/core/FolderPackFormat.h"

#include <stddef.h>
#include <stdint.h>

#include <vector>

// Destination of archive bytes. The functions below write through it and return what it
// returns; an output that failed once may refuse every later call.
class FpArchiveOutput {
public:
    virtual ~FpArchiveOutput() {}
    // Appends `length` bytes. FP_OK or FP_ERR_WRITE.
    virtual int Write(const void* data, size_t length) = 0;
    // Rewrites `length` bytes already written at `offset`; the range must lie wholly below
    // Offset(). FP_OK, or FP_ERR_WRITE when it does not or the rewrite fails (nothing is
    // rewritten then, or, for a file, possibly part of the range).
    virtual int Patch(uint64_t offset, const void* data, size_t length) = 0;
    // Bytes written so far.
    virtual uint64_t Offset() const = 0;
};

class FpMemoryOutput : public FpArchiveOutput {
public:
    int Write(const void* data, size_t length) override;
    int Patch(uint64_t offset, const void* data, size_t length) override;
    uint64_t Offset() const override { return bytes.size(); }
    std::vector<unsigned char> bytes;
};

// The fields an entry carries besides its data. `name` is the stored name: code page 932,
// backslash-separated, NUL-terminated; a folder's name ends with a backslash.
struct FpEntryFields {
    const char* name;
    uint32_t attributes;
    uint64_t creationTime;
    uint64_t lastWriteTime;
};

// Each function below appends to `out` and returns FP_OK, or FP_ERR_WRITE when `out` refuses a
// Write or Patch; the archive then ends somewhere inside the record (whatever `out` kept) and
// is not to be finished.

// Header: FP_MAGIC, FP_HEADER_VALUE, `count`. FP_OK or FP_ERR_WRITE.
int FpWriteHeader(FpArchiveOutput& out, int32_t count);

// One FLDR entry, 48 + name bytes. FP_OK or FP_ERR_WRITE.
int FpWriteFolder(FpArchiveOutput& out, const FpEntryFields& fields);

// A FILE entry is written as FpBeginFile, FpWriteChunk for each chunk, FpEndFile. `size` must be
// the sum of the chunks' uncompressed lengths. `*recordOffset` receives where the record length
// stands, for FpEndFile; it is set before anything is written, so also on failure. FP_OK or
// FP_ERR_WRITE.
int FpBeginFile(FpArchiveOutput& out, const FpEntryFields& fields, uint64_t size,
                uint64_t* recordOffset);
// One FPCK chunk, coded as its lengths say (FpEncodedChunk gives them): stored when `dataLength`
// equals `uncompressedLength`, else `data` must be one zlib stream. FP_OK; FP_ERR_LIMIT when
// dataLength exceeds FP_READ_BUFFER_SIZE (nothing is written then); FP_ERR_WRITE.
int FpWriteChunk(FpArchiveOutput& out, const void* data, uint32_t dataLength,
                 uint32_t uncompressedLength);
// "FEND", 0, and the record length patched in at `recordOffset` (FpBeginFile's). FP_OK, or
// FP_ERR_WRITE when the end cannot be appended or the length cannot be patched (the entry then
// keeps a record length of 0).
int FpEndFile(FpArchiveOutput& out, uint64_t recordOffset);
