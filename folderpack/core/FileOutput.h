// Archive output to a file through the C library's streams, for the tools. Portable.
#pragma once

#include "folderpack/core/FolderPackWriter.h"

#include <stdint.h>
#include <stdio.h>

#include <vector>

// A file written through a buffer of its own; Patch within the buffer costs no seek. A Patch
// may not straddle the start of the buffer (FP_ERR_WRITE): a patch is a record length of at
// most 8 bytes written just behind a tag in one Write, so it never does. After a failed write
// the output fails every later Write, Patch and Close with FP_ERR_WRITE; the file keeps what
// reached it.
class FpFileOutput : public FpArchiveOutput {
public:
    FpFileOutput() {}
    ~FpFileOutput(); // closes without reporting; call Close() to learn of failures
    // Creates or truncates `path` (a narrow path in the platform's encoding). FP_OK or
    // FP_ERR_CREATE.
    int Open(const char* path);
    int Write(const void* data, size_t length) override;
    int Patch(uint64_t offset, const void* data, size_t length) override;
    uint64_t Offset() const override { return m_offset; }
    // Writes what is buffered and closes: FP_OK or FP_ERR_WRITE.
    int Close();

private:
    FpFileOutput(const FpFileOutput&) = delete;
    FpFileOutput& operator=(const FpFileOutput&) = delete;
    int Flush();
    FILE* m_file = nullptr;
    std::vector<unsigned char> m_buffer;
    uint64_t m_bufferStart = 0; // archive offset of m_buffer[0]
    uint64_t m_offset = 0;
    int m_failed = 0;
};
