// The one parser of the FolderPack format. It reads an archive strictly forward, field by field,
// checks every name and length before a buffer is touched, hands each chunk's data to a decoder
// and drives a sink with the entries' events, which does whatever the reader is for (extracting,
// listing, testing). Portable.
#pragma once

#include "folderpack/core/Allocator.h"
#include "folderpack/core/ChunkCodec.h"
#include "folderpack/core/FolderPackFormat.h"

#include <stdint.h>

// Source of archive bytes.
class FpInput {
public:
    virtual ~FpInput() {}
    // Reads exactly `length` bytes into `buffer`: FP_OK, or FP_ERR_READ when the read fails or
    // comes short (the position is then undefined).
    virtual int Read(void* buffer, uint32_t length) = 0;
};

// Input from bytes in memory.
class FpMemoryInput : public FpInput {
public:
    FpMemoryInput(const void* data, size_t size)
        : m_data((const unsigned char*)data), m_size(size) {}
    int Read(void* buffer, uint32_t length) override;

private:
    const unsigned char* m_data;
    size_t m_size;
    size_t m_position = 0;
};

// One entry as read from the archive, valid during the sink's calls for that entry.
struct FpEntry {
    uint32_t tag;          // FP_TAG_FILE or FP_TAG_FLDR
    const char* path;      // destination prefix followed by the name, NUL-terminated
    const char* name;      // the stored name (inside `path`), NUL-terminated, screened
    uint32_t nameLength;   // bytes of the name with its NUL
    uint32_t attributes;   // as stored
    uint64_t creationTime; // FILETIME values as stored
    uint64_t lastWriteTime;
    uint64_t size; // FILE: the file's length; FLDR: 0
};

// What a reader is for: the entries' events. Calls for one FILE entry: BeginFile, then for each
// chunk in order the Write calls its decoder makes followed by ChunkDone, then EndFile; or, after
// a successful BeginFile, AbortFile once when the entry fails. A FLDR entry gets one Folder call.
// EntryDone follows every entry that succeeded, when the reader walks the whole archive.
class FpSink : public FpChunkOutput {
public:
    // The FILE entry's fields up to its size were read and its name screened. FP_OK to go on;
    // a negative code ends the entry with that code, with nothing left open.
    virtual int BeginFile(const FpEntry& entry) = 0;
    // The chunk's bytes were all written; `total` counts the file's bytes so far.
    virtual void ChunkDone(const FpEntry& entry, uint64_t total) {
        (void)entry;
        (void)total;
    }
    // The chunks added up to the size and the end value was read. FP_OK or a negative code.
    virtual int EndFile(const FpEntry& entry) = 0;
    // The entry failed after BeginFile succeeded: release what BeginFile opened.
    virtual void AbortFile(const FpEntry& entry) = 0;
    // The FLDR entry's fields were read and its name screened; its end tag is read afterwards.
    virtual int Folder(const FpEntry& entry) = 0;
    // Entry `index` (1-based) of `count` was read and handled with FP_OK.
    virtual void EntryDone(int32_t index, int32_t count) {
        (void)index;
        (void)count;
    }
};

// The 6 MiB block every chunk's data is read into, allocated on first use and kept until
// Release(), so that one block serves every entry of a walk.
class FpReadBuffer {
public:
    explicit FpReadBuffer(const FpAllocator& allocator) : m_allocator(allocator) {}
    ~FpReadBuffer() { Release(); }
    // The block (FP_READ_BUFFER_SIZE bytes), or null when it cannot be allocated.
    unsigned char* Get();
    void Release();

private:
    FpReadBuffer(const FpReadBuffer&) = delete;
    FpReadBuffer& operator=(const FpReadBuffer&) = delete;
    const FpAllocator& m_allocator;
    unsigned char* m_block = nullptr;
};

