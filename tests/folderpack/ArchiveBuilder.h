// Builds FolderPack archives byte by byte for the tests, independently of the library's writer,
// so that malformed and hostile archives can be made as easily as valid ones.
#pragma once

#include <stdint.h>
#include <string.h>
#include <zlib.h>

#include <string>

class ArchiveBuilder {
public:
    static constexpr uint64_t kCreated = 0x01D7000000000000ull; // 2021-ish FILETIME values
    static constexpr uint64_t kWritten = 0x01D8123456789A00ull;

    ArchiveBuilder& Header(int32_t count) {
        bytes.append("Folder Pack", 12);
        U32(1000);
        U32(uint32_t(count));
        return *this;
    }

    // A FILE entry up to its size; chunks and End() follow. The record length is filled in by
    // End() unless `recordLength` is given.
    ArchiveBuilder& File(const std::string& name, uint64_t size, uint32_t attributes = 0x20,
                         uint64_t lastWrite = kWritten) {
        return FileWithNameBytes(name + std::string(1, '\0'), uint32_t(name.size() + 1), size,
                                 attributes, lastWrite);
    }
    ArchiveBuilder& FileWithNameBytes(const std::string& nameBytes, uint32_t nameLength,
                                      uint64_t size, uint32_t attributes = 0x20,
                                      uint64_t lastWrite = kWritten) {
        Tag("FILE");
        m_record = bytes.size();
        U64(0);
        U32(nameLength);
        bytes += nameBytes;
        U16(0);
        U32(attributes);
        U64(kCreated);
        U64(lastWrite);
        U64(size);
        return *this;
    }

    // A stored chunk: data length equal to the uncompressed length.
    ArchiveBuilder& Stored(const std::string& data) { return Chunk(data, uint32_t(data.size())); }
    // A compressed chunk of `data` at zlib `level`, declared as `declared` bytes (default: its
    // true length).
    ArchiveBuilder& Compressed(const std::string& data, int64_t declared = -1, int level = 1) {
        return Chunk(Deflate(data, level),
                     declared < 0 ? uint32_t(data.size()) : uint32_t(declared));
    }
    ArchiveBuilder& Chunk(const std::string& data, uint32_t uncompressedLength) {
        Tag("FPCK");
        U32(uint32_t(data.size() + 4));
        U32(uncompressedLength);
        bytes += data;
        return *this;
    }
    // FEND and its value; fills in the pending FILE record length.
    ArchiveBuilder& End() {
        Tag("FEND");
        U32(0);
        if (m_record != std::string::npos) {
            uint64_t length = bytes.size() - (m_record + 8);
            for (int i = 0; i < 8; i++)
                bytes[m_record + i] = char(length >> (8 * i));
            m_record = std::string::npos;
        }
        return *this;
    }

    ArchiveBuilder& Folder(const std::string& name, uint32_t attributes = 0x11,
                           uint64_t lastWrite = kWritten, const char* endTag = "FEND") {
        Tag("FLDR");
        U32(uint32_t(34 + name.size() + 1));
        U32(uint32_t(name.size() + 1));
        bytes += name;
        bytes += '\0';
        U16(0);
        U32(attributes);
        U64(kCreated);
        U64(lastWrite);
        Tag(endTag);
        U32(0);
        return *this;
    }

    // A complete file in one compressed chunk.
    ArchiveBuilder& WholeFile(const std::string& name, const std::string& data,
                              uint32_t attributes = 0x20) {
        File(name, data.size(), attributes);
        if (!data.empty())
            Compressed(data);
        return End();
    }

    ArchiveBuilder& Tag(const char* tag) {
        bytes.append(tag, 4);
        return *this;
    }
    ArchiveBuilder& U16(uint16_t v) { return Little(v, 2); }
    ArchiveBuilder& U32(uint32_t v) { return Little(v, 4); }
    ArchiveBuilder& U64(uint64_t v) { return Little(v, 8); }
    ArchiveBuilder& Raw(const std::string& raw) {
        bytes += raw;
        return *this;
    }

    static std::string Deflate(const std::string& data, int level = 1) {
        uLongf length = compressBound(uLong(data.size()));
        std::string out(length, '\0');
        compress2(reinterpret_cast<Bytef*>(&out[0]), &length,
                  reinterpret_cast<const Bytef*>(data.data()), uLong(data.size()), level);
        out.resize(length);
        return out;
    }

    // Pseudo-random bytes that do not compress, from a seed.
    static std::string Noise(size_t length, uint32_t seed) {
        std::string out(length, '\0');
        for (size_t i = 0; i < length; i++) {
            seed = seed * 1664525u + 1013904223u;
            out[i] = char(seed >> 24);
        }
        return out;
    }

    std::string bytes;

private:
    ArchiveBuilder& Little(uint64_t v, int n) {
        for (int i = 0; i < n; i++)
            bytes += char(v >> (8 * i));
        return *this;
    }
    size_t m_record = std::string::npos;
};
