// A cheap guess, before a chunk is compressed whole, that compressing it would not make it
// shorter: already-compressed data (images, archives, installers' cabinets) costs deflate about
// twice as much a byte as text and ends up stored anyway. Portable.
#pragma once

#include "folderpack/pack/ChunkCompressor.h"

#include <stdint.h>

#define FP_GUESS_MIN_LENGTH 0x4000u  // shorter chunks are always compressed whole
#define FP_GUESS_SAMPLES 4u          // spread evenly over the chunk, from its start to its end
#define FP_GUESS_SAMPLE_SIZE 0x8000u // at most; one deflate window, so near repeats are seen

// 1 when every sample of the chunk's `length` bytes has the byte spread of random data and none
// of them is made shorter by `compressor` on its own; the caller then stores the chunk without
// compressing it whole. 0 otherwise (the chunk is to be compressed whole), for chunks shorter than
// FP_GUESS_MIN_LENGTH, and when the compressor cannot be set up. `scratch` must hold `length` - 1
// bytes, as Compress's output does; its contents are left undefined. The same bytes always give the
// same answer. The guess is wrong only for data whose repeats lie farther apart than a sample and
// outside the samples: such a chunk is stored where deflate would have shortened it.
int FpLooksIncompressible(FpChunkCompressor& compressor, const unsigned char* data, uint32_t length,
                          unsigned char* scratch);
