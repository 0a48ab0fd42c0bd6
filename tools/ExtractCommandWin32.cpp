#include "tools/FpackCommands.h"

#include <windows.h>

#include "folderpack/Extractor.h"
#include "tools/ProgressBar.h"

namespace {

int g_overwrite = 0;
int g_entriesDone = 0;
ProgressBar* g_bar = nullptr;

int AskOverwrite(const char*) {
    return g_overwrite ? IDYES : IDNO;
}

void ShowProgress(int entryIndex, int entryCount, int, int, int, int) {
    if (entryIndex == 0)
        return;
    g_entriesDone = entryIndex;
    g_bar->Update(uint64_t(entryIndex), uint64_t(entryCount));
}

} // namespace

int ExtractCommand(const FpackArgs& args) {
    // The extractor would create a missing archive as an empty file.
    DWORD attributes = GetFileAttributesA(args.archive);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ReportFailure("extract", FP_ERR_OPEN, 0, nullptr, args.archive);
    // Folders are made from absolute paths only.
    char folder[FP_PATH_BUFFER_SIZE];
    DWORD n = GetFullPathNameA(args.folder, sizeof(folder), folder, nullptr);
    if (n == 0 || n >= sizeof(folder))
        return ReportFailure("extract", FP_ERR_LIMIT, 0, nullptr, args.folder);

    ProgressBar bar("extracting");
    g_bar = &bar;
    g_overwrite = args.overwrite;
    int result = ExtractFolderPack(folder, args.archive, AskOverwrite, ShowProgress);
    bar.Finish();
    g_bar = nullptr;
    if (result != FP_OK)
        return ReportFailure("extract", result, 0, nullptr,
                             std::to_string(g_entriesDone) + " entries extracted before it");
    return 0;
}
