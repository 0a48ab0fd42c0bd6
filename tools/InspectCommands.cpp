// `fpack list` and `fpack test`: reading an archive without writing anything.
#include "tools/FpackCommands.h"

#include "folderpack/core/FileInput.h"
#include "folderpack/core/FileTime.h"
#include "folderpack/core/NullSink.h"
#include "tools/ArchiveWalk.h"
#include "tools/ToolPlatform.h"

#include <stdio.h>

namespace {

// FILETIME as "YYYY-MM-DD HH:MM:SS" (UTC).
std::string FormatTime(uint64_t fileTime) {
    int64_t seconds = int64_t(fileTime / FP_FILETIME_TICKS) - FP_FILETIME_UNIX_EPOCH;
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        days--;
    }
    // Civil date from days since 1970-01-01 (proleptic Gregorian).
    int64_t z = days + 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int64_t day = doy - (153 * mp + 2) / 5 + 1;
    int64_t month = mp < 10 ? mp + 3 : mp - 9;
    int64_t year = yoe + era * 400 + (month <= 2);
    char text[48];
    snprintf(text, sizeof(text), "%04lld-%02lld-%02lld %02lld:%02lld:%02lld", (long long)year,
             (long long)month, (long long)day, (long long)(rest / 3600),
             (long long)(rest / 60 % 60), (long long)(rest % 60));
    return text;
}

class ListSink : public FpNullSink {
public:
    int BeginFile(const FpEntry& entry) override {
        Print("FILE", entry, 1);
        return FpNullSink::BeginFile(entry);
    }
    int Folder(const FpEntry& entry) override {
        Print("FLDR", entry, 0);
        return FpNullSink::Folder(entry);
    }

private:
    void Print(const char* kind, const FpEntry& entry, int isFile) {
        char size[24] = "-";
        if (isFile)
            snprintf(size, sizeof(size), "%llu", (unsigned long long)entry.size);
        printf("%s %12s  %s  %s\n", kind, size, FormatTime(entry.lastWriteTime).c_str(),
               DisplayName(entry.name).c_str());
    }
};

int List(const FpackArgs& args, FpNullSink& sink, FpFileInput& input) {
    FpSkipDecoder skip; // the data is passed over
    FpReadBuffer buffer(FpDefaultAllocator());
    FpReader reader(input, skip, buffer, "");
    int result = reader.Walk(sink);
    if (result != FP_OK)
        return ReportReaderFailure("list", result, reader, args.archive);
    return 0;
}

} // namespace

int ListCommand(const FpackArgs& args) {
    FpFileInput input;
    if (input.Open(args.archive) != FP_OK)
        return ReportFailure("list", FP_ERR_OPEN, 0, nullptr, args.archive);
    ListSink sink;
    return List(args, sink, input);
}

int TestCommand(const FpackArgs& args) {
    FpFileInput input;
    if (input.Open(args.archive) != FP_OK)
        return ReportFailure("test", FP_ERR_OPEN, 0, nullptr, args.archive);
    FpNullSink sink;
    int status = WalkArchive("test", args.archive, input, "", sink, args.threads, "testing");
    if (status == 0)
        printf("%s: ok, %llu files, %llu folders, %llu bytes\n", args.archive,
               (unsigned long long)sink.files, (unsigned long long)sink.folders,
               (unsigned long long)sink.bytes);
    return status;
}
