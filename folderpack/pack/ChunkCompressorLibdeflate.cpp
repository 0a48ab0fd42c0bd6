#include "folderpack/pack/ChunkCompressor.h"

#include "folderpack/core/FolderPackFormat.h"

#include <libdeflate.h>

FpChunkCompressor::FpChunkCompressor(int level) : m_level(level), m_state(nullptr) {}

FpChunkCompressor::~FpChunkCompressor() {
    if (m_state)
        libdeflate_free_compressor(static_cast<libdeflate_compressor*>(m_state));
}

int FpChunkCompressor::Compress(const unsigned char* raw, uint32_t length, unsigned char* out,
                                uint32_t* outLength) {
    *outLength = 0;
    if (!m_state)
        m_state = libdeflate_alloc_compressor(m_level);
    if (!m_state)
        return FP_ERR_NOMEM;
    if (length < 2)
        return FP_OK; // no zlib stream is that short
    // Room for one byte less than the raw data: 0 (no room) means the stream is not shorter.
    *outLength = uint32_t(libdeflate_zlib_compress(static_cast<libdeflate_compressor*>(m_state),
                                                   raw, length, out, length - 1));
    return FP_OK;
}
