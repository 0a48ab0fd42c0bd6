#include "tools/FpackCommands.h"

#include "folderpack/AsyncSink.h"
#include "folderpack/FileInput.h"
#include "folderpack/NameCodec.h"
#include "folderpack/PosixSink.h"
#include "tools/ProgressBar.h"

#include <string>

namespace {

// Files are written on a second thread while the archive is read and inflated.
class ProgressSink : public FpAsyncSink {
public:
    ProgressSink(FpSink& target, const FpFileInput& input)
        : FpAsyncSink(target), m_input(input), m_bar("extracting") {}
    void ChunkDone(const FpEntry& entry, uint64_t total) override {
        m_bar.Update(m_input.Position(), m_input.Size());
        FpAsyncSink::ChunkDone(entry, total);
    }
    int Finish() {
        int result = FpAsyncSink::Finish();
        m_bar.Finish();
        return result;
    }

private:
    const FpFileInput& m_input;
    ProgressBar m_bar;
};

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
    FpInflater inflater(FpDefaultAllocator());
    FpReadBuffer buffer(FpDefaultAllocator());
    inflater.Begin();
    FpPosixSink disk(args.folder, args.overwrite);
    ProgressSink sink(disk, input);
    // Names are checked against the destination as the Windows extractor sees it: its limits
    // count the folder's own length.
    std::string prefix = ReaderPrefix(args.folder);
    FpReader reader(input, inflater, buffer, prefix.c_str());
    int result = reader.Walk(sink);
    int written = sink.Finish();
    // A failure on disk comes before anything the reader met after it.
    if (written != FP_OK)
        return ReportFailure("extract", written, sink.FailedIndex(), sink.FailedName(), "");
    if (result != FP_OK)
        return ReportFailure("extract", result, reader.EntryIndex(), reader.EntryName(),
                             reader.EntryIndex() ? "" : args.archive);
    return 0;
}
