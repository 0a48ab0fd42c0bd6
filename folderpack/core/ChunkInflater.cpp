#include "folderpack/core/ChunkInflater.h"

#include "folderpack/core/FolderPackFormat.h"

#include <string.h>

// The window never shrinks: a walk's chunks mostly have similar sizes.
#define FP_INFLATE_MIN_WINDOW 0x10000u

FpInflater::FpInflater(const FpAllocator& allocator)
    : m_allocator(allocator), m_ready(0), m_window(nullptr), m_capacity(0) {
    memset(&m_stream, 0, sizeof(m_stream));
}

FpInflater::~FpInflater() {
    End();
}

voidpf FpInflater::Allocate(voidpf opaque, uInt items, uInt size) {
    const FpAllocator* allocator = static_cast<const FpAllocator*>(opaque);
    uint64_t bytes = uint64_t(items) * size;
    if (bytes > SIZE_MAX)
        return Z_NULL;
    return allocator->allocate(allocator->context, size_t(bytes));
}

void FpInflater::Release(voidpf opaque, voidpf block) {
    const FpAllocator* allocator = static_cast<const FpAllocator*>(opaque);
    allocator->release(allocator->context, block);
}

int FpInflater::Begin() {
    if (m_ready)
        return FP_OK;
    memset(&m_stream, 0, sizeof(m_stream));
    m_stream.zalloc = Allocate;
    m_stream.zfree = Release;
    m_stream.opaque = const_cast<FpAllocator*>(&m_allocator);
    m_ready = inflateInit(&m_stream) == Z_OK;
    return m_ready ? FP_OK : FP_ERR_NOMEM;
}

void FpInflater::End() {
    if (m_ready)
        inflateEnd(&m_stream);
    m_ready = 0;
    m_allocator.release(m_allocator.context, m_window);
    m_window = nullptr;
    m_capacity = 0;
}

int FpInflater::Reserve(uint32_t capacity) {
    if (capacity <= m_capacity)
        return 1;
    if (capacity < FP_INFLATE_MIN_WINDOW)
        capacity = FP_INFLATE_MIN_WINDOW;
    m_allocator.release(m_allocator.context, m_window);
    m_window = static_cast<unsigned char*>(m_allocator.allocate(m_allocator.context, capacity));
    m_capacity = m_window ? capacity : 0;
    return m_window != nullptr;
}

int FpInflater::Inflate(const unsigned char* data, uint32_t dataLength, uint32_t uncompressedLength,
                        FpChunkOutput& output) {
    m_reason = FP_WHY_NO_MEMORY;
    if (!m_ready)
        return FP_ERR_WRITE;
    // One byte more than the chunk needs shows a stream that runs long.
    uint64_t whole = uint64_t(uncompressedLength) + 1;
    uint32_t capacity = whole < FP_INFLATE_WINDOW ? uint32_t(whole) : FP_INFLATE_WINDOW;
    if (!Reserve(capacity) || inflateReset(&m_stream) != Z_OK)
        return FP_ERR_WRITE;
    m_reason = FP_WHY_DAMAGED;
    capacity = m_capacity;
    m_stream.next_in = const_cast<unsigned char*>(data);
    m_stream.avail_in = dataLength;
    uint64_t remaining = uncompressedLength;
    uint32_t filled = 0;
    for (;;) {
        m_stream.next_out = m_window + filled;
        m_stream.avail_out = capacity - filled;
        int z = inflate(&m_stream, Z_NO_FLUSH);
        filled = capacity - m_stream.avail_out;
        if (z != Z_OK && z != Z_STREAM_END)
            return FP_ERR_WRITE; // damaged, cut short, or asking for a dictionary
        if (filled > remaining)
            return FP_ERR_WRITE; // longer than its uncompressed length
        if (z == Z_STREAM_END && filled != remaining)
            return FP_ERR_WRITE; // shorter
        if (filled == capacity || z == Z_STREAM_END) {
            if (filled > 0) {
                int result = output.Write(m_window, filled);
                if (result != FP_OK) {
                    m_reason = FP_WHY_SHORT_WRITE;
                    return result;
                }
            }
            remaining -= filled;
            filled = 0;
        }
        if (z == Z_STREAM_END) {
            m_reason = nullptr;
            return FP_OK;
        }
    }
}
