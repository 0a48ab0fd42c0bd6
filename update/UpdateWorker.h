// The update worker: runs the whole update once on its own thread.
#pragma once

#include <windows.h>

// Thread procedure. Takes the system-wide update lock (UPDATE_ERR_BUSY when another update
// holds it) and keeps it until it has reported. Locates the installation through the registry
// (the server path in its canonical form, sys/FullPath.h: UPDATE_ERR_INTERNAL when it is not
// fully qualified),
// creates <product>\TMP\WUTMP\ afresh as a folder of its own (no link; a leftover removed
// first, waiting up to 10 s for a brief hold; only administrators and SYSTEM may change it,
// users may read), checks the embedded archive (resource 130) against its digest and the free
// space, writes it there, extracts it, runs Brennick.exe (or Olvatine.exe when that cannot be
// started; when neither can, UPDATE_ERR_SETUP carries the fallback's start error, or the
// primary's when the fallback is not there) from it and waits, stores its exit code in
// g_setupExitCode, removes the work folder
// (waiting up to 10 s for a brief hold; what is still held stays), and posts exactly one
// WM_UPDATE_DONE (wParam: an UpdateResult, lParam: its detail) to g_hDialog. Moves the step bar
// 0..6 and the file bar 0..1000 through the stored handles. The parameter is unused; the result
// is always 0. UPDATE_ERR_WRITE_ARCHIVE carries ERROR_STOPPED_ON_SYMLINK (TMP or the work
// folder is a link: nothing written or deleted), RemoveTree's error for a leftover it cannot
// remove (32, 5, 145 or 303 for a hold that lasted, 681 for a link inside that is not removed as
// a link, 206 beyond the walk's depth: nothing of it is used; sys/RemoveTree.h says every one),
// the work folder's creation error, ERROR_INVALID_DATA
// (damaged payload) or ERROR_DISK_FULL (nothing of the payload written), or 0 when the archive
// file could not be written. A setup program that ended by an exception (IsCrashCode,
// update/CrashCode.h) gives UPDATE_ERR_SETUP_CRASHED with that code; any other exit code counts
// as success. Nothing is cleaned up after a failure.
UINT UpdateWorker(LPVOID param);

// Extraction callbacks handed to ExtractFolderPack.
int OverwriteCallback(const char* path); // always 6 (IDYES): existing files are replaced
void ProgressCallback(int entryIndex, int entryCount, int doneLow, int doneHigh, int totalLow,
                      int totalHigh); // per-entry calls: PostFileProgress (progress/Progress.h)
