#include "tools/FpackCommands.h"

#include "folderpack/core/FileInput.h"
#include "folderpack/core/NameCodec.h"
#include "folderpack/extract/DiskSinkPosix.h"
#include "tools/ArchiveWalk.h"

#include <string>

namespace {

// The destination as the Windows extractor would see it: its code page 932 spelling, or, for a
// folder that has none, a stand-in of the same length. The reader only measures it and checks
// that no name would be cut by it; the disk sink uses the real UTF-8 folder.
std::string ReaderPrefix(const char* folder) {
    std::string prefix;
    if (FpUtf8ToCp932(folder, prefix))
        return prefix;
    prefix = folder;
    for (char& c : prefix) {
        if (static_cast<unsigned char>(c) >= 0x80)
            c = '_';
    }
    return prefix;
}

} // namespace

int ExtractCommand(const FpackArgs& args) {
    FpFileInput input;
    if (input.Open(args.archive) != FP_OK)
        return ReportFailure("extract", FP_ERR_OPEN, 0, nullptr, args.archive);
    FpDiskSinkPosix disk(args.folder, args.overwrite);
    // Names are checked against the destination as the Windows extractor sees it: its limits
    // count the folder's own length.
    std::string prefix = ReaderPrefix(args.folder);
    return WalkArchive("extract", args.archive, input, prefix.c_str(), disk, args.threads,
                       "extracting");
}
