#include "tools/ArchiveWalk.h"

#include "tools/FpackCommands.h"
#include "tools/ProgressBar.h"

namespace {

// Hands every call on to the target and moves the progress bar after each chunk.
class ProgressSink : public FpSink {
public:
    ProgressSink(FpSink& target, const FpFileInput& input, const char* label)
        : m_target(target), m_input(input), m_bar(label) {}
    int BeginFile(const FpEntry& entry) override { return m_target.BeginFile(entry); }
    int Write(const unsigned char* data, uint32_t length) override {
        return m_target.Write(data, length);
    }
    void ChunkDone(const FpEntry& entry, uint64_t total) override {
        m_bar.Update(m_input.Position(), m_input.Size());
        m_target.ChunkDone(entry, total);
    }
    int EndFile(const FpEntry& entry) override { return m_target.EndFile(entry); }
    void AbortFile(const FpEntry& entry) override { m_target.AbortFile(entry); }
    int Folder(const FpEntry& entry) override { return m_target.Folder(entry); }
    void EntryDone(int32_t index, int32_t count) override { m_target.EntryDone(index, count); }
    int WantsData() const override { return m_target.WantsData(); }
    void Finish() { m_bar.Finish(); }

private:
    FpSink& m_target;
    const FpFileInput& m_input;
    ProgressBar m_bar;
};

} // namespace

int WalkArchive(const char* command, const char* archive, FpFileInput& input, const char* prefix,
                FpSink& target, int, const char* label) {
    FpInflater inflater(FpDefaultAllocator());
    FpReadBuffer buffer(FpDefaultAllocator());
    inflater.Begin();
    ProgressSink sink(target, input, label);
    FpReader reader(input, inflater, buffer, prefix);
    int result = reader.Walk(sink);
    sink.Finish();
    if (result != FP_OK)
        return ReportReaderFailure(command, result, reader, archive);
    return 0;
}
