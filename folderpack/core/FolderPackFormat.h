// FolderPack: constants of the archive format and the result codes of everything that reads or
// writes it. Portable (C++17, no platform headers).
//
// Layout, all integers little-endian and unaligned:
//   header  FP_MAGIC (12) | header value u32 (1000) | entry count i32
//   FILE    "FILE" | record length u64 | name length u32 | name | reserved u16 | attributes u32 |
//           creation time u64 | last-write time u64 | size u64 | FPCK chunks... | "FEND" | u32
//   FPCK    "FPCK" | chunk length u32 (4 + data length) | uncompressed length u32 | data
//   FLDR    "FLDR" | record length u32 | name length u32 | name | reserved u16 | attributes u32 |
//           creation time u64 | last-write time u64 | "FEND" | u32
// Names are code page 932 bytes with their NUL, relative, backslash-separated; a folder's name
// ends with a backslash. A chunk whose data length equals its uncompressed length is stored raw,
// any other holds one zlib stream (ChunkCodec.h applies the rule).
#pragma once

#include <stddef.h>
#include <stdint.h>

#define FP_MAGIC "Folder Pack" // with its NUL: 12 bytes
#define FP_MAGIC_SIZE 12
#define FP_HEADER_VALUE 1000u

#define FP_READ_BUFFER_SIZE 0x600000u // largest data length of one chunk
#define FP_PATH_BUFFER_SIZE 4096u     // destination folder + name, NUL included
#define FP_LEADING_PART_LIMIT 256u    // every folder on a path is shorter than this
#define FP_INFLATE_SLACK 1024u        // uncompressed length + this must fit in 32 bits

// Tags as little-endian 32-bit values of their four bytes.
#define FP_TAG_FILE 0x454C4946u // "FILE"
#define FP_TAG_FLDR 0x52444C46u // "FLDR"
#define FP_TAG_FPCK 0x4B435046u // "FPCK"
#define FP_TAG_FEND 0x444E4546u // "FEND"

// Fixed byte counts of the fields around the variable parts.
#define FP_FILE_FIXED_SIZE 42u   // FILE record length = 42 + name length + chunks
#define FP_FOLDER_FIXED_SIZE 34u // FLDR record length = 34 + name length
#define FP_CHUNK_HEADER_SIZE 12u // tag, chunk length, uncompressed length

#define FP_ATTRIBUTE_READONLY 0x01u
#define FP_ATTRIBUTE_DIRECTORY 0x10u
#define FP_ATTRIBUTE_ARCHIVE 0x20u

// Result codes: 0 or negative.
#define FP_OK 0
#define FP_ERR_CREATE (-1)  // a file cannot be created or a folder not opened for its times
#define FP_ERR_WRITE (-2)   // a chunk cannot be written in full or does not inflate exactly
#define FP_ERR_NAME (-3)    // an entry name that would not stay inside the destination
#define FP_ERR_LIMIT (-4)   // a name or chunk beyond the buffers that hold it
#define FP_ERR_OPEN (-6)    // the archive cannot be opened
#define FP_ERR_NOMEM (-7)   // a buffer cannot be allocated
#define FP_ERR_READ (-8)    // a read from the archive failed or came short
#define FP_ERR_FORMAT (-9)  // wrong magic, or an unexpected tag
#define FP_ERR_SIZE (-10)   // a file's chunks do not add up to its size
#define FP_ERR_EXISTS (-11) // the target exists and replacing it was not allowed

// Why a chunk failed with FP_ERR_WRITE (as zlib's msg), for messages: the one code has these
// three causes, each named by one static text.
#define FP_WHY_DAMAGED "damaged stream"      // not a valid stream, or not exactly its length
#define FP_WHY_SHORT_WRITE "short write"     // the bytes could not be written in full
#define FP_WHY_NO_MEMORY "no inflate memory" // the stream or its window cannot be allocated

// The name of a result code ("FP_OK", "FP_ERR_FORMAT", ...), or "FP_ERR_UNKNOWN" for any other
// value. Never null.
const char* FpResultName(int code);

// 1 when `code` is one of the result codes above, else 0 (the list has a gap at -5).
int FpIsResultCode(int code);

// Little-endian field access over raw bytes.
inline uint32_t FpLoad32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint64_t FpLoad64(const unsigned char* p) {
    return uint64_t(FpLoad32(p)) | uint64_t(FpLoad32(p + 4)) << 32;
}
inline void FpStore16(unsigned char* p, uint16_t v) {
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
}
inline void FpStore32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; i++)
        p[i] = (unsigned char)(v >> (8 * i));
}
inline void FpStore64(unsigned char* p, uint64_t v) {
    FpStore32(p, (uint32_t)v);
    FpStore32(p + 4, (uint32_t)(v >> 32));
}
