// Writing the FolderPack format: the header, FLDR entries, and FILE entries chunk by chunk, with
// exact record lengths (a FILE entry's length is filled in when its end is written). Portable.
#pragma once

#include "folderpack/core/FolderPackFormat.h"

#include <stdint.h>
#include <stdio.h>
#include <vector>

// Destination of archive bytes. Patch rewrites bytes already written.
class FpArchiveOutput {
public:
    virtual ~FpArchiveOutput() {}
    // FP_OK or FP_ERR_WRITE.
    virtual int Write(const void* data, size_t length) = 0;
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

// A file written through a buffer of its own; Patch within the buffer costs no seek.
class FpFileOutput : public FpArchiveOutput {
public:
    FpFileOutput() {}
    ~FpFileOutput(); // closes without reporting; call Close() to learn of failures
    // Creates or truncates `path` (a narrow path in the platform's encoding). FP_OK or
    // FP_ERR_CREATE.
    int Open(const char* path);
    int Write(const void* data, size_t length) override;
    int Patch(uint64_t offset, const void* data, size_t length) override;
    uint64_t Offset() const override { return m_offset; }
    // Writes what is buffered and closes: FP_OK or FP_ERR_WRITE.
    int Close();

private:
    FpFileOutput(const FpFileOutput&) = delete;
    FpFileOutput& operator=(const FpFileOutput&) = delete;
    int Flush();
    FILE* m_file = nullptr;
    std::vector<unsigned char> m_buffer;
    uint64_t m_bufferStart = 0; // archive offset of m_buffer[0]
    uint64_t m_offset = 0;
    int m_failed = 0;
};

// The fields an entry carries besides its data. `name` is the stored name: code page 932,
// backslash-separated, NUL-terminated; a folder's name ends with a backslash.
struct FpEntryFields {
    const char* name;
    uint32_t attributes;
    uint64_t creationTime;
    uint64_t lastWriteTime;
};

// Header: FP_MAGIC, FP_HEADER_VALUE, `count`.
int FpWriteHeader(FpArchiveOutput& out, int32_t count);

// One FLDR entry, 48 + name bytes.
int FpWriteFolder(FpArchiveOutput& out, const FpEntryFields& fields);

// A FILE entry is written as FpBeginFile, FpWriteChunk for each chunk, FpEndFile. `size` must be
// the sum of the chunks' uncompressed lengths. `*recordOffset` receives where the record length
// stands, for FpEndFile.
int FpBeginFile(FpArchiveOutput& out, const FpEntryFields& fields, uint64_t size,
                uint64_t* recordOffset);
// One FPCK chunk: stored when `dataLength` equals `uncompressedLength`, else `data` must be one
// zlib stream. FP_ERR_LIMIT when dataLength exceeds FP_READ_BUFFER_SIZE.
int FpWriteChunk(FpArchiveOutput& out, const void* data, uint32_t dataLength,
                 uint32_t uncompressedLength);
// "FEND", 0, and the record length filled in.
int FpEndFile(FpArchiveOutput& out, uint64_t recordOffset);
