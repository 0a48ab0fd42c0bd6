// Inflating a compressed chunk in one call into a buffer that holds its whole output (libdeflate),
// under the rule of FpInflater::Inflate. Host only: the Windows programs inflate with zlib.
#pragma once

#include "folderpack/core/ChunkInflater.h"

#include <stdint.h>

// Chunks of up to this many uncompressed bytes go through FpWholeInflater in the host tools; longer
// ones through FpInflater window by window.
#define FP_WHOLE_INFLATE_LIMIT (FP_INFLATE_WINDOW - 1)

class FpWholeInflater {
public:
    FpWholeInflater();
    ~FpWholeInflater();

    // Inflates the zlib stream at the start of `data` (`dataLength` bytes; nothing beyond them is
    // read) into `out`, which holds `uncompressedLength` bytes. FP_OK when the stream ends inside
    // the data with a correct Adler-32 check and yields exactly `uncompressedLength` bytes (bytes
    // after its end are ignored); FP_ERR_WRITE when it is not a complete valid stream, yields fewer
    // or more bytes, or the decompressor cannot be allocated. After FP_ERR_WRITE `out` holds
    // anything. One object serves one thread at a time.
    // Where libdeflate is more lenient than zlib, the first block is held to zlib's rule (no more
    // than 286 length and 30 distance codes declared); later blocks, and a fixed-code block using
    // the codes 286, 287, 30 or 31, are not: such a stream (which no conforming writer makes)
    // inflates here and fails with zlib.
    int Inflate(const unsigned char* data, uint32_t dataLength, unsigned char* out,
                uint32_t uncompressedLength);

    // Why the last Inflate() gave FP_ERR_WRITE: FP_WHY_NO_MEMORY or FP_WHY_DAMAGED.
    const char* Reason() const { return m_reason; }

private:
    FpWholeInflater(const FpWholeInflater&) = delete;
    FpWholeInflater& operator=(const FpWholeInflater&) = delete;
    void* m_decompressor; // libdeflate_decompressor, made on first use
    const char* m_reason = nullptr;
};
