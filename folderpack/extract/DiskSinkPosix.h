// Extraction into POSIX files, for `fpack extract` on Linux: names converted to UTF-8, folders
// made on the way, the last-write time set, a read-only file left without write permission.
// Every file and folder is reached from the destination through folders opened without following
// symbolic links, so nothing lands outside the destination even when links point out of it.
#pragma once

#include "folderpack/core/FolderPackReader.h"

#include <string>
#include <vector>

class FpDiskSinkPosix : public FpSink {
public:
    // `destFolder` (UTF-8) is made, with every missing folder above it, when first needed.
    // With `overwrite` 0 an existing target gives FP_ERR_EXISTS; otherwise it is replaced.
    FpDiskSinkPosix(const char* destFolder, int overwrite);
    ~FpDiskSinkPosix();

    // FP_ERR_NAME for a name that is not valid code page 932; FP_ERR_CREATE when the destination
    // or a folder on the way cannot be made or opened (a link among them included), the target
    // is a link (left as it is, whatever `overwrite`), the target is a folder, or the file cannot
    // be created; FP_ERR_EXISTS as above.
    int BeginFile(const FpEntry& entry) override;
    // FP_ERR_WRITE when the bytes cannot be written in full.
    int Write(const unsigned char* data, uint32_t length) override;
    // Sets the last-write time (the access time is left alone) and, for a read-only file, the
    // permissions 0444; closes. FP_ERR_WRITE when closing reports a failure.
    int EndFile(const FpEntry& entry) override;
    // Closes the file, which stays as written.
    void AbortFile(const FpEntry& entry) override;
    // Makes the folder and every missing one above it and sets its last-write time. FP_ERR_NAME as
    // above; FP_ERR_CREATE when it cannot be made or opened. A folder's read-only bit is not
    // mapped: on Windows it does not keep files from being added.
    int Folder(const FpEntry& entry) override;

private:
    FpDiskSinkPosix(const FpDiskSinkPosix&) = delete;
    FpDiskSinkPosix& operator=(const FpDiskSinkPosix&) = delete;
    int SplitName(const FpEntry& entry);
    int OpenFolder(size_t parts, int* fd);
    int OpenRoot();

    std::string m_dest;
    int m_overwrite;
    int m_root = -1;
    std::vector<std::string> m_parts; // components of the current name, UTF-8
    std::string m_cachedPath;         // the folder m_cachedFd stands for
    int m_cachedFd = -1;
    int m_file = -1;
};
