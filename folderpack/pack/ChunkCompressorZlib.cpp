#include "folderpack/pack/ChunkCompressor.h"

#include "folderpack/core/FolderPackFormat.h"

#include <zlib.h>

FpChunkCompressor::FpChunkCompressor(int level) : m_level(level), m_state(nullptr) {}

FpChunkCompressor::~FpChunkCompressor() {
    if (m_state) {
        deflateEnd(static_cast<z_stream*>(m_state));
        delete static_cast<z_stream*>(m_state);
    }
}

int FpChunkCompressor::Compress(const unsigned char* raw, uint32_t length, unsigned char* out,
                                uint32_t* outLength) {
    *outLength = 0;
    z_stream* stream = static_cast<z_stream*>(m_state);
    if (!stream) {
        stream = new z_stream();
        if (deflateInit(stream, m_level) != Z_OK) {
            delete stream;
            return FP_ERR_NOMEM;
        }
        m_state = stream;
    } else if (deflateReset(stream) != Z_OK) {
        return FP_ERR_NOMEM;
    }
    if (length < 2)
        return FP_OK; // no zlib stream is that short
    // Room for one byte less than the raw data: a stream that does not fit is not shorter.
    stream->next_in = const_cast<unsigned char*>(raw);
    stream->avail_in = length;
    stream->next_out = out;
    stream->avail_out = length - 1;
    if (deflate(stream, Z_FINISH) == Z_STREAM_END)
        *outLength = uint32_t(stream->total_out);
    return FP_OK;
}
