#include "tools/FpackCommands.h"

#include <windows.h>

#include "folderpack/core/FileInput.h"
#include "folderpack/extract/DiskSinkWindows.h"
#include "tools/ArchiveWalk.h"

int ExtractCommand(const FpackArgs& args) {
    FpFileInput input;
    if (input.Open(args.archive) != FP_OK)
        return ReportFailure("extract", FP_ERR_OPEN, 0, nullptr, args.archive);
    // The sink works on absolute paths, which the long-path calls need; the names' limits are
    // measured against the folder as typed, as fpack extract measures them.
    char folder[FP_PATH_BUFFER_SIZE];
    DWORD n = GetFullPathNameA(args.folder, sizeof(folder), folder, nullptr);
    if (n == 0 || n >= sizeof(folder))
        return ReportFailure("extract", FP_ERR_LIMIT, 0, nullptr, args.folder);
    FpDiskSinkWindows disk(args.overwrite, nullptr, folder);
    return WalkArchive("extract", args.archive, input, args.folder, disk, args.threads,
                       "extracting");
}
