#include "folderpack/core/Allocator.h"

#include <stdlib.h>

namespace {

void* Allocate(void*, size_t size) {
    return calloc(1, size ? size : 1);
}

void Release(void*, void* block) {
    free(block);
}

} // namespace

const FpAllocator& FpDefaultAllocator() {
    static const FpAllocator allocator = {Allocate, Release, nullptr};
    return allocator;
}
