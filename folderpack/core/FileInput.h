// Archive input from a file through the C library's buffered streams, for the tools. Portable.
#pragma once

#include "folderpack/core/FolderPackReader.h"

#include <stdio.h>

class FpFileInput : public FpInput {
public:
    FpFileInput() {}
    ~FpFileInput();
    // Opens `path` (a narrow path in the platform's encoding) for reading: FP_OK or FP_ERR_OPEN.
    int Open(const char* path);
    int Read(void* buffer, uint32_t length) override;
    // Bytes read so far, and the file's size when it was opened.
    uint64_t Position() const { return m_position; }
    uint64_t Size() const { return m_size; }

private:
    FpFileInput(const FpFileInput&) = delete;
    FpFileInput& operator=(const FpFileInput&) = delete;
    FILE* m_file = nullptr;
    uint64_t m_position = 0;
    uint64_t m_size = 0;
};
