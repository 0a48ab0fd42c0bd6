// Compressing one chunk into one zlib stream (RFC 1950). Host builds use libdeflate
// (ChunkCompressorLibdeflate.cpp), the Windows build zlib (ChunkCompressorZlib.cpp); both write
// the level into the header as zlib does, so a stream of level 1 begins 78 01. Portable.
#pragma once

#include <stdint.h>

// One object per thread; its state is set up on first use and kept for every later chunk.
class FpChunkCompressor {
public:
    explicit FpChunkCompressor(int level); // 0-9
    ~FpChunkCompressor();
    // Compresses `length` raw bytes into `out`, which must hold `length` - 1 bytes. `*outLength`
    // receives the zlib form's length, or 0 when that form would not be shorter than the raw bytes
    // (the chunk is then stored). The same bytes and level always give the same stream.
    // FP_OK, or FP_ERR_NOMEM when the compressor cannot be set up (`*outLength` is then 0).
    int Compress(const unsigned char* raw, uint32_t length, unsigned char* out,
                 uint32_t* outLength);

private:
    FpChunkCompressor(const FpChunkCompressor&) = delete;
    FpChunkCompressor& operator=(const FpChunkCompressor&) = delete;
    int m_level;
    void* m_state; // z_stream or libdeflate_compressor
};
