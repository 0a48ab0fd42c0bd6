#include "tools/ArchiveWalk.h"

#include "folderpack/extract/AsyncSink.h"
#include "tools/FpackCommands.h"
#include "tools/ProgressBar.h"

namespace {

// The progress bar is drawn from the reader's thread, which owns the input.
class ProgressSink : public FpAsyncSink {
public:
    ProgressSink(FpSink& target, int threads, const FpFileInput& input, const char* label)
        : FpAsyncSink(target, threads), m_input(input), m_bar(label) {}
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

} // namespace

int WalkArchive(const char* command, const char* archive, FpFileInput& input, const char* prefix,
                FpSink& target, int threads, const char* label) {
    FpInflater inflater(FpDefaultAllocator()); // unused: the sink takes compressed chunks
    FpReadBuffer buffer(FpDefaultAllocator());
    ProgressSink sink(target, threads < 1 ? 1 : threads, input, label);
    FpReader reader(input, inflater, buffer, prefix);
    int result = reader.Walk(sink);
    int handled = sink.Finish();
    // A failure met by the sink's threads lies before anything the reader met after it.
    if (handled != FP_OK)
        return ReportFailure(command, handled, sink.FailedIndex(), sink.FailedName(),
                             sink.FailedReason() ? sink.FailedReason() : "");
    if (result != FP_OK)
        return ReportReaderFailure(command, result, reader, archive);
    return 0;
}
