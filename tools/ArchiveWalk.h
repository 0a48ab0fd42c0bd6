// Reading a whole archive into a sink for `fpack test` and `fpack extract`, with a progress bar
// over the archive's bytes (ProgressSink.h). The host reads on the caller's thread, inflates
// chunks on several threads with libdeflate and runs the sink on a thread of its own
// (ArchiveWalkPosix.cpp); fpack.exe does everything on the caller's thread with zlib
// (ArchiveWalkWin32.cpp). Both report the same failure for the same archive and sink.
#pragma once

#include "folderpack/core/FileInput.h"
#include "folderpack/core/FolderPackReader.h"

// Walks `input` (opened from `archive`) into `target`, with `prefix` as the reader's destination
// folder and `threads` inflating threads (1 or more; ignored by fpack.exe). The target never hears
// of an entry after the first that failed, whichever thread met the failure.
// 0 on success; otherwise 1, after ReportFailure for `command` has named the first failure in
// archive order (the target's or the reader's) with its entry, or with `archive` when it came
// before the first entry. What the target wrote before the failure stays.
int WalkArchive(const char* command, const char* archive, FpFileInput& input, const char* prefix,
                FpSink& target, int threads, const char* label);

// ReportFailure for the reader's own failure `result`: its entry and the reason of an
// FP_ERR_WRITE, or `archive` when the failure came before the first entry. Returns 1.
int ReportReaderFailure(const char* command, int result, const FpReader& reader,
                        const char* archive);
