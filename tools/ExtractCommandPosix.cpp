#include "tools/FpackCommands.h"

#include "folderpack/FileInput.h"
#include "folderpack/PosixSink.h"
#include "tools/ProgressBar.h"

namespace {

class ProgressSink : public FpPosixSink {
public:
    ProgressSink(const FpackArgs& args, const FpFileInput& input)
        : FpPosixSink(args.folder, args.overwrite), m_input(input), m_bar("extracting") {}
    void ChunkDone(const FpEntry&, uint64_t) override {
        m_bar.Update(m_input.Position(), m_input.Size());
    }
    void Finish() { m_bar.Finish(); }

private:
    const FpFileInput& m_input;
    ProgressBar m_bar;
};

} // namespace

int ExtractCommand(const FpackArgs& args) {
    FpFileInput input;
    if (input.Open(args.archive) != FP_OK)
        return ReportFailure("extract", FP_ERR_OPEN, 0, nullptr, args.archive);
    FpInflater inflater(FpDefaultAllocator());
    FpReadBuffer buffer(FpDefaultAllocator());
    inflater.Begin();
    ProgressSink sink(args, input);
    // Names are checked against the destination as the Windows extractor sees it: its limits
    // count the folder's own length.
    FpReader reader(input, inflater, buffer, args.folder);
    int result = reader.Walk(sink);
    sink.Finish();
    if (result != FP_OK)
        return ReportFailure("extract", result, reader.EntryIndex(), reader.EntryName(),
                             reader.EntryIndex() ? "" : args.archive);
    return 0;
}
