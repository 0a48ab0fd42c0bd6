#include "folderpack/core/FolderPackReader.h"

#include "folderpack/core/EntryName.h"

#include <string.h>

int FpMemoryInput::Read(void* buffer, uint32_t length) {
    if (length > m_size - m_position)
        return FP_ERR_READ;
    memcpy(buffer, m_data + m_position, length);
    m_position += length;
    return FP_OK;
}

unsigned char* FpReadBuffer::Get() {
    if (!m_block)
        m_block = static_cast<unsigned char*>(
            m_allocator.allocate(m_allocator.context, FP_READ_BUFFER_SIZE));
    return m_block;
}

void FpReadBuffer::Release() {
    m_allocator.release(m_allocator.context, m_block);
    m_block = nullptr;
}

FpReader::FpReader(FpInput& input, FpChunkDecoder& decoder, FpReadBuffer& buffer,
                   const char* destFolder)
    : m_input(input), m_decoder(decoder), m_buffer(buffer), m_prefixLength(0), m_prefixTooLong(0),
      m_badPrefix(0), m_nameRead(0), m_index(0) {
    memset(m_path, 0, sizeof(m_path));
    size_t length = strlen(destFolder);
    size_t separator = (length > 0 && !FpEndsWithBackslash(destFolder)) ? 1 : 0;
    if (FpEndsInLeadByte(destFolder)) {
        m_badPrefix = 1; // a backslash behind it would become the character's second byte
        return;
    }
    if (length + separator >= sizeof(m_path)) {
        m_prefixTooLong = 1; // no name fits behind it
        return;
    }
    memcpy(m_path, destFolder, length);
    if (separator)
        m_path[length] = '\\';
    m_prefixLength = length + separator;
}

int FpReader::Read32(uint32_t* value) {
    unsigned char bytes[4];
    int result = m_input.Read(bytes, 4);
    if (result == FP_OK)
        *value = FpLoad32(bytes);
    return result;
}

int FpReader::Read64(uint64_t* value) {
    unsigned char bytes[8];
    int result = m_input.Read(bytes, 8);
    if (result == FP_OK)
        *value = FpLoad64(bytes);
    return result;
}

int FpReader::ReadTag(uint32_t* tag) {
    return Read32(tag);
}

int FpReader::ReadHeader(int32_t* count) {
    unsigned char header[16];
    if (m_input.Read(header, sizeof(header)) != FP_OK)
        return FP_ERR_READ;
    if (memcmp(header, FP_MAGIC, FP_MAGIC_SIZE) != 0)
        return FP_ERR_FORMAT;
    uint32_t value;
    if (Read32(&value) != FP_OK)
        return FP_ERR_READ;
    *count = int32_t(value);
    return FP_OK;
}

// Name length, name (straight behind the prefix), screening and limits.
int FpReader::ReadName(FpEntry& entry) {
    m_nameRead = 0;
    uint32_t nameLength;
    if (Read32(&nameLength) != FP_OK)
        return FP_ERR_READ;
    if (m_badPrefix)
        return FP_ERR_CREATE;
    if (nameLength < 2)
        return FP_ERR_NAME;
    if (m_prefixTooLong || FpCheckNameFits(m_prefixLength, nameLength) != FP_OK)
        return FP_ERR_LIMIT;
    char* name = m_path + m_prefixLength;
    if (m_input.Read(name, nameLength) != FP_OK)
        return FP_ERR_READ;
    // Whatever was read, the path stays terminated inside its buffer.
    if (m_prefixLength + nameLength < sizeof(m_path))
        m_path[m_prefixLength + nameLength] = 0;
    if (FpCheckName(name, nameLength) != FP_OK)
        return FP_ERR_NAME;
    m_nameRead = 1;
    if (FpCheckLeadingParts(m_path) != FP_OK)
        return FP_ERR_LIMIT;
    entry.path = m_path;
    entry.name = name;
    entry.nameLength = nameLength;
    return FP_OK;
}

// Reserved field, attributes, creation and last-write times.
int FpReader::ReadTimes(FpEntry& entry) {
    unsigned char fields[22];
    if (m_input.Read(fields, sizeof(fields)) != FP_OK)
        return FP_ERR_READ;
    entry.attributes = FpLoad32(fields + 2);
    entry.creationTime = FpLoad64(fields + 6);
    entry.lastWriteTime = FpLoad64(fields + 14);
    return FP_OK;
}

