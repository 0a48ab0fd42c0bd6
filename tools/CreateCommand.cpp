#include "tools/FpackCommands.h"

#include "folderpack/core/FileOutput.h"
#include "folderpack/pack/FolderPacker.h"
#include "folderpack/pack/PackTimes.h"
#include "tools/ProgressBar.h"
#include "tools/ToolPlatform.h"

#include <stdio.h>

#include <exception>
#include <new>

namespace {

void ShowProgress(void* context, uint64_t done, uint64_t total) {
    static_cast<ProgressBar*>(context)->Update(done, total);
}

int CreateArchive(const FpackArgs& args, const std::string& temporary) {
    std::unique_ptr<FpSourceTree> tree = FpOpenSourceTree(args.folder);
    std::vector<FpPackEntry> entries;
    std::string error;
    int result = FpCollectEntries(*tree, entries, error);
    if (result != FP_OK)
        return ReportFailure("create", result, 0, nullptr, error);
    // SOURCE_DATE_EPOCH set: the same tree packs to the same bytes whenever it was copied.
    if (!FpApplySourceDateEpoch(entries)) {
        fprintf(stderr, "fpack: create: SOURCE_DATE_EPOCH is not a count of seconds\n");
        return 2;
    }

    FpFileOutput out;
    if (out.Open(temporary.c_str()) != FP_OK)
        return ReportFailure("create", FP_ERR_CREATE, 0, nullptr,
                             "cannot create \"" + temporary + "\"");
    ProgressBar bar("packing");
    FpPackOptions options;
    options.level = args.level;
    options.threads = args.threads;
    options.progress = ShowProgress;
    options.progressContext = &bar;
    result = FpPack(*tree, entries, out, options, error);
    bar.Finish();
    if (result == FP_OK && out.Close() != FP_OK) {
        result = FP_ERR_WRITE;
        error = "cannot write \"" + temporary + "\"";
    }
    if (result == FP_OK && !MoveReplacing(temporary.c_str(), args.archive)) {
        result = FP_ERR_WRITE;
        error = "cannot rename \"" + temporary + "\" to \"" + args.archive + "\"";
    }
    if (result != FP_OK) {
        out.Close();
        remove(temporary.c_str());
        return ReportFailure("create", result, 0, nullptr, error);
    }
    return 0;
}

} // namespace

int CreateCommand(const FpackArgs& args) {
    // Written beside the archive and renamed at the end: a failed run leaves no partial archive.
    std::string temporary = std::string(args.archive) + ".partial";
    // The packer's containers and threads report exhaustion by throwing.
    std::string failure;
    try {
        return CreateArchive(args, temporary);
    } catch (const std::bad_alloc&) {
        failure = "out of memory";
    } catch (const std::exception& e) {
        failure = e.what();
    }
    remove(temporary.c_str());
    return ReportFailure("create", FP_ERR_NOMEM, 0, nullptr, failure);
}
