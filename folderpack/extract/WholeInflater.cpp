#include "folderpack/extract/WholeInflater.h"

#include <libdeflate.h>

FpWholeInflater::FpWholeInflater() : m_decompressor(nullptr), m_windowed(FpDefaultAllocator()) {}

FpWholeInflater::~FpWholeInflater() {
    if (m_decompressor)
        libdeflate_free_decompressor(static_cast<libdeflate_decompressor*>(m_decompressor));
}

int FpWholeInflater::InflateWhole(const unsigned char* data, uint32_t dataLength,
                                  unsigned char* out, uint32_t uncompressedLength) {
    if (!m_decompressor)
        m_decompressor = libdeflate_alloc_decompressor();
    m_reason = FP_WHY_NO_MEMORY;
    if (!m_decompressor)
        return FP_ERR_WRITE;
    m_reason = FP_WHY_DAMAGED;
    // zlib refuses a dynamic block declaring more than 286 length or 30 distance codes, which
    // libdeflate accepts; a writer that declares them does so from its first block on.
    if (dataLength >= 4 && (data[2] & 0x06) == 0x04) {
        uint32_t bits = uint32_t(data[2]) | uint32_t(data[3]) << 8;
        if (((bits >> 3) & 0x1F) > 29 || ((bits >> 8) & 0x1F) > 29)
            return FP_ERR_WRITE;
    }
    size_t in = 0, produced = 0;
    // With room for exactly the declared length, a longer stream gives INSUFFICIENT_SPACE and a
    // shorter one a smaller `produced`.
    libdeflate_result result =
        libdeflate_zlib_decompress_ex(static_cast<libdeflate_decompressor*>(m_decompressor), data,
                                      dataLength, out, uncompressedLength, &in, &produced);
    if (result != LIBDEFLATE_SUCCESS || produced != uncompressedLength || in > dataLength)
        return FP_ERR_WRITE;
    m_reason = nullptr;
    return FP_OK;
}

int FpWholeInflater::Inflate(const unsigned char* data, uint32_t dataLength,
                             uint32_t uncompressedLength, FpChunkOutput& output) {
    if (uncompressedLength > FP_WHOLE_INFLATE_LIMIT) {
        m_windowed.Begin();
        int result = m_windowed.Inflate(data, dataLength, uncompressedLength, output);
        m_reason = m_windowed.Reason();
        return result;
    }
    m_reason = FP_WHY_NO_MEMORY;
    if (!m_output.Reserve(uncompressedLength ? uncompressedLength : 1))
        return FP_ERR_WRITE;
    int result = InflateWhole(data, dataLength, m_output.data.get(), uncompressedLength);
    if (result != FP_OK || uncompressedLength == 0)
        return result;
    result = output.Write(m_output.data.get(), uncompressedLength);
    m_reason = result == FP_OK ? nullptr : FP_WHY_SHORT_WRITE;
    return result;
}
