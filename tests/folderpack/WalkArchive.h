// The reader's set-up shared by the tests: archive bytes in memory walked into a sink.
#pragma once

#include "folderpack/core/FolderPackReader.h"

#include <string>

// Begins `inflater` and walks the `size` bytes at `data` into `sink` below `dest`, with the
// stream and buffer given (kept from walk to walk, as the extractor keeps them). Returns the
// walk's result.
inline int WalkArchive(const void* data, size_t size, const char* dest, FpSink& sink,
                       FpInflater& inflater, FpReadBuffer& buffer) {
    FpMemoryInput input(data, size);
    inflater.Begin();
    FpReader reader(input, inflater, buffer, dest);
    return reader.Walk(sink);
}

// The same with a stream and a buffer of its own, taken from `allocator`.
inline int WalkArchive(const std::string& archive, const char* dest, FpSink& sink,
                       const FpAllocator& allocator = FpDefaultAllocator()) {
    FpInflater inflater(allocator);
    FpReadBuffer buffer(allocator);
    return WalkArchive(archive.data(), archive.size(), dest, sink, inflater, buffer);
}
