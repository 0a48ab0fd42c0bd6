// How a chunk's data is coded, defined once for both directions: the data is the chunk's bytes
// themselves (stored) exactly when it is as long as they are, else one zlib stream (RFC 1950) of
// them. Writers choose with FpEncodedChunk, readers describe a chunk with FpDescribeChunk and
// turn its data into bytes through an FpChunkDecoder. The engines: FpChunkCompressor encodes
// (pack/), FpInflater (zlib, ChunkInflater.h) and FpWholeInflater (libdeflate, extract/) decode,
// FpSkipDecoder passes over. Portable.
#pragma once

#include "folderpack/core/FolderPackFormat.h"

#include <stdint.h>

// One chunk's lengths, as its FPCK record carries them, and its coding.
struct FpChunk {
    uint32_t dataLength; // bytes of data in the archive
    uint32_t length;     // bytes the data stands for
    int stored;          // 1: the data is the bytes; 0: a zlib stream of them
};

// A reader's chunk from the record's lengths, the data length already checked against
// FP_READ_BUFFER_SIZE. FP_OK; FP_ERR_LIMIT, before the data is read, when a zlib chunk's length
// + FP_INFLATE_SLACK exceeds 32 bits.
int FpDescribeChunk(uint32_t dataLength, uint32_t length, FpChunk* chunk);

// A writer's chunk for `length` raw bytes whose zlib form has `codedLength` bytes (0: none was
// made): the zlib form when it is shorter, else the raw bytes, stored. The data to write is the
// zlib form when `stored` is 0, else the raw bytes.
FpChunk FpEncodedChunk(uint32_t length, uint32_t codedLength);

// Where a chunk's bytes go.
class FpChunkOutput {
public:
    virtual ~FpChunkOutput() {}
    // Takes `length` bytes in full: FP_OK, or a negative code (FP_ERR_WRITE for a short write).
    virtual int Write(const unsigned char* data, uint32_t length) = 0;
};

// Turns a chunk's data into its bytes. Decode applies the coding; a decoder says where the data is
// read to and how a zlib stream is inflated, and may pass stored bytes on its own way.
class FpChunkDecoder {
public:
    virtual ~FpChunkDecoder() {}

    // Where the reader is to read the chunk's data, which it then hands to Decode; null for the
    // reader's own buffer. A block given here and not handed on (the read failed) stays the
    // decoder's.
    virtual unsigned char* Buffer(const FpChunk& chunk) {
        (void)chunk;
        return nullptr;
    }

    // Hands the chunk's bytes, from its data (`chunk.dataLength` bytes, valid during the call), to
    // `output` in order: stored bytes through Store, a zlib stream through Inflate. FP_OK;
    // FP_ERR_WRITE when a stream does not inflate to exactly `chunk.length` bytes (as
    // FpInflater::Inflate requires) or cannot be inflated; a code of `output` as it is.
    int Decode(const FpChunk& chunk, const unsigned char* data, FpChunkOutput& output);

    // Why the last Decode gave FP_ERR_WRITE: FP_WHY_DAMAGED, FP_WHY_SHORT_WRITE or
    // FP_WHY_NO_MEMORY; null after any other result, and where the decoder reports its failures
    // elsewhere (the asynchronous sink's queued chunks).
    const char* Reason() const { return m_reason; }

protected:
    // Stored bytes: by default handed to `output` (nothing for 0 bytes).
    virtual int Store(const unsigned char* data, uint32_t length, FpChunkOutput& output);
    // A zlib stream of `dataLength` bytes standing for `length` bytes, under the rule of Decode;
    // sets m_reason on FP_ERR_WRITE.
    virtual int Inflate(const unsigned char* data, uint32_t dataLength, uint32_t length,
                        FpChunkOutput& output) = 0;

    const char* m_reason = nullptr;
};

// Passes over every chunk: its data is read, neither checked nor handed on (listing, sizes).
class FpSkipDecoder : public FpChunkDecoder {
protected:
    int Store(const unsigned char*, uint32_t, FpChunkOutput&) override { return FP_OK; }
    int Inflate(const unsigned char*, uint32_t, uint32_t, FpChunkOutput&) override { return FP_OK; }
};
