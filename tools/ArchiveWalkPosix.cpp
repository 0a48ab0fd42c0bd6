#include "tools/ArchiveWalk.h"

#include "folderpack/extract/AsyncSink.h"
#include "tools/FpackCommands.h"
#include "tools/ProgressSink.h"

int WalkArchive(const char* command, const char* archive, FpFileInput& input, const char* prefix,
                FpSink& target, int threads, const char* label) {
    FpReadBuffer buffer(FpDefaultAllocator());
    FpAsyncSink async(target, threads < 1 ? 1 : threads);
    ProgressSink sink(async, input, label);
    FpReader reader(input, async, buffer, prefix); // the decoder feeding `async`
    int result = reader.Walk(sink);
    int handled = async.Finish();
    sink.Finish();
    // A failure met by the sink's threads lies before anything the reader met after it.
    if (handled != FP_OK)
        return ReportFailure(command, handled, async.FailedIndex(), async.FailedName(),
                             async.FailedReason() ? async.FailedReason() : "");
    if (result != FP_OK)
        return ReportReaderFailure(command, result, reader, archive);
    return 0;
}
