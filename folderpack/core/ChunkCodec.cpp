#include "folderpack/core/ChunkCodec.h"

int FpDescribeChunk(uint32_t dataLength, uint32_t length, FpChunk* chunk) {
    chunk->dataLength = dataLength;
    chunk->length = length;
    chunk->stored = dataLength == length;
    if (!chunk->stored && length > UINT32_MAX - FP_INFLATE_SLACK)
        return FP_ERR_LIMIT;
    return FP_OK;
}

FpChunk FpEncodedChunk(uint32_t length, uint32_t codedLength) {
    FpChunk chunk;
    chunk.length = length;
    chunk.stored = codedLength == 0 || codedLength >= length;
    chunk.dataLength = chunk.stored ? length : codedLength;
    return chunk;
}

int FpChunkDecoder::Store(const unsigned char* data, uint32_t length, FpChunkOutput& output) {
    return length ? output.Write(data, length) : FP_OK;
}

int FpChunkDecoder::Decode(const FpChunk& chunk, const unsigned char* data, FpChunkOutput& output) {
    m_reason = nullptr;
    if (!chunk.stored)
        return Inflate(data, chunk.dataLength, chunk.length, output);
    int result = Store(data, chunk.length, output);
    if (result != FP_OK)
        m_reason = FP_WHY_SHORT_WRITE;
    return result;
}
