// The Windows side of the extractor: what happens on disk for each entry the reader hands over,
// in the extractor's order of operations (see Extractor.h).
#pragma once

#include <windows.h>

#include "folderpack/extract/Extractor.h"
#include "folderpack/core/FolderPackReader.h"
#include "sys/Handle.h"

// Output to an open file handle, one WriteFile per piece.
class HandleOutput : public FpChunkOutput {
public:
    explicit HandleOutput(HANDLE file) : m_file(file) {}
    // FP_ERR_WRITE when WriteFile fails or writes fewer bytes.
    int Write(const unsigned char* data, uint32_t length) override;

protected:
    HANDLE m_file;
};

// Archive input from an open file handle, one ReadFile per field, no read-ahead.
class HandleInput : public FpInput {
public:
    explicit HandleInput(HANDLE archive) : m_archive(archive) {}
    int Read(void* buffer, uint32_t length) override;

private:
    HANDLE m_archive;
};

class FpDiskSinkWindows : public FpSink {
public:
    FpDiskSinkWindows(FpOverwriteCallback overwrite, FpProgressCallback progress)
        : m_overwrite(overwrite), m_progress(progress) {}

    int BeginFile(const FpEntry& entry) override;
    int Write(const unsigned char* data, uint32_t length) override;
    void ChunkDone(const FpEntry& entry, uint64_t total) override;
    int EndFile(const FpEntry& entry) override;
    void AbortFile(const FpEntry& entry) override;
    int Folder(const FpEntry& entry) override;
    // The walk's progress: `index` of `count` entries done.
    void EntryDone(int32_t index, int32_t count) override;

private:
    FpDiskSinkWindows(const FpDiskSinkWindows&) = delete;
    FpDiskSinkWindows& operator=(const FpDiskSinkWindows&) = delete;
    void Report(uint64_t done, uint64_t total);

    FpOverwriteCallback m_overwrite;
    FpProgressCallback m_progress;
    OwnedHandle m_output; // the file between BeginFile and EndFile or AbortFile
};
