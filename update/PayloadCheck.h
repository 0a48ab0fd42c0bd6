// Checks of the embedded archive (resource "IDH_FILE" 130) made before any of it is written.
#pragma once

#include <windows.h>

#include <stdint.h>

// CheckPayload hashes the archive as loaded and compares it with its digest, then walks its
// entries in memory (names and limits checked as the extraction under `workFolder` will check
// them, nothing inflated). Returns 0 with `*needed` set to the bytes the work folder must take
// (the archive file plus every file's size) when all holds; ERROR_INVALID_DATA when the archive
// or its digest is missing, the digest is malformed or differs or cannot be computed, or the
// walk fails. Nothing is written.
DWORD CheckPayload(const char* workFolder, uint64_t* needed);

// CheckRoom returns 0 when the volume of `folder` has `needed` bytes free for this process;
// ERROR_DISK_FULL when it does not; or the error of GetDiskFreeSpaceEx.
DWORD CheckRoom(const char* folder, uint64_t needed);
