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

// DeleteTree removes `folder` with all its contents, files before their folder. Every entry is
// removed except the listing's own "." and "..": folders whose names begin with a dot (".cache")
// are emptied and removed like any other. A folder that is a link (a reparse point) is removed as a
// link and the folder it points at is not entered; a file link is removed itself, never what it
// points at (Wine shows a host's link to a file as that file, and removes the file). Each file is
// removed through one handle; a read-only bit is cleared on that handle and, for a file with other
// names (hard links), set again before the handle closes, so only the name goes and the other names
// keep their attributes. A read-only folder has its bit cleared for its removal and set again when
// the removal fails.
//
// Returns 1 when the listing of the folder ran to its end, whether or not the folder itself
// could be removed, and 0 when:
//   - `folder` is null, 3 bytes or shorter (a drive root such as C:\ is never emptied),
//     FOLDER_PATH_SIZE bytes or longer, or ends in a lead byte: nothing is touched;
//   - the folder cannot be listed: it does not exist, or its path with "\*" is longer than the
//     ANSI listing takes (MAX_PATH), though files inside it may have longer paths;
//   - a sub-folder's removal returned 0: the call stops there, whatever `continueOnError`;
//   - `continueOnError` is 0 and a file (or a link) cannot be deleted: the call stops there.
// With `continueOnError` non-zero, files that cannot be deleted are passed over and left
// in place with their folders. An entry whose path would not fit in FOLDER_PATH_SIZE bytes
// counts as one that cannot be deleted. Entries deleted before a failure stay deleted; one
// that could not be deleted stays with its attributes as they were.
//
// When it returns, GetLastError() gives the system error of the last step that failed on its own
// account, or 0 (ERROR_SUCCESS) when none failed: a file or link that could not be deleted
// (ERROR_SHARING_VIOLATION for one held open, say), an entry whose path does not fit
// (ERROR_FILENAME_EXCED_RANGE), a folder that could not be listed (ERROR_PATH_NOT_FOUND for a
// missing one), or a folder that could not be removed although everything listed in it was deleted
// (ERROR_DIR_NOT_EMPTY when a name marked for deletion is still open with delete sharing elsewhere,
// or something new appeared in it). A folder that keeps something that could not be deleted is not
// tried, so it adds no error of its own. A path refused as above gives ERROR_INVALID_PARAMETER.
int DeleteTree(const char* folder, int continueOnError);
