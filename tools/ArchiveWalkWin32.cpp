#include "tools/ArchiveWalk.h"

#include "folderpack/core/ChunkInflater.h"
#include "tools/ProgressSink.h"

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
