// Removal of a whole folder tree that waits out brief holds on its files, as a virus scanner or
// an indexer takes them on files that were just written.
#pragma once

#include <windows.h>

#ifndef ERROR_STOPPED_ON_SYMLINK
#define ERROR_STOPPED_ON_SYMLINK 681L
#endif

// The pause between two passes of RemoveTree, and how many it makes at most (10 s in all).
#define REMOVE_TREE_WAIT_MS 100
#define REMOVE_TREE_WAITS 100

// RemoveTree removes `folder` (with or without a final separator) and everything in it, never
// following a link: links inside are removed as links. It runs passes of DeleteTree(folder, 1)
// (sys/Folder.h), which clear read-only bits as they go; after a pass whose last failure was
// ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED or ERROR_DIR_NOT_EMPTY it waits
// REMOVE_TREE_WAIT_MS and runs another, up to REMOVE_TREE_WAITS waits for the whole tree.
// Returns:
//   - 0 when the folder is gone after a pass (its attributes read back as missing), also when
//     there was no folder at all;
//   - that last failure (one of the three) when the waits are used up;
//   - ERROR_INVALID_PARAMETER when `folder` is null, 3 bytes or shorter, FOLDER_PATH_SIZE bytes
//     or longer, or ends in a lead byte: nothing is touched;
//   - ERROR_STOPPED_ON_SYMLINK when `folder` itself is a link (IsLink, sys/Folder.h), and
//     ERROR_DIRECTORY when it names a file, both checked before every pass: neither the link,
//     nor what it points at, nor the file is touched;
//   - at once, any other error a pass ends with: the last failure DeleteTree reports (such as
//     ERROR_FILENAME_EXCED_RANGE for a path too long for it), or, when it reports none, the
//     error of reading the folder's attributes back (ERROR_ALREADY_EXISTS when a folder of that
//     name is there again).
// After any other result, what the passes did not remove stays on disk (all of it when a check
// above refused the first pass): each file or link that could not be deleted, with its
// attributes as they were, and the folders holding it. A sub-folder that cannot be listed ends
// a pass, and what its folders list after it stays too.
DWORD RemoveTree(const char* folder);

// SetRemoveTreeWait makes RemoveTree wait through `wait`, called with the milliseconds to wait,
// instead of Sleep; null restores Sleep. For tests. Process-wide: not to be called while
// RemoveTree runs on another thread.
void SetRemoveTreeWait(void (*wait)(DWORD milliseconds));
