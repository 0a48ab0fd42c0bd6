// fopen is the portable way these tools open files; MSVC would steer toward fopen_s.
#define _CRT_SECURE_NO_WARNINGS

#include "folderpack/core/FileOutput.h"

#include "folderpack/core/FileSeek.h"

#include <string.h>

// Written in pieces this long: the buffer stays warm and is reused, where a buffer as long as a
// small archive would be fresh memory that the whole archive is copied into.
#define FP_OUTPUT_BUFFER_SIZE 0x40000u

FpFileOutput::~FpFileOutput() {
    if (m_file)
        fclose(m_file);
}

int FpFileOutput::Open(const char* path) {
    m_file = fopen(path, "wb");
    if (!m_file)
        return FP_ERR_CREATE;
    setvbuf(m_file, nullptr, _IONBF, 0);
    m_buffer.reserve(FP_OUTPUT_BUFFER_SIZE);
    return FP_OK;
}

int FpFileOutput::Flush() {
    if (!m_buffer.empty() && fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size())
        m_failed = 1;
    m_bufferStart += m_buffer.size();
    m_buffer.clear();
    return m_failed ? FP_ERR_WRITE : FP_OK;
}

int FpFileOutput::Write(const void* data, size_t length) {
    if (!m_file || m_failed)
        return FP_ERR_WRITE;
    if (m_buffer.size() + length > FP_OUTPUT_BUFFER_SIZE) {
        if (Flush() != FP_OK)
            return FP_ERR_WRITE;
        if (length >= FP_OUTPUT_BUFFER_SIZE) {
            if (fwrite(data, 1, length, m_file) != length)
                m_failed = 1;
            m_bufferStart += length;
            m_offset += length;
            return m_failed ? FP_ERR_WRITE : FP_OK;
        }
    }
    const unsigned char* p = static_cast<const unsigned char*>(data);
    m_buffer.insert(m_buffer.end(), p, p + length);
    m_offset += length;
    return FP_OK;
}

int FpFileOutput::Patch(uint64_t offset, const void* data, size_t length) {
    if (!m_file || m_failed || offset + length > m_offset)
        return FP_ERR_WRITE;
    if (offset >= m_bufferStart) {
        memcpy(m_buffer.data() + (offset - m_bufferStart), data, length);
        return FP_OK;
    }
    if (offset + length > m_bufferStart)
        return FP_ERR_WRITE; // never straddles: patches are record lengths behind a tag
    if (FpSeekFile(m_file, offset, SEEK_SET) != 0 || fwrite(data, 1, length, m_file) != length ||
        FpSeekFile(m_file, m_bufferStart, SEEK_SET) != 0)
        m_failed = 1;
    return m_failed ? FP_ERR_WRITE : FP_OK;
}

int FpFileOutput::Close() {
    if (!m_file)
        return FP_ERR_WRITE;
    int result = Flush();
    if (fclose(m_file) != 0)
        result = FP_ERR_WRITE;
    m_file = nullptr;
    return result;
}
