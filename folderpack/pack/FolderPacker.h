// Packing a folder tree into a FolderPack archive: the entries in the order the extractor expects
// (for every folder its subfolders, each packed the same way, then its files, both in name order
// without regard to case, then the folder's own FLDR entry; the top folder has none), chunks
// compressed on several threads and written in order. Portable.
#pragma once

#include "folderpack/pack/ChunkCompressor.h"
#include "folderpack/core/FolderPackWriter.h"
#include "folderpack/pack/SourceTree.h"

#include <stdint.h>
#include <string>
#include <vector>

#define FP_PACK_CHUNK_SIZE 0x100000u
#define FP_PACK_THREAD_BUDGET 0x1000000u // chunk bytes in flight per thread, if chunks allow

struct FpPackEntry {
    int isFolder;
    std::string name;   // stored name: code page 932, backslashes, a folder's ending in one
    std::string source; // native relative path for FpSourceTree
    uint64_t size;
    uint64_t creationTime;
    uint64_t lastWriteTime;
};

struct FpPackOptions {
    int level = 1;   // zlib level 0-9
    int threads = 1; // compressing threads; 1 compresses on the caller's thread
    // Largest raw length of a chunk, 1 to FP_READ_BUFFER_SIZE. A file is cut into the fewest
    // chunks this allows, all of the same length give or take a byte, so that the threads share
    // even a single large file evenly.
    uint32_t chunkSize = FP_PACK_CHUNK_SIZE;
    uint32_t fileAttributes = FP_ATTRIBUTE_ARCHIVE;
    uint32_t folderAttributes = FP_ATTRIBUTE_READONLY | FP_ATTRIBUTE_DIRECTORY;
    // Called after each chunk written, one call at a time, on the thread that wrote it (the
    // caller's when `threads` is 1); may be null.
    void (*progress)(void* context, uint64_t done, uint64_t total) = nullptr;
    void* progressContext = nullptr;
};

// The entries of `tree` in archive order, with their stored names. FP_OK; the code of
// FpSourceTree::List; FP_ERR_NAME for a name the extractor would refuse (FpCheckName, or a
// separator inside an item's name); FP_ERR_LIMIT for a name longer than the extractor's buffers
// allow even behind an empty destination. `error` names the item.
int FpCollectEntries(FpSourceTree& tree, std::vector<FpPackEntry>& entries, std::string& error);

// Writes the archive of `entries` to `out`. A chunk is stored when its zlib form would not be
// shorter, or when FpLooksIncompressible says so without the chunk being compressed whole. The
// same entries and level give the same bytes whatever the number of threads. FP_OK; FP_ERR_OPEN or
// FP_ERR_READ from reading a file; FP_ERR_WRITE; FP_ERR_NOMEM; FP_ERR_LIMIT for bad options.
// `error` says what failed.
int FpPack(FpSourceTree& tree, const std::vector<FpPackEntry>& entries, FpArchiveOutput& out,
           const FpPackOptions& options, std::string& error);