int FpReader::ReadFileEntry(FpSink& sink) {
    m_reason = nullptr;
    FpEntry entry = {};
    entry.tag = FP_TAG_FILE;
    uint64_t recordLength;
    if (Read64(&recordLength) != FP_OK)
        return FP_ERR_READ;
    int result = ReadName(entry);
    if (result != FP_OK)
        return result;
    if (ReadTimes(entry) != FP_OK || Read64(&entry.size) != FP_OK)
        return FP_ERR_READ;
    result = sink.BeginFile(entry);
    if (result != FP_OK)
        return result;
    result = ReadChunks(sink, entry);
    if (result != FP_OK)
        sink.AbortFile(entry);
    return result;
}

int FpReader::ReadChunks(FpSink& sink, FpEntry& entry) {
    unsigned char* data = m_buffer.Get();
    if (!data)
        return FP_ERR_NOMEM;
    uint64_t total = 0;
    for (;;) {
        uint32_t tag;
        if (ReadTag(&tag) != FP_OK)
            return FP_ERR_READ;
        if (tag == FP_TAG_FEND)
            break;
        if (tag != FP_TAG_FPCK)
            return FP_ERR_FORMAT;
        uint32_t chunkLength, uncompressedLength;
        if (Read32(&chunkLength) != FP_OK)
            return FP_ERR_READ;
        if (chunkLength < 4 || chunkLength - 4 > FP_READ_BUFFER_SIZE)
            return FP_ERR_LIMIT;
        uint32_t dataLength = chunkLength - 4;
        if (Read32(&uncompressedLength) != FP_OK)
            return FP_ERR_READ;
        FpChunk chunk;
        int result = FpDescribeChunk(dataLength, uncompressedLength, &chunk);
        if (result != FP_OK)
            return result;
        unsigned char* place = m_decoder.Buffer(chunk);
        if (!place)
            place = data;
        if (m_input.Read(place, dataLength) != FP_OK)
            return FP_ERR_READ;
        result = m_decoder.Decode(chunk, place, sink);
        if (result != FP_OK) {
            m_reason = result == FP_ERR_WRITE ? m_decoder.Reason() : nullptr;
            return result;
        }
        total += uncompressedLength;
        sink.ChunkDone(entry, total);
    }
    if (total != entry.size)
        return FP_ERR_SIZE;
    uint32_t endValue;
    if (Read32(&endValue) != FP_OK)
        return FP_ERR_READ;
    return sink.EndFile(entry);
}

int FpReader::ReadFolderEntry(FpSink& sink) {
    FpEntry entry = {};
    entry.tag = FP_TAG_FLDR;
    uint32_t recordLength;
    if (Read32(&recordLength) != FP_OK)
        return FP_ERR_READ;
    int result = ReadName(entry);
    if (result != FP_OK)
        return result;
    // The folder is made from its whole path, with or without a final separator.
    if (FpCheckFolderLength(m_path) != FP_OK)
        return FP_ERR_LIMIT;
    if (ReadTimes(entry) != FP_OK)
        return FP_ERR_READ;
    result = sink.Folder(entry);
    if (result != FP_OK)
        return result;
    uint32_t tag, endValue;
    if (ReadTag(&tag) != FP_OK)
        return FP_ERR_READ;
    if (tag != FP_TAG_FEND)
        return FP_ERR_FORMAT;
    if (Read32(&endValue) != FP_OK)
        return FP_ERR_READ;
    return FP_OK;
}

int FpReader::Walk(FpSink& sink) {
    m_index = 0;
    int32_t count;
    int result = ReadHeader(&count);
    if (result != FP_OK)
        return result;
    // Counted so that a count of INT32_MAX never steps past it.
    for (int32_t i = 0; i < count;) {
        i++;
        m_index = i;
        m_nameRead = 0;
        uint32_t tag;
        if (ReadTag(&tag) != FP_OK)
            return FP_ERR_READ;
        if (tag == FP_TAG_FILE)
            result = ReadFileEntry(sink);
        else if (tag == FP_TAG_FLDR)
            result = ReadFolderEntry(sink);
        else
            result = FP_ERR_FORMAT;
        if (result != FP_OK)
            return result;
        sink.EntryDone(i, count);
    }
    return FP_OK;
}
