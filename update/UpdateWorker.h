// The update worker: runs the whole update once on its own thread.
#pragma once

#include <windows.h>

// Thread procedure. Locates the installation through the registry, writes the embedded
// archive (resource 130) into <product>\TMP\WUTMP\, extracts it there, runs Brennick.exe
// (or Olvatine.exe) from it and waits, removes the work folder, and posts exactly one
// WM_UPDATE_DONE (wParam: an UpdateResult, lParam: its detail) to g_hDialog. Moves the step
// bar 0..6 and the file bar 0..1000 through the stored handles. The parameter is unused;
// the result is always 0. Nothing is cleaned up after a failure.
UINT UpdateWorker(LPVOID param);

// Extraction callbacks handed to ExtractFolderPack.
int OverwriteCallback(const char* path); // always 6 (IDYES): existing files are replaced
void ProgressCallback(int entryIndex, int entryCount, int doneLow, int doneHigh, int totalLow,
                      int totalHigh); // per-entry calls move the file bar and rewrite the label
