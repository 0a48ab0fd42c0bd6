#include "sys/TreeWalk.h"

#include <string.h>

#include <memory>
#include <new>

#include "sys/Folder.h"
#include "sys/Handle.h"
#include "sys/LongPath.h"
#include "sys/Path.h"
#include "sys/RelativeFile.h"

#ifndef ERROR_STOPPED_ON_SYMLINK
#define ERROR_STOPPED_ON_SYMLINK 681L
#endif

namespace {

void (*g_hook)(const WCHAR*, size_t) = nullptr;

int IsBriefHold(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_DIR_NOT_EMPTY;
}

// Whether an entry that gave `error` is gone as far as the walk is concerned: no longer there,
// or marked for deletion by someone (its name goes when they close it).
int IsGone(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_DELETE_PENDING;
}

int IsLinkAttributes(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

int IsFolderAttributes(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLinkAttributes(attributes);
}

int IsDotEntry(const FolderEntry& entry) {
    return (entry.length == 1 && entry.name[0] == L'.') ||
           (entry.length == 2 && entry.name[0] == L'.' && entry.name[1] == L'.');
}

// One pass: its options and what it records.
struct Walk {
    int continueOnError;
    TreeWalkResult* result;

    void Fail(DWORD error) {
        if (!result->firstError)
            result->firstError = error;
        if (IsBriefHold(error))
            result->brief = 1;
        else if (!result->firstLasting)
            result->firstLasting = error;
    }
};

// Checks the entry opened as `handle` against the listing's `entry` and reads its attributes:
// 0 when it is what was listed, or a link opened as itself; ERROR_STOPPED_ON_SYMLINK when it is
// a listed link that the system followed, or another file than the one listed; else the error
// of reading it.
DWORD CheckOpened(HANDLE handle, const FolderEntry& entry, DWORD* attributes) {
    LONGLONG fileId = 0;
    DWORD error = QueryEntry(handle, attributes, &fileId);
    if (error)
        return error;
    if (IsLinkAttributes(*attributes))
        return ERROR_SUCCESS;
    // Wine 8 opens what a host's symbolic link points at, reparse flag dropped.
    if (IsLinkAttributes(entry.attributes))
        return ERROR_STOPPED_ON_SYMLINK;
    // Replaced between the listing and the opening, say by a link the system followed. File
    // systems without file numbers give 0 in one place or the other.
    if (entry.fileId && fileId && entry.fileId != fileId)
        return ERROR_STOPPED_ON_SYMLINK;
    return ERROR_SUCCESS;
}

int EmptyFolder(Walk* walk, HANDLE folder, int depth, int* left);

// Removes the entry `entry` of the folder open as `folder`, at `depth`. Returns 1 to go on and
// 0 when the pass stops; `*kept` is 1 when the entry stays.
int RemoveEntry(Walk* walk, HANDLE folder, const FolderEntry& entry, int depth, int* kept) {
    *kept = 1;
    if (g_hook)
        g_hook(entry.name, entry.length);
    int listedFolder = IsFolderAttributes(entry.attributes);
    OwnedHandle handle;
    DWORD attributes = 0;
    DWORD error = OpenChild(folder, entry.name, entry.length, RELATIVE_ENTRY_ACCESS, listedFolder,
                            handle.Out());
    if (IsGone(error)) {
        *kept = 0;
        return 1;
    }
    if (error && listedFolder) {
        walk->Fail(error);
        return 0;
    }
    if (!error)
        error = CheckOpened(handle.Get(), entry, &attributes);
    if (error) {
        walk->Fail(error);
        return walk->continueOnError;
    }
    if (listedFolder && IsFolderAttributes(attributes)) {
        if (depth > TREE_WALK_MAX_DEPTH) {
            walk->Fail(ERROR_FILENAME_EXCED_RANGE);
            return 0;
        }
        int left = 0;
        if (!EmptyFolder(walk, handle.Get(), depth + 1, &left))
            return 0;
        if (left)
            return 1;
    }
    error = MarkForDeletion(handle.Get(), attributes);
    if (error && !IsGone(error)) {
        walk->Fail(error);
        // A folder that keeps a name is no reason to stop.
        return listedFolder ? 1 : walk->continueOnError;
    }
    *kept = 0;
    return 1;
}

// Removes every entry of the folder open as `folder`, whose entries lie at `depth`. Returns 1
// when its listing ran to its end and 0 when the pass stops; `*left` is 1 when something in it
// stays.
int EmptyFolder(Walk* walk, HANDLE folder, int depth, int* left) {
    *left = 0;
    FolderListing listing(folder);
    FolderEntry entry;
    while (listing.Next(&entry)) {
        if (IsDotEntry(entry))
            continue;
        int kept = 0;
        if (!RemoveEntry(walk, folder, entry, depth, &kept))
            return 0;
        *left |= kept;
    }
    if (listing.Error()) {
        walk->Fail(listing.Error());
        return 0;
    }
    return 1;
}

// A UTF-16 text on the heap; null when it could not be allocated.
typedef std::unique_ptr<WCHAR[]> WideText;

WideText AllocateText(size_t units) {
    return WideText(new (std::nothrow) WCHAR[units]);
}

// The full UTF-16 form of the narrow `folder`, without final separators (a root keeps its own),
// in `*full`, of `*length` units. Returns 0 or the error.
DWORD FullWidePath(const char* folder, WideText* full, size_t* length) {
    int units = MultiByteToWideChar(CP_ACP, 0, folder, -1, NULL, 0);
    WideText wide = units > 0 ? AllocateText(static_cast<size_t>(units)) : WideText();
    if (!wide)
        return units > 0 ? ERROR_NOT_ENOUGH_MEMORY : GetLastError();
    if (!MultiByteToWideChar(CP_ACP, 0, folder, -1, wide.get(), units))
        return GetLastError();
    DWORD size = GetFullPathNameW(wide.get(), 0, NULL, NULL);
    *full = size ? AllocateText(size) : WideText();
    if (!*full)
        return size ? ERROR_NOT_ENOUGH_MEMORY : GetLastError();
    DWORD written = GetFullPathNameW(wide.get(), size, full->get(), NULL);
    if (written == 0 || written >= size)
        return written ? ERROR_FILENAME_EXCED_RANGE : GetLastError();
    *length = written;
    while (*length > 3 && (*full)[*length - 1] == L'\\')
        (*full)[--*length] = L'\0';
    return ERROR_SUCCESS;
}

// Opens, for listing, the folder that holds the top folder `full` (`length` units), and gives
// the top folder's name: `*name` points into `full`, which it cuts after the separator.
// Returns 0 or the error; ERROR_INVALID_PARAMETER when the path has no name to remove (a root)
// or a name with wildcard characters, which no folder has.
DWORD OpenTopParent(WCHAR* full, size_t length, OwnedHandle* parent, const WCHAR** name,
                    size_t* nameLength) {
    size_t cut = length;
    while (cut > 0 && full[cut - 1] != L'\\')
        --cut;
    *name = full + cut;
    *nameLength = length - cut;
    if (*nameLength == 0 || cut == 0 || wcscspn(*name, L"*?<>\"") != *nameLength)
        return ERROR_INVALID_PARAMETER;
    WCHAR separator = full[cut];
    full[cut] = L'\0';
    // Room for the longest prefix, \\?\UNC.
    WideText extended = AllocateText(cut + 8);
    size_t built = extended ? BuildExtendedPathW(full, extended.get(), cut + 8) : 0;
    full[cut] = separator;
    if (!extended)
        return ERROR_NOT_ENOUGH_MEMORY;
    if (!built)
        return ERROR_INVALID_PARAMETER;
    parent->Reset(CreateFileW(extended.get(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL));
    return parent->IsValid() ? ERROR_SUCCESS : GetLastError();
}

// Ends the pass before anything is touched, with `error`.
void Refuse(Walk* walk, DWORD error) {
    walk->Fail(error);
    walk->result->refused = 1;
}

// What became of the top folder `entry` of the folder open as `parent` after the pass, in which
// it was `marked` for deletion or not. Where the name does not go at once, a marked folder that
// another handle holds keeps it until that handle closes.
int ReadBackTop(HANDLE parent, const FolderEntry& entry, int marked) {
    OwnedHandle readBack;
    DWORD error = OpenChild(parent, entry.name, entry.length, FILE_READ_ATTRIBUTES | SYNCHRONIZE, 0,
                            readBack.Out());
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return TREE_TOP_GONE;
    return error == ERROR_DELETE_PENDING || marked ? TREE_TOP_PENDING : TREE_TOP_PRESENT;
}

// The pass over the top folder `name` (`nameLength` units) in the folder open as `parent`.
void WalkTop(Walk* walk, HANDLE parent, const WCHAR* name, size_t nameLength) {
    TreeWalkResult* result = walk->result;
    FolderListing listing(parent, name, nameLength);
    FolderEntry entry;
    // Without wildcards the mask matches the name itself or its short form only.
    if (!listing.Next(&entry)) {
        walk->Fail(listing.Error() ? listing.Error() : DWORD(ERROR_PATH_NOT_FOUND));
        if (!listing.Error())
            result->top = TREE_TOP_GONE;
        return;
    }
    if (IsLinkAttributes(entry.attributes))
        return Refuse(walk, ERROR_STOPPED_ON_SYMLINK);
    if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Refuse(walk, ERROR_DIRECTORY);
    OwnedHandle top;
    DWORD error = OpenChild(parent, entry.name, entry.length, RELATIVE_ENTRY_ACCESS, 1, top.Out());
    if (IsGone(error)) {
        int pending = error == ERROR_DELETE_PENDING;
        walk->Fail(pending ? ERROR_DELETE_PENDING : ERROR_PATH_NOT_FOUND);
        result->top = pending ? TREE_TOP_PENDING : TREE_TOP_GONE;
        return;
    }
    DWORD attributes = 0;
    if (!error)
        error = CheckOpened(top.Get(), entry, &attributes);
    // A link in the folder's place, opened as itself (Windows).
    if (!error && IsLinkAttributes(attributes))
        error = ERROR_STOPPED_ON_SYMLINK;
    if (error == ERROR_STOPPED_ON_SYMLINK)
        return Refuse(walk, error);
    if (error) {
        walk->Fail(error);
        return;
    }
    int left = 0;
    result->listed = EmptyFolder(walk, top.Get(), 1, &left);
    int marked = 0;
    if (result->listed && !left) {
        error = MarkForDeletion(top.Get(), attributes);
        if (error && !IsGone(error))
            walk->Fail(error);
        marked = !error;
    }
    top.Close();
    result->top = ReadBackTop(parent, entry, marked);
}

} // namespace

void WalkTree(const char* folder, int continueOnError, TreeWalkResult* result) {
    memset(result, 0, sizeof *result);
    result->top = TREE_TOP_PRESENT;
    Walk walk = {continueOnError, result};
    size_t narrowLength = folder ? strnlen(folder, FOLDER_PATH_SIZE) : 0;
    if (narrowLength <= 3 || narrowLength >= FOLDER_PATH_SIZE || EndsInLeadByte(folder))
        return Refuse(&walk, ERROR_INVALID_PARAMETER);
    WideText full;
    size_t length = 0;
    OwnedHandle parent;
    const WCHAR* name = NULL;
    size_t nameLength = 0;
    DWORD error = FullWidePath(folder, &full, &length);
    if (!error)
        error = OpenTopParent(full.get(), length, &parent, &name, &nameLength);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        walk.Fail(ERROR_PATH_NOT_FOUND);
        result->top = TREE_TOP_GONE;
        return;
    }
    if (error == ERROR_INVALID_PARAMETER)
        return Refuse(&walk, error);
    if (error) {
        walk.Fail(error);
        return;
    }
    WalkTop(&walk, parent.Get(), name, nameLength);
}

void SetTreeWalkHook(void (*hook)(const WCHAR* name, size_t length)) {
    g_hook = hook;
}