class FpReader {
public:
    // `destFolder` prefixes every entry's path, with a backslash added unless it ends with one
    // (multibyte-aware); the limits of names count it. The empty text gives no prefix at all.
    // A folder ending in the first byte of a double-byte character cannot take a backslash:
    // every entry then fails with FP_ERR_CREATE after its name length was read.
    // `input`, `decoder` and `buffer` are used, not owned. Each chunk's data is read into
    // `buffer`, or where the decoder's Buffer says, and decoded into the sink; an FpInflater must
    // have been set up (FpInflater::Begin) for compressed chunks to inflate.
    FpReader(FpInput& input, FpChunkDecoder& decoder, FpReadBuffer& buffer, const char* destFolder);

    // Reads the 16-byte header and the entry count. FP_OK; FP_ERR_READ when fewer bytes come;
    // FP_ERR_FORMAT when the first 12 bytes are not FP_MAGIC with its NUL.
    int ReadHeader(int32_t* count);

    // Reads a 4-byte tag: FP_OK or FP_ERR_READ.
    int ReadTag(uint32_t* tag);

    // Reads one FILE entry, its "FILE" tag already read, and drives `sink` through it. On FP_OK
    // the input stands behind the entry's end value. Codes, in the order the fields are met:
    //   FP_ERR_READ   a field, chunk or the end value could not be read in full;
    //   FP_ERR_NAME   the name is refused (FpCheckName);
    //   FP_ERR_LIMIT  the name does not fit the path buffer behind the prefix, a leading part
    //                 of the path reaches 256 bytes, a chunk length is below 4, a chunk's data
    //                 exceeds FP_READ_BUFFER_SIZE, or FpDescribeChunk refuses it; all before
    //                 the sink hears of the entry or before the chunk's data is read;
    //   the code of BeginFile;
    //   FP_ERR_NOMEM  the read buffer cannot be had (after BeginFile);
    //   the code of the decoder's Decode (FP_ERR_WRITE when a chunk does not inflate to exactly
    //                 its uncompressed length or Write fails, a code of Write as it is);
    //   FP_ERR_FORMAT a tag other than "FPCK" or "FEND" among the chunks;
    //   FP_ERR_SIZE   the chunks' lengths do not add up to the size (64-bit compare) at "FEND";
    //   the code of EndFile.
    // Every failure after a successful BeginFile calls AbortFile first.
    int ReadFileEntry(FpSink& sink);

    // Reads one FLDR entry, its "FLDR" tag already read. FP_ERR_READ, FP_ERR_NAME and FP_ERR_LIMIT
    // for its fields and name as above, then the code of Folder, then FP_ERR_READ or FP_ERR_FORMAT
    // (end tag not "FEND") for the end tag and value, read after Folder.
    int ReadFolderEntry(FpSink& sink);

    // The whole archive: ReadHeader, then each counted entry (none for a count of 0 or below):
    // its tag (FP_ERR_READ; FP_ERR_FORMAT unless "FILE" or "FLDR"), the entry, and EntryDone.
    // Stops at the first failure and returns its code; nothing after the last entry is read.
    int Walk(FpSink& sink);

    // For messages: the 1-based number of the entry being read during Walk (0 before the first),
    // and its name once read and screened (else null).
    int32_t EntryIndex() const { return m_index; }
    const char* EntryName() const { return m_nameRead ? m_path + m_prefixLength : nullptr; }
    // After FP_ERR_WRITE from this reader: why (FP_WHY_DAMAGED, FP_WHY_SHORT_WRITE or
    // FP_WHY_NO_MEMORY, the decoder's Reason()); null after any other result.
    const char* FailureReason() const { return m_reason; }

private:
    FpReader(const FpReader&) = delete;
    FpReader& operator=(const FpReader&) = delete;
    int ReadName(FpEntry& entry);
    int ReadTimes(FpEntry& entry);
    int ReadChunks(FpSink& sink, FpEntry& entry);
    int Read32(uint32_t* value);
    int Read64(uint64_t* value);

    FpInput& m_input;
    FpChunkDecoder& m_decoder;
    FpReadBuffer& m_buffer;
    size_t m_prefixLength;
    int m_prefixTooLong;
    int m_badPrefix;
    int m_nameRead;
    int32_t m_index;
    const char* m_reason = nullptr;
    char m_path[FP_PATH_BUFFER_SIZE];
};
