// Files and folders reached through open handles: an entry opened relative to its folder's
// handle by its UTF-16 name, a folder listed through its own handle, an entry read and marked
// for deletion through its own. No path string is involved; names are used exactly as listed.
//
// Every function returns 0 (ERROR_SUCCESS) or a system error, as the Win32 calls would report
// it, except that a name already marked for deletion (which those calls report as
// ERROR_ACCESS_DENIED) gives ERROR_DELETE_PENDING.
#pragma once

#include <windows.h>

#include <stddef.h>

// One entry of a folder listing. `name` (not NUL-terminated, `length` UTF-16 units) points into
// the listing's buffer and stays valid until its next call. `fileId` is the file system's number
// of the file, 0 where it gives none.
struct FolderEntry {
    const WCHAR* name;
    size_t length;
    DWORD attributes;
    LONGLONG fileId;
};

// What the walk opens an entry for: to read and change its attributes and to delete it.
#define RELATIVE_ENTRY_ACCESS (DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE)

// OpenChild opens the entry `name` of the folder open as `folder` (a handle with
// FILE_LIST_DIRECTORY or FILE_TRAVERSE access), for `access`, sharing read, write and delete.
// A link at the name is opened itself, never what it points at, where the system can do so
// (Windows can; Wine 8 opens what a host's symbolic link points at); nothing else on the way is
// resolved. With `asFolder` non-zero only a folder is opened (ERROR_DIRECTORY for a file), for
// listing as well. Returns 0 with `*out` holding the handle, or the error with `*out`
// INVALID_HANDLE_VALUE: ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND when the name is gone,
// ERROR_DELETE_PENDING, ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED, ...
DWORD OpenChild(HANDLE folder, const WCHAR* name, size_t length, DWORD access, int asFolder,
                HANDLE* out);

// QueryEntry reads the attributes of the open entry `entry` and its file number (0 where the
// file system gives none). Returns 0 or the error, with both outputs 0 then.
DWORD QueryEntry(HANDLE entry, DWORD* attributes, LONGLONG* fileId);

// MarkForDeletion marks the open entry `entry` (opened with RELATIVE_ENTRY_ACCESS), whose
// attributes are `attributes`, for deletion: a file or a link goes as a name (never what a link
// points at, where the handle is the link's own), a folder only when empty. Where the system
// takes it, the name goes at once, a read-only bit notwithstanding. Elsewhere the name goes when
// the last handle to the entry closes; a read-only bit is then cleared first and set again when
// the marking fails, or when the entry is a file with other names (hard links), which keep the
// attributes all names share. Returns 0 when the entry is marked, or the error with the entry
// and its attributes as before (ERROR_DIR_NOT_EMPTY for a folder that is not empty, ...).
DWORD MarkForDeletion(HANDLE entry, DWORD attributes);

// A listing of the folder open as `folder`, read through that handle a batch at a time into a
// buffer of its own. With `only` (`onlyLength` UTF-16 units, no wildcard characters) it lists
// at most the one entry of that name, compared as the file system compares names.
class FolderListing {
public:
    explicit FolderListing(HANDLE folder, const WCHAR* only = NULL, size_t onlyLength = 0);
    ~FolderListing();
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;

    // 1 with `*entry` set to the next entry ("." and ".." included), 0 at the end of the
    // listing, or when it failed: Error() then says why.
    int Next(FolderEntry* entry);
    // 0 while the listing runs and after its end; the error that ended it otherwise
    // (ERROR_NOT_ENOUGH_MEMORY when the buffer could not be allocated).
    DWORD Error() const { return m_error; }

private:
    HANDLE m_folder;
    const WCHAR* m_only;
    size_t m_onlyLength;
    unsigned char* m_buffer;
    size_t m_filled; // bytes of the batch in the buffer
    size_t m_next;   // offset of the next entry in it, or m_filled when the batch is done
    int m_started;
    int m_done;
    DWORD m_error;
};
