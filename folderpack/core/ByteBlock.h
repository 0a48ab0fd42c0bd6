// A block of bytes with one owner, never cleared: every byte used is written first. Portable.
#pragma once

#include <stddef.h>

#include <memory>
#include <new>

struct FpByteBlock {
    std::unique_ptr<unsigned char[]> data;
    size_t capacity = 0;
    // Room for `length` bytes: the block held when it is that long, else a new one (the bytes
    // held are lost). 1; 0 when the bytes cannot be had (nothing is then held).
    int Reserve(size_t length) {
        if (length > capacity) {
            capacity = 0;
            data.reset(new (std::nothrow) unsigned char[length]);
            if (!data)
                return 0;
            capacity = length;
        }
        return 1;
    }
};
