#include "tools/FpackCommands.h"

#include <windows.h>

#include "folderpack/extract/Extractor.h"
#include "folderpack/core/FileInput.h"
#include "folderpack/core/NullSink.h"
#include "tools/ProgressBar.h"

#include <string>

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

// Stops a walk at the entry with the given number, once its name has been read.
class StopAtSink : public FpNullSink {
public:
    StopAtSink(const FpReader& reader, int32_t index) : m_reader(reader), m_index(index) {}
    int BeginFile(const FpEntry& entry) override {
        return m_reader.EntryIndex() == m_index ? FP_ERR_EXISTS : FpNullSink::BeginFile(entry);
    }
    int Folder(const FpEntry& entry) override {
        return m_reader.EntryIndex() == m_index ? FP_ERR_EXISTS : FpNullSink::Folder(entry);
    }

private:
    const FpReader& m_reader;
    int32_t m_index;
};

// The name of entry `index` of the archive, read again with the portable reader; empty when
// the reader cannot get that far.
std::string EntryName(const char* archive, int32_t index) {
    FpFileInput input;
    if (input.Open(archive) != FP_OK)
        return std::string();
    FpInflater inflater(FpDefaultAllocator());
    FpReadBuffer buffer(FpDefaultAllocator());
    inflater.Begin();
    FpReader reader(input, inflater, buffer, "");
    StopAtSink sink(reader, index);
    reader.Walk(sink);
    const char* name = reader.EntryIndex() == index ? reader.EntryName() : nullptr;
    return name ? std::string(name) : std::string();
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
    if (result != FP_OK) {
        int32_t failed = g_entriesDone + 1; // the walk stops at its first failing entry
        std::string name = EntryName(args.archive, failed);
        const char* reason = ExtractFailureReason();
        return ReportFailure("extract", result, failed, name.empty() ? nullptr : name.c_str(),
                             reason ? reason : "");
    }
    return 0;
}
