// Folder operations on narrow paths in the ANSI code page.
//
// None of these functions logs or shows anything; each reports only through its result (and
// DeleteTree through the last error).
// IsDirectory, and MakePath through it, changes the process's current drive and folder while
// it runs and restores both before returning: nothing that depends on the current folder may
// run beside them on another thread.
#pragma once

// Working storage of the folder functions; a path must be shorter than this.
#define FOLDER_PATH_SIZE 4096
// A leading part of a path given to MakePath must be shorter than this.
#define FOLDER_PART_SIZE 256

// IsDirectory returns 1 when `path` names an existing folder that the process can make its
// current folder, and 0 otherwise: for a file, a missing path, a folder that cannot be
// entered, a path on a missing drive, a null path, a path ending in a lead byte, or a path of
// FOLDER_PATH_SIZE bytes or more. The current drive and folder are the same after the call as
// before it, also when it fails. Since the test enters the folder, a folder path of 260 bytes or
// more gives 0.
int IsDirectory(const char* path);

// IsLink returns 1 when `path` (with or without a final separator) names something that is a
// reparse point (a symbolic link, a junction, a mount point), and 0 otherwise: for a plain file
// or folder, a missing path, a null path, a path ending in a lead byte, or a path of
// FOLDER_PATH_SIZE bytes or more. Only the last component is examined.
int IsLink(const char* path);

// MakePath creates every missing folder of `path`, outermost first. Each leading part (the
// text before a separator, other than a separator at the very start) that is not a folder is
// created; a failure there is passed over. Returns 1 when the whole path is a folder
// afterwards (it already was one, or it was created now), and 0 when it could not be made.
// Returns 0 and creates nothing when `path` is null, FOLDER_PATH_SIZE bytes or longer, or has
// a leading part of FOLDER_PART_SIZE bytes or more. Folders created before a failure stay.
// Paths must be absolute (drive letter or UNC).
int MakePath(const char* path);

// DeleteTree removes `folder` with all its contents, files before their folder, by one pass of
// the walk in sys/TreeWalk.h: from the folder that holds it on, every entry is opened relative
// to its folder's handle by its own UTF-16 name and checked through that handle, so a name with
// no code page 932 form, a path of any length and a link put in an entry's place while the call
// runs are all met; folders are entered down to TREE_WALK_MAX_DEPTH levels. Every entry is
// removed except the listing's own "." and "..": folders whose names begin with a dot
// (".cache") go like any other.
//
// Links. Windows opens a link as itself: a link inside the tree (to a folder or to a file) is
// removed as a link, and what it points at is never entered nor touched. Wine 8 opens what a
// host's symbolic link points at: a host link to a folder is then left in place
// (ERROR_STOPPED_ON_SYMLINK) with its target whole; a host link to a file is shown as that file,
// and removing it removes the file it points at while the link stays.
//
// Read-only entries. Where the system takes the POSIX disposition (Windows 10 1809 and later on
// NTFS), a name goes at once, read-only or not, and the attributes other names of the file share
// are not touched. Where it does not (Wine 8, FAT, ReFS, older Windows), a read-only bit is
// cleared on the entry's handle and set again when the deletion fails and, for a file with other
// names (hard links), before the handle closes, so only the name goes; the name goes when the
// last handle to it closes.
//
// Returns 1 when the listing of the folder ran to its end, whether or not the folder itself
// could be removed, and 0 when:
//   - `folder` is null, 3 bytes or shorter (a drive root such as C:\ is never emptied),
//     FOLDER_PATH_SIZE bytes or longer, or ends in a lead byte (ERROR_INVALID_PARAMETER), or
//     names a link (ERROR_STOPPED_ON_SYMLINK) or a file (ERROR_DIRECTORY): nothing is touched;
//   - the folder does not exist (ERROR_PATH_NOT_FOUND), is marked for deletion already
//     (ERROR_DELETE_PENDING), or cannot be opened or listed;
//   - a sub-folder cannot be opened or listed, or lies deeper than TREE_WALK_MAX_DEPTH
//     (ERROR_FILENAME_EXCED_RANGE: it is not entered): the call stops there, whatever
//     `continueOnError`;
//   - `continueOnError` is 0 and a file (or a link) cannot be deleted: the call stops there.
// With `continueOnError` non-zero, files that cannot be deleted are passed over and left in place
// with their folders. An entry that is gone before it can be deleted (deleted, or marked for
// deletion, by someone else) counts as deleted. Entries deleted before a failure stay deleted;
// one that could not be deleted stays with its attributes as they were.
//
// When it returns, GetLastError() gives the first failure that is not a brief hold, else the
// first brief hold, or 0 (ERROR_SUCCESS) when nothing failed. Brief holds are what a scanner or
// an indexer holding a file gives for a while: ERROR_SHARING_VIOLATION (a file open without delete
// sharing), ERROR_ACCESS_DENIED, ERROR_DIR_NOT_EMPTY (a folder that keeps a name marked for
// deletion that someone still holds open, or something new). Other failures: those above, an
// entry listed as a link that the system opens as something else or an entry replaced between its
// listing and its opening (ERROR_STOPPED_ON_SYMLINK: left alone), ERROR_NOT_ENOUGH_MEMORY. A
// folder that keeps something that could not be deleted is not tried, so it adds no error of its
// own.
int DeleteTree(const char* folder, int continueOnError);
