// A folder on disk as the writer reads it: the items of each folder and the bytes of each file.
// One implementation per platform (SourceTreePosix.cpp, SourceTreeWin32.cpp).
#pragma once

#include <stdint.h>
#include <memory>
#include <string>
#include <vector>

struct FpSourceItem {
    std::string name;       // the item's own name in code page 932 (no separator)
    std::string nativeName; // as the file system spells it, UTF-8
    int isFolder;
    uint64_t size;         // files
    uint64_t creationTime; // FILETIME values (UTC, 100 ns since 1601)
    uint64_t lastWriteTime;
};

class FpSourceTree {
public:
    virtual ~FpSourceTree() {}
    // The items of the folder `relative` (native names joined with '/', "" for the root), in no
    // particular order. FP_OK; FP_ERR_OPEN when the folder cannot be listed or an item is neither a
    // file nor a folder; FP_ERR_NAME when an item's name has no code page 932 form. `error` then
    // names the item and the cause.
    virtual int List(const std::string& relative, std::vector<FpSourceItem>& items,
                     std::string& error) = 0;
    // Reads exactly `length` bytes at `offset` of the file `relative`. FP_OK; FP_ERR_OPEN or
    // FP_ERR_READ (also for a file that has become shorter), with `error` set.
    virtual int ReadAt(const std::string& relative, uint64_t offset, void* buffer, uint32_t length,
                       std::string& error) = 0;
};

// The tree under `root` (a narrow path: UTF-8 on Linux, the ANSI code page on Windows).
std::unique_ptr<FpSourceTree> FpOpenSourceTree(const char* root);
