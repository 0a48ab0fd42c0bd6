#include "folderpack/core/FolderPackWriter.h"

#include <string.h>

namespace {

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
