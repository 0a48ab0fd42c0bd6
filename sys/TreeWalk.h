// The one walk that removes a folder tree, for DeleteTree (sys/Folder.h) and RemoveTree
// (sys/RemoveTree.h): a pass over the tree through handles and UTF-16 names, so that no link put
// in a folder's place can redirect it, and any name at any depth (up to TREE_WALK_MAX_DEPTH) is
// reached.
//
// The folder's path is read once, to open the folder that holds it; from there every entry is
// opened relative to its folder's handle by the name the listing gave, without following a link
// (sys/RelativeFile.h), and checked through its handle before anything is done to it:
//   - a link (the handle says reparse point) is removed as a link and never entered;
//   - an entry listed as a link that opens as something else (Wine 8 opens what a host's link
//     points at), or an entry whose file number differs from the listing's (it was replaced
//     since), is left alone: ERROR_STOPPED_ON_SYMLINK;
//   - a folder is listed through its own handle, emptied, then marked for deletion through the
//     same handle; a file is marked through its own.
// Files go before their folder; entries are taken in the order the system lists them.
#pragma once

#include <windows.h>

#include <stddef.h>

// The deepest folder the walk enters: the top folder's own folders lie at depth 1.
#define TREE_WALK_MAX_DEPTH 256

// What became of the top folder, read back after a pass.
#define TREE_TOP_GONE 0    // no such name (never there, or removed)
#define TREE_TOP_PENDING 1 // marked for deletion, the name still held by another handle
#define TREE_TOP_PRESENT 2 // there and not marked

// The outcome of one pass.
struct TreeWalkResult {
    // 1 when the top folder's listing ran to its end; 0 when the pass refused the path (see
    // `refused`), or the top folder or a sub-folder could not be opened or listed, or a file
    // could not be deleted without `continueOnError`: the pass stopped there.
    int listed;
    // 1 when the pass touched nothing because the path was refused (ERROR_INVALID_PARAMETER),
    // or names a link (ERROR_STOPPED_ON_SYMLINK) or a file (ERROR_DIRECTORY).
    int refused;
    // The first failure of the pass, and the first that is not a brief hold; 0 when none.
    DWORD firstError;
    DWORD firstLasting;
    // 1 when some failure was a brief hold: ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED or
    // ERROR_DIR_NOT_EMPTY, which a scanner or an indexer holding a file gives for a while.
    int brief;
    // TREE_TOP_GONE, TREE_TOP_PENDING or TREE_TOP_PRESENT.
    int top;

    // The error to report: the first lasting failure, else the first brief one, else 0.
    DWORD Error() const { return firstLasting ? firstLasting : firstError; }
};

// WalkTree makes one removal pass over `folder` (a narrow path in the ANSI code page, absolute
// or relative to the current folder, with or without a final separator) and fills `*result`.
// A path that is null, 3 bytes or shorter (a drive root such as C:\ is never emptied),
// FOLDER_PATH_SIZE bytes or longer, or ends in a lead byte is refused. A missing folder gives
// `top` TREE_TOP_GONE and ERROR_PATH_NOT_FOUND, one that someone marked for deletion before
// TREE_TOP_PENDING and ERROR_DELETE_PENDING.
//
// Every entry is removed except the listings' own "." and "..". An entry that is gone by the
// time it is opened or marked (not found, or already marked for deletion) counts as removed.
// An entry that cannot be removed is recorded and stays, with its attributes as they were, and
// so do the folders holding it; a folder is not marked while something in it stays, so it adds
// no failure of its own. Without `continueOnError` the pass stops at the first file or link
// that cannot be removed. A sub-folder that cannot be opened or listed, or that lies deeper than
// TREE_WALK_MAX_DEPTH (ERROR_FILENAME_EXCED_RANGE, not entered), stops the pass whatever
// `continueOnError` says. What was removed before a stop stays removed.
void WalkTree(const char* folder, int continueOnError, TreeWalkResult* result);

// SetTreeWalkHook makes the walk call `hook` with the name of every entry it lists (not "." and
// ".."), after the listing and before the entry is opened; null removes it. For tests, which
// change the tree there. Process-wide: not to be called while a walk runs on another thread.
void SetTreeWalkHook(void (*hook)(const WCHAR* name, size_t length));
