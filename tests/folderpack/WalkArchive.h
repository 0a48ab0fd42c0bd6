// The reader's set-up shared by the tests: archive bytes in memory walked into a sink.
#pragma once

#include "folderpack/core/ChunkInflater.h"
#include "folderpack/core/FolderPackReader.h"

#include <string>

// Walks the `size` bytes at `data` into `sink` below `dest`, with the decoder and buffer given
// (kept from walk to walk, as the extractor keeps them). Returns the walk's result.
inline int WalkArchive(const void* data, size_t size, const char* dest, FpSink& sink,
                       FpChunkDecoder& decoder, FpReadBuffer& buffer) {
    FpMemoryInput input(data, size);
    FpReader reader(input, decoder, buffer, dest);
    return reader.Walk(sink);
}

// The same with an inflater and a buffer of its own, taken from `allocator`.
inline int WalkArchive(const std::string& archive, const char* dest, FpSink& sink,
                       const FpAllocator& allocator = FpDefaultAllocator()) {
    FpInflater inflater(allocator);
    FpReadBuffer buffer(allocator);
    inflater.Begin();
    return WalkArchive(archive.data(), archive.size(), dest, sink, inflater, buffer);
}
