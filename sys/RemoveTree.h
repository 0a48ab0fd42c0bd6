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
// following a link, by passes of the walk DeleteTree(folder, 1) makes (sys/Folder.h,
// sys/TreeWalk.h): any name, any path length, read-only bits and hard links as DeleteTree says.
// After a pass in which some failure was a brief hold (ERROR_SHARING_VIOLATION,
// ERROR_ACCESS_DENIED or ERROR_DIR_NOT_EMPTY, as a scanner or an indexer holding a file gives),
// or after which the folder, marked for deletion, keeps its name because another handle holds it,
// it waits REMOVE_TREE_WAIT_MS and runs another, up to REMOVE_TREE_WAITS waits for the whole
// tree. Returns:
//   - 0 when the folder is gone after a pass, also when there was no folder at all;
//   - ERROR_INVALID_PARAMETER when `folder` is null, 3 bytes or shorter, FOLDER_PATH_SIZE bytes
//     or longer, or ends in a lead byte: nothing is touched;
//   - ERROR_STOPPED_ON_SYMLINK when `folder` itself is a link, and ERROR_DIRECTORY when it names
//     a file, both checked in every pass: neither the link, nor what it points at, nor the file
//     is touched;
//   - when the waits are used up, or at once after a pass that gives no reason to wait: that
//     pass's first failure that is not a brief hold (such as ERROR_STOPPED_ON_SYMLINK for a link
//     inside that the system cannot remove as a link, or ERROR_FILENAME_EXCED_RANGE for folders
//     deeper than TREE_WALK_MAX_DEPTH), else its first brief hold, else ERROR_DELETE_PENDING
//     when the folder keeps its name for another handle, else ERROR_ALREADY_EXISTS (a folder of
//     that name is there again).
// After any other result, what the passes did not remove stays on disk (all of it when a check
// above refused the first pass): each file or link that could not be deleted, with its
// attributes as they were, and the folders holding it. A sub-folder that cannot be opened or
// listed ends a pass, and what its folders list after it stays too.
DWORD RemoveTree(const char* folder);

// SetRemoveTreeWait makes RemoveTree wait through `wait`, called with the milliseconds to wait,
// instead of Sleep; null restores Sleep. For tests. Process-wide: not to be called while
// RemoveTree runs on another thread.
void SetRemoveTreeWait(void (*wait)(DWORD milliseconds));
