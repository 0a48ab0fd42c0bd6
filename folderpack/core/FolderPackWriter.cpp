// fopen is the portable way these tools open files; MSVC would steer toward fopen_s.
#define _CRT_SECURE_NO_WARNINGS

#include "folderpack/core/FolderPackWriter.h"

#include <string.h>

// Written in pieces this long: the buffer stays warm and is reused, where a buffer as long as a
// small archive would be fresh memory that the whole archive is copied into.
#define FP_OUTPUT_BUFFER_SIZE 0x40000u

namespace {

int SeekTo(FILE* file, uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(file, (__int64)offset, SEEK_SET);
#else
    return fseeko(file, (off_t)offset, SEEK_SET);
#endif
}

int WriteEntryStart(FpArchiveOutput& out, uint32_t tag, const unsigned char* record,
                    size_t recordSize, const FpEntryFields& fields) {
    unsigned char bytes[4];
    FpStore32(bytes, tag);
    uint32_t nameLength = uint32_t(strlen(fields.name) + 1);
    if (out.Write(bytes, 4) != FP_OK || out.Write(record, recordSize) != FP_OK)
        return FP_ERR_WRITE;
    FpStore32(bytes, nameLength);
    if (out.Write(bytes, 4) != FP_OK || out.Write(fields.name, nameLength) != FP_OK)
        return FP_ERR_WRITE;
    unsigned char tail[22];
    FpStore16(tail, 0);
    FpStore32(tail + 2, fields.attributes);
    FpStore64(tail + 6, fields.creationTime);
    FpStore64(tail + 14, fields.lastWriteTime);
    return out.Write(tail, sizeof(tail));
}

int WriteEnd(FpArchiveOutput& out) {
    unsigned char end[8];
    FpStore32(end, FP_TAG_FEND);
    FpStore32(end + 4, 0);
    return out.Write(end, sizeof(end));
}

} // namespace

int FpMemoryOutput::Write(const void* data, size_t length) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    bytes.insert(bytes.end(), p, p + length);
    return FP_OK;
}

int FpMemoryOutput::Patch(uint64_t offset, const void* data, size_t length) {
    if (offset > bytes.size() || length > bytes.size() - offset)
        return FP_ERR_WRITE;
    memcpy(bytes.data() + offset, data, length);
    return FP_OK;
}

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
    if (SeekTo(m_file, offset) != 0 || fwrite(data, 1, length, m_file) != length ||
        SeekTo(m_file, m_bufferStart) != 0)
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

int FpWriteHeader(FpArchiveOutput& out, int32_t count) {
    unsigned char header[20];
    memcpy(header, FP_MAGIC, FP_MAGIC_SIZE);
    FpStore32(header + 12, FP_HEADER_VALUE);
    FpStore32(header + 16, uint32_t(count));
    return out.Write(header, sizeof(header));
}

int FpWriteFolder(FpArchiveOutput& out, const FpEntryFields& fields) {
    unsigned char record[4];
    FpStore32(record, uint32_t(FP_FOLDER_FIXED_SIZE + strlen(fields.name) + 1));
    if (WriteEntryStart(out, FP_TAG_FLDR, record, sizeof(record), fields) != FP_OK)
        return FP_ERR_WRITE;
    return WriteEnd(out);
}

int FpBeginFile(FpArchiveOutput& out, const FpEntryFields& fields, uint64_t size,
                uint64_t* recordOffset) {
    *recordOffset = out.Offset() + 4;
    unsigned char record[8];
    FpStore64(record, 0); // filled in by FpEndFile
    if (WriteEntryStart(out, FP_TAG_FILE, record, sizeof(record), fields) != FP_OK)
        return FP_ERR_WRITE;
    unsigned char bytes[8];
    FpStore64(bytes, size);
    return out.Write(bytes, sizeof(bytes));
}

int FpWriteChunk(FpArchiveOutput& out, const void* data, uint32_t dataLength,
                 uint32_t uncompressedLength) {
    if (dataLength > FP_READ_BUFFER_SIZE)
        return FP_ERR_LIMIT;
    unsigned char header[FP_CHUNK_HEADER_SIZE];
    FpStore32(header, FP_TAG_FPCK);
    FpStore32(header + 4, dataLength + 4);
    FpStore32(header + 8, uncompressedLength);
    if (out.Write(header, sizeof(header)) != FP_OK || out.Write(data, dataLength) != FP_OK)
        return FP_ERR_WRITE;
    return FP_OK;
}

int FpEndFile(FpArchiveOutput& out, uint64_t recordOffset) {
    if (WriteEnd(out) != FP_OK)
        return FP_ERR_WRITE;
    // Everything behind the record length field.
    unsigned char record[8];
    FpStore64(record, out.Offset() - (recordOffset + 8));
    return out.Patch(recordOffset, record, sizeof(record));
}
