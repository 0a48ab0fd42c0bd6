#include "tools/ArchiveWalk.h"

#include "tools/FpackCommands.h"

int ReportReaderFailure(const char* command, int result, const FpReader& reader,
                        const char* archive) {
    const char* detail = reader.FailureReason();
    if (!detail)
        detail = reader.EntryIndex() ? "" : archive;
    return ReportFailure(command, result, reader.EntryIndex(), reader.EntryName(), detail);
}
