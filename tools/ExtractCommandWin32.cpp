#include "tools/FpackCommands.h"

#include <windows.h>

#include "folderpack/core/FileInput.h"
#include "folderpack/extract/DiskSinkWindows.h"
#include "tools/ArchiveWalk.h"

int ExtractCommand(const FpackArgs& args) {
    FpFileInput input;
    if (input.Open(args.archive) != FP_OK)
        return ReportFailure("extract", FP_ERR_OPEN, 0, nullptr, args.archive);
    // Folders are made from absolute paths only: the destination is the reader's prefix, and
    // the sink works on the paths it makes.
    char folder[FP_PATH_BUFFER_SIZE];
    DWORD n = GetFullPathNameA(args.folder, sizeof(folder), folder, nullptr);
    if (n == 0 || n >= sizeof(folder))
        return ReportFailure("extract", FP_ERR_LIMIT, 0, nullptr, args.folder);
    FpDiskSinkWindows disk(args.overwrite, nullptr);
    return WalkArchive("extract", args.archive, input, folder, disk, args.threads, "extracting");
}
