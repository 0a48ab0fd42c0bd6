// Extraction into Windows files: what happens on disk for each entry the reader hands over, in
// the extractor's order of operations (see Extractor.h). Paths are the reader's (destination
// prefix and name); the file work goes through the long-path wrappers of sys/, every folder on
// the way is made once per walk, and nothing is written through a link.
#pragma once

#include <vector>

#include <windows.h>

#include "folderpack/core/FolderPackReader.h"
#include "sys/Handle.h"

// Output to an open file handle, one WriteFile per piece.
class FpHandleOutput : public FpChunkOutput {
public:
    explicit FpHandleOutput(HANDLE file) : m_file(file) {}
    // FP_OK; FP_ERR_WRITE when WriteFile fails or writes fewer bytes.
    int Write(const unsigned char* data, uint32_t length) override;

protected:
    HANDLE m_file;
};

// Archive input from an open file handle, one ReadFile per field, no read-ahead.
class FpHandleInput : public FpInput {
public:
    explicit FpHandleInput(HANDLE archive) : m_archive(archive) {}
    // FP_OK; FP_ERR_READ when ReadFile fails or reads fewer bytes.
    int Read(void* buffer, uint32_t length) override;

private:
    HANDLE m_archive;
};

// Archive input from an open file handle through a read-ahead block, for a walk that owns the
// handle: it may read past the last entry. A read as long as the block or longer goes straight
// into the caller's buffer.
class FpReadAheadInput : public FpInput {
public:
    // `block` (`capacity` bytes) is used, not owned.
    FpReadAheadInput(HANDLE archive, unsigned char* block, uint32_t capacity)
        : m_archive(archive), m_block(block), m_capacity(capacity) {}
    // FP_OK; FP_ERR_READ when ReadFile fails or the file ends first.
    int Read(void* buffer, uint32_t length) override;

private:
    HANDLE m_archive;
    unsigned char* m_block;
    uint32_t m_capacity;
    uint32_t m_start = 0; // the unread bytes of the block: [m_start, m_end)
    uint32_t m_end = 0;
};

// What the sink asks before it replaces an existing target, and what it reports as it goes.
class FpDiskListener {
public:
    virtual ~FpDiskListener() {}
    // Asked with the full target path when it exists (file or folder) and the sink was made
    // without overwrite: 1 lets the entry replace it, 0 refuses (FP_ERR_EXISTS).
    virtual int Replace(const char* path) = 0;
    // `done` of the current file's `total` bytes written: once before anything is created (0),
    // after each chunk, and once after the file is closed with its times and attributes.
    virtual void FileProgress(uint64_t done, uint64_t total) = 0;
    // Entry `index` (1-based) of `count` was extracted.
    virtual void EntryDone(int32_t index, int32_t count) = 0;
};

// Room for a root of up to FP_PATH_BUFFER_SIZE bytes followed by a name of as many.
#define FP_SINK_PATH_SIZE (2 * FP_PATH_BUFFER_SIZE)

// One sink serves one walk: it remembers the folders it has made or checked (their links
// included) and asks the system again for none of them. A folder it has not seen is checked,
// and made when missing, before anything lands in it. While the walk trusts a folder, the sink
// holds it open without delete sharing, so that on Windows no other process can move or delete
// it and put a link in its place (a host's `mv` under Wine is not held back).
class FpDiskSinkWindows : public FpSink {
public:
    // With `overwrite` 1 an existing target is replaced; with 0 `listener` is asked, and without
    // a listener it is refused. `listener` (not owned; may be null) hears of the progress.
    // `root` null: each entry lands on the reader's path (its prefix and name); otherwise on
    // `root` (an absolute folder, kept, not copied) followed by the name, so the reader's prefix
    // only measures the names; a root of FP_PATH_BUFFER_SIZE bytes or more makes every entry
    // fail with FP_ERR_LIMIT, nothing created.
    FpDiskSinkWindows(int overwrite, FpDiskListener* listener, const char* root = nullptr)
        : m_overwrite(overwrite), m_listener(listener), m_root(root) {}
    ~FpDiskSinkWindows() override;

    // Codes, in order, and what stays on disk: FP_ERR_CREATE when a folder on the way below the
    // destination, or the target itself, is a link (nothing created); the missing folders of
    // the path are made; FP_ERR_EXISTS when the target exists and may not be replaced (it stays
    // untouched); the old file's read-only bit is cleared and the file deleted; FP_ERR_CREATE
    // when the file cannot be created (also when the target is a folder); FP_OK with the new
    // file open and empty. A missing target is created without a deletion, and never over
    // something that appeared in its place meanwhile.
    int BeginFile(const FpEntry& entry) override;
    // FP_OK; FP_ERR_WRITE when the bytes cannot be written in full (the file keeps what was).
    int Write(const unsigned char* data, uint32_t length) override;
    void ChunkDone(const FpEntry& entry, uint64_t total) override;
    // Sets the times on the open file, closes it, then sets its stored attributes: FP_OK.
    int EndFile(const FpEntry& entry) override;
    // Closes the file, which stays as written, without its stored times and attributes.
    void AbortFile(const FpEntry& entry) override;
    // Makes the folder and every missing one above it, clears its read-only bit, sets its times
    // and its stored attributes: FP_OK. FP_ERR_CREATE, nothing created, when the folder or one
    // on its way below the destination is a link; FP_ERR_CREATE when something other than a
    // folder stands in its place, or the folder cannot be opened for its times (the folders made
    // stay).
    int Folder(const FpEntry& entry) override;
    void EntryDone(int32_t index, int32_t count) override;

private:
    FpDiskSinkWindows(const FpDiskSinkWindows&) = delete;
    FpDiskSinkWindows& operator=(const FpDiskSinkWindows&) = delete;
    void Report(uint64_t done, uint64_t total);
    char* TargetPath(const FpEntry& entry, size_t* nameStart);
    int PrepareFolders(char* path, size_t nameStart, size_t end);
    int IsKnown(const char* path, size_t end) const;
    int Know(const char* path, size_t end);

    int m_overwrite;
    FpDiskListener* m_listener;
    const char* m_root;
    OwnedHandle m_output;           // the file between BeginFile and EndFile or AbortFile
    char m_path[FP_SINK_PATH_SIZE]; // the entry's target with `m_root`
    // The deepest folder made or checked so far, without a final separator: it and every folder
    // above it are known. m_knownLength 0: none yet, the destination not made either.
    char m_known[FP_SINK_PATH_SIZE];
    size_t m_knownLength = 0;
    // The destination, and the known folders below it held open, outermost first: each the
    // folder whose path ends at `end` in m_known.
    OwnedHandle m_destination;
    struct HeldFolder {
        HANDLE handle;
        size_t end;
    };
    std::vector<HeldFolder> m_held;
};
