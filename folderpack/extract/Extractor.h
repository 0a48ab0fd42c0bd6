// The FolderPack extractor for Windows: recreates the tree an archive describes under a
// destination folder, with file data, creation and last-write times and attributes, asking
// before it replaces anything and reporting progress. Names and lengths are checked by the
// portable reader (folderpack/core/FolderPackReader.h) before anything is created; the file work
// goes through the long-path wrappers of sys/, so a file's path may exceed 259 bytes; the
// destination is made by MakePath, the folders below it one by one (each leading part shorter
// than 256 bytes).
//
// Nothing is logged or shown, and nothing is undone on failure: entries extracted before a
// failing one stay; a file that fails after its creation stays closed with what was written
// (empty, partial, or whole for FP_ERR_SIZE) and without its stored times and attributes; folders
// made on the way stay; an old file deleted before a failed creation stays deleted.
//
// One extraction at a time per process: the inflate stream and the buffers are process-wide.
// Memory: one 6 MiB read buffer and an inflate window of at most 8 MiB for the whole walk, from
// the global heap (GlobalAlloc, zero-filled), and a 64 KiB read-ahead block of the process's own.
//
// Each folder is made or checked once per walk: a folder that the walk has made or found to be a
// folder (not a link) is not asked about again for the entries that land in it.
#pragma once

#include <windows.h>

#include "folderpack/core/FolderPackFormat.h"

// Asked with the full target path when it exists (file or folder); 6 (IDYES) lets the entry
// replace it, any other value refuses.
typedef int (*FpOverwriteCallback)(const char* path);

// Progress. entryIndex != 0: entry number entryIndex (1-based) of entryCount has been extracted
// (the other values 0). entryIndex == 0: byte progress of the file being extracted, 64-bit bytes
// written in doneLow/doneHigh of the file's size in totalLow/totalHigh; made once before anything
// is created (done 0), after each chunk written, and once after the file is closed with its times
// and attributes (done = size). A FLDR entry makes no byte-progress call.
typedef void (*FpProgressCallback)(int entryIndex, int entryCount, int doneLow, int doneHigh,
                                   int totalLow, int totalHigh);

// Extracts the archive at `archivePath` under `destFolder` (with or without a trailing
// backslash). Either callback may be null; without `overwrite` an existing target is refused.
// The archive is opened for reading with read sharing only, created empty when missing (which
// the walk then rejects with FP_ERR_READ), read ahead in blocks, and closed before returning.
// FP_OK; FP_ERR_OPEN when the archive cannot be opened (nothing else happens); otherwise the
// code of ReadFolderPack.
int ExtractFolderPack(const char* destFolder, const char* archivePath,
                      FpOverwriteCallback overwrite, FpProgressCallback progress);

// The walk over an open archive positioned at its first byte. Sets up the inflate stream (its
// failure only makes compressed chunks fail) and ends it, with the buffers released, on every
// return. Codes: FP_ERR_CREATE for a null or invalid handle; FP_ERR_READ when the 16 header bytes,
// the entry count or an entry tag cannot be read in full; FP_ERR_FORMAT for a wrong magic or a
// tag other than "FILE" and "FLDR"; the first failing entry's code (later entries untouched, no
// progress call for it); FP_OK when every counted entry (none for a count of 0 or less) was
// extracted, each followed by its progress call. Nothing after the last counted entry is read.
//
// A FILE entry's codes, in order, are those of FpReader::ReadFileEntry
// (folderpack/core/FolderPackReader.h) with `destFolder` as its prefix; the sink adds, and says
// what stays on disk:
//   a code met up to the name's checks (FP_ERR_READ, FP_ERR_CREATE for a `destFolder` ending in
//   a lead byte, FP_ERR_NAME, FP_ERR_LIMIT): nothing created;
//   (start report)
//   FP_ERR_CREATE  a folder on the way below `destFolder`, or the target itself, is a link (a
//                  reparse point): nothing created, nothing written through it;
//   (the missing folders of the path are made)
//   FP_ERR_EXISTS  the target exists and there is no `overwrite` callback or it did not return 6:
//                  the existing file is untouched;
//   (the old file's read-only bit is cleared and the file deleted)
//   FP_ERR_CREATE  the file cannot be created (also when the target is a folder);
//   a code met among the chunks (FP_ERR_NOMEM, FP_ERR_READ, FP_ERR_LIMIT, FP_ERR_WRITE with the
//   short writes of WriteFile too, FP_ERR_FORMAT, FP_ERR_SIZE): the new file stays, closed, with
//   the data written before the failure (empty for FP_ERR_NOMEM).
// On FP_OK the times are set on the open file, the file is closed, then its stored attributes are
// set and the final report made.
// A FLDR entry makes the folder and every missing one above it, clears its read-only bit, sets
// its times and its stored attributes, then reads the end tag. FP_ERR_READ, FP_ERR_NAME,
// FP_ERR_LIMIT as for a file (nothing created; the folder itself, with or without a final
// backslash, must be shorter than 256 bytes too); FP_ERR_CREATE, nothing created, when the folder
// or one on its way below `destFolder` is a link; FP_ERR_CREATE when something other than a
// folder stands in its place or the folder cannot be opened for its times; then FP_ERR_READ or
// FP_ERR_FORMAT (end tag not "FEND") with the folder already stamped. It makes no byte-progress
// call.
int ReadFolderPack(const char* destFolder, HANDLE archive, FpOverwriteCallback overwrite,
                   FpProgressCallback progress);

// Inflates one compressed chunk (`dataLength` bytes at `data`, nothing beyond them read) through
// the process-wide stream, as the walk does for every compressed chunk, and writes the result to
// `output`. FP_OK when the stream verifies and yields exactly `uncompressedLength` bytes;
// FP_ERR_WRITE when it does not, or the bytes cannot be written. Up to 8 MiB - 1 bytes of output
// are written only after the whole chunk has been checked. The stream is set up for the call when
// no walk is running, and ended again.
int InflateChunk(const unsigned char* data, DWORD dataLength, DWORD uncompressedLength,
                 HANDLE output);
