// Where the archive code gets its memory: a pair of functions, so that the Windows extractor can
// take blocks from the global heap and tests can make any allocation fail. Portable.
#pragma once

#include <stddef.h>

struct FpAllocator {
    // A zero-filled block of `size` bytes, or null.
    void* (*allocate)(void* context, size_t size);
    // Releases a block from `allocate`; null is allowed and does nothing.
    void (*release)(void* context, void* block);
    void* context;
};

// calloc and free.
const FpAllocator& FpDefaultAllocator();
