// The host tools' chunk decoder: a zlib stream of up to FP_WHOLE_INFLATE_LIMIT bytes is inflated in
// one call with libdeflate into a block that holds its whole output, and then handed on; a longer
// one goes through FpInflater window by window. Host only: the Windows programs inflate with
// zlib.
#pragma once

#include "folderpack/core/ByteBlock.h"
#include "folderpack/core/ChunkInflater.h"

#include <stdint.h>

#define FP_WHOLE_INFLATE_LIMIT (FP_INFLATE_WINDOW - 1)

class FpWholeInflater : public FpChunkDecoder {
public:
    FpWholeInflater();
    ~FpWholeInflater();

    // Inflates the zlib stream at the start of `data` (`dataLength` bytes; nothing beyond them is
    // read) into `out`, which holds `uncompressedLength` bytes. FP_OK when the stream ends inside
    // the data with a correct Adler-32 check and yields exactly `uncompressedLength` bytes (bytes
    // after its end are ignored); FP_ERR_WRITE when it is not a complete valid stream, yields fewer
    // or more bytes, or the decompressor cannot be allocated, with Reason() FP_WHY_DAMAGED or
    // FP_WHY_NO_MEMORY. After FP_ERR_WRITE `out` holds anything. One object serves one thread at
    // a time.
    // Where libdeflate is more lenient than zlib, the first block is held to zlib's rule (no more
    // than 286 length and 30 distance codes declared); later blocks, and a fixed-code block using
    // the codes 286, 287, 30 or 31, are not: such a stream (which no conforming writer makes)
    // inflates here and fails with zlib.
    int InflateWhole(const unsigned char* data, uint32_t dataLength, unsigned char* out,
                     uint32_t uncompressedLength);

protected:
    // As FpInflater::Inflate: small streams through InflateWhole into a block kept for the next
    // chunk, then handed on in one Write; FP_WHY_NO_MEMORY also when that block cannot be had.
    int Inflate(const unsigned char* data, uint32_t dataLength, uint32_t uncompressedLength,
                FpChunkOutput& output) override;

private:
    FpWholeInflater(const FpWholeInflater&) = delete;
    FpWholeInflater& operator=(const FpWholeInflater&) = delete;
    void* m_decompressor; // libdeflate_decompressor, made on first use
    FpByteBlock m_output;
    FpInflater m_windowed; // set up on first use
};
