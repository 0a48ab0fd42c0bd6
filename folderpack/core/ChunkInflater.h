// The reader's chunk decoder: zlib streams inflated with one zlib stream set up once and reset for
// every chunk, and one output window reused from chunk to chunk. Portable.
#pragma once

#include "folderpack/core/Allocator.h"
#include "folderpack/core/ChunkCodec.h"

#include <stdint.h>
#include <zlib.h>

// Output of up to this many bytes is checked in full before any of it is handed on; a longer
// chunk is handed on window by window.
#define FP_INFLATE_WINDOW 0x800000u

class FpInflater : public FpChunkDecoder {
public:
    // Blocks of the stream and the window come from `allocator`, which must outlive this object.
    explicit FpInflater(const FpAllocator& allocator);
    ~FpInflater(); // as End()

    // Sets the stream up for zlib-format data (RFC 1950, any window up to 32 KiB).
    // FP_OK, or FP_ERR_NOMEM when zlib cannot set it up; every Inflate() then fails.
    // Calling it again while set up does nothing.
    int Begin();

    // Ends the stream and releases the window. Safe to call at any time, also twice.
    void End();

    // Inflates the zlib stream at the start of `data` (`dataLength` bytes; nothing beyond them is
    // read) and hands the output to `output` in order. FP_OK when the stream ends inside the data
    // with a correct Adler-32 check and yields exactly `uncompressedLength` bytes; bytes after the
    // stream's end inside the data are ignored.
    // FP_ERR_WRITE when the stream was not set up, the window cannot be allocated, the data is not
    // a complete valid stream, or it yields fewer or more bytes; an error code of `output` is
    // returned as it is. Output of up to FP_INFLATE_WINDOW - 1 bytes is handed on only after the
    // whole chunk has been checked; of a longer chunk that fails, the windows before the failure
    // have been handed on.
    // Reason() then says why: FP_WHY_NO_MEMORY (not set up, or no window), FP_WHY_DAMAGED, or
    // FP_WHY_SHORT_WRITE when `output` failed.
    int Inflate(const unsigned char* data, uint32_t dataLength, uint32_t uncompressedLength,
                FpChunkOutput& output) override;

private:
    FpInflater(const FpInflater&) = delete;
    FpInflater& operator=(const FpInflater&) = delete;
    int Reserve(uint32_t capacity);
    static voidpf Allocate(voidpf opaque, uInt items, uInt size);
    static void Release(voidpf opaque, voidpf block);

    const FpAllocator& m_allocator;
    z_stream m_stream;
    int m_ready;
    unsigned char* m_window;
    uint32_t m_capacity;
};
