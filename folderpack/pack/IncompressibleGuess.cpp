#include "folderpack/pack/IncompressibleGuess.h"

#include "folderpack/core/FolderPackFormat.h"

#include <math.h>

namespace {

// Order-0 entropy of the bytes, in bits a byte, against a bound a little under what random data
// of that length shows (8 bits less about 180 / n from the sampling alone).
int LooksRandom(const unsigned char* data, uint32_t length) {
    uint32_t counts[4][256] = {};
    uint32_t i = 0;
    for (; i + 4 <= length; i += 4) {
        counts[0][data[i]]++;
        counts[1][data[i + 1]]++;
        counts[2][data[i + 2]]++;
        counts[3][data[i + 3]]++;
    }
    for (; i < length; i++)
        counts[0][data[i]]++;
    double sum = 0;
    for (int b = 0; b < 256; b++) {
        uint32_t c = counts[0][b] + counts[1][b] + counts[2][b] + counts[3][b];
        if (c)
            sum += double(c) * log2(double(c));
    }
    double bits = log2(double(length)) - sum / double(length);
    return bits >= 7.9 - 400.0 / double(length);
}

} // namespace

int FpLooksIncompressible(FpChunkCompressor& compressor, const unsigned char* data, uint32_t length,
                          unsigned char* scratch) {
    if (length < FP_GUESS_MIN_LENGTH)
        return 0;
    // The samples come to a quarter of the chunk, and to 128 KiB at most (an eighth of 1 MiB).
    uint32_t size = length / (FP_GUESS_SAMPLES * 4);
    if (size > FP_GUESS_SAMPLE_SIZE)
        size = FP_GUESS_SAMPLE_SIZE;
    // The first sample begins the chunk and the last one ends it, give or take the rounding.
    uint32_t stride = (length - size) / (FP_GUESS_SAMPLES - 1);
    // The byte spread first: it costs a fraction of compressing a sample and rules out text and
    // programs at once.
    for (uint32_t s = 0; s < FP_GUESS_SAMPLES; s++) {
        if (!LooksRandom(data + s * stride, size))
            return 0;
    }
    for (uint32_t s = 0; s < FP_GUESS_SAMPLES; s++) {
        uint32_t packed;
        if (compressor.Compress(data + s * stride, size, scratch, &packed) != FP_OK || packed != 0)
            return 0;
    }
    return 1;
}
