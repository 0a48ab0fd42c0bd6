// Builds the inputs of `fpack embed`'s parsers byte by byte, independently of them: a minimal PE
// image (headers only) and version resources (VS_VERSIONINFO trees), with every field the
// parsers read at hand, so that malformed ones are as easy to make as well-formed ones.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

namespace image {

inline void Put16(std::string& bytes, size_t at, uint32_t value) {
    bytes[at] = char(value & 0xff);
    bytes[at + 1] = char(value >> 8 & 0xff);
}

inline void Put32(std::string& bytes, size_t at, uint32_t value) {
    Put16(bytes, at, value & 0xffff);
    Put16(bytes, at + 2, value >> 16);
}

// Offsets in a minimal image: the PE header right after the 64-byte DOS header.
const size_t kPeOffsetField = 60; // e_lfanew
const size_t kPe = 64;
const size_t kFileHeader = kPe + 4;
const size_t kSymbolTable = kFileHeader + 8; // PointerToSymbolTable
const size_t kOptionalSize = kFileHeader + 16;
const size_t kOptional = kFileHeader + 20;

// Offset of the data directories in the optional header of `magic` (0x20b PE32+, 0x10b PE32).
inline size_t Directories(uint16_t magic) {
    return magic == 0x20b ? 112 : 96;
}

// The headers of an image with no sections: "MZ", "PE\0\0", an x86-64 file header and an
// optional header of `magic` with 16 empty data directories.
inline std::string MinimalPe(uint16_t magic = 0x20b) {
    size_t optionalSize = Directories(magic) + 16 * 8;
    std::string bytes(kOptional + optionalSize, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    Put32(bytes, kPeOffsetField, uint32_t(kPe));
    bytes.replace(kPe, 4, "PE\0\0", 4);
    Put16(bytes, kFileHeader, 0x8664); // Machine
    Put16(bytes, kOptionalSize, uint32_t(optionalSize));
    Put16(bytes, kOptional, magic);
    Put32(bytes, kOptional + Directories(magic) - 4, 16); // NumberOfRvaAndSizes
    return bytes;
}

// The same image with the certificate table (data directory 4) set.
inline std::string SignedPe(uint16_t magic = 0x20b) {
    std::string bytes = MinimalPe(magic);
    size_t security = kOptional + Directories(magic) + 4 * 8;
    Put32(bytes, security, 0x400);
    Put32(bytes, security + 4, 0x200);
    return bytes;
}

inline void Pad4(std::string& bytes) {
    while (bytes.size() % 4)
        bytes += '\0';
}

inline std::string Utf16(const std::string& ascii) {
    std::string bytes;
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

// One node: wLength, wValueLength, wType, the key and its terminator, the value and the
// children, each on 4 bytes from the node's start (the node itself starts on 4 bytes).
inline std::string Node(const std::string& key, uint16_t type, const std::string& value,
                        uint16_t valueLength, const std::vector<std::string>& children = {}) {
    std::string bytes(6, '\0');
    Put16(bytes, 2, valueLength);
    Put16(bytes, 4, type);
    bytes += Utf16(key) + std::string(2, '\0');
    Pad4(bytes);
    bytes += value;
    for (const std::string& child : children) {
        Pad4(bytes);
        bytes += child;
    }
    Put16(bytes, 0, uint32_t(bytes.size()));
    return bytes;
}

// A string of a string table: a text value, its length in characters with the terminator.
inline std::string Text(const std::string& key, const std::string& text) {
    return Node(key, 1, Utf16(text) + std::string(2, '\0'), uint16_t(text.size() + 1));
}

// VS_FIXEDFILEINFO: the signature, the structure version, file and product versions (`high`,
// `low`), and zeros.
inline std::string FixedInfo(uint32_t high, uint32_t low, uint32_t signature = 0xFEEF04BD) {
    std::string bytes(52, '\0');
    Put32(bytes, 0, signature);
    Put32(bytes, 4, 0x10000);
    Put32(bytes, 8, high);
    Put32(bytes, 12, low);
    Put32(bytes, 16, high);
    Put32(bytes, 20, low);
    return bytes;
}

// A version resource as a resource compiler lays it out: the fixed information, one string
// table with the version strings `text`, and the translation.
inline std::string VersionInfo(uint32_t high, uint32_t low, const std::string& text) {
    std::string table = Node(
        "041104b0", 1, "", 0,
        {Text("FileVersion", text), Text("ProductName", "Varnock"), Text("ProductVersion", text)});
    std::string translation = Node("Translation", 0, std::string("\x11\x04\xb0\x04", 4), 4);
    return Node(
        "VS_VERSION_INFO", 0, FixedInfo(high, low), 52,
        {Node("StringFileInfo", 1, "", 0, {table}), Node("VarFileInfo", 1, "", 0, {translation})});
}

} // namespace image
