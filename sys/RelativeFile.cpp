#include "sys/RelativeFile.h"

#include <winternl.h>

#include <stdlib.h>
#include <string.h>

#ifndef FILE_OPEN
#define FILE_OPEN 0x00000001
#endif
#ifndef FILE_DIRECTORY_FILE
#define FILE_DIRECTORY_FILE 0x00000001
#endif
#ifndef FILE_SYNCHRONOUS_IO_NONALERT
#define FILE_SYNCHRONOUS_IO_NONALERT 0x00000020
#endif
#ifndef FILE_OPEN_FOR_BACKUP_INTENT
#define FILE_OPEN_FOR_BACKUP_INTENT 0x00004000
#endif
#ifndef FILE_OPEN_REPARSE_POINT
#define FILE_OPEN_REPARSE_POINT 0x00200000
#endif
#ifndef OBJ_DONT_REPARSE
#define OBJ_DONT_REPARSE 0x00001000L
#endif

namespace {

const NTSTATUS kStatusNoMoreFiles = static_cast<NTSTATUS>(0x80000006L);
const NTSTATUS kStatusInvalidParameter = static_cast<NTSTATUS>(0xC000000DL);
const NTSTATUS kStatusNoSuchFile = static_cast<NTSTATUS>(0xC000000FL);
const NTSTATUS kStatusDeletePending = static_cast<NTSTATUS>(0xC0000056L);

// The file information classes of the native calls used here.
const ULONG kFileBasicInformation = 4;
const ULONG kFileStandardInformation = 5;
const ULONG kFileInternalInformation = 6;
const ULONG kFileDispositionInformation = 13;
const ULONG kFileAttributeTagInformation = 35;
const ULONG kFileIdBothDirectoryInformation = 37;
const ULONG kFileDispositionInformationEx = 64;

const ULONG kDispositionDelete = 0x1;
const ULONG kDispositionPosixSemantics = 0x2;
const ULONG kDispositionIgnoreReadOnly = 0x10;

// The attributes FileBasicInformation can set.
const DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_TEMPORARY |
                                  FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A listing batch: room for some hundred entries of short names, and always for one of the
// longest name (255 units).
const size_t kListingBufferSize = 16384;

typedef NTSTATUS(NTAPI* CreateFileFn)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                      PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
typedef NTSTATUS(NTAPI* QueryDirectoryFn)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID,
                                          ULONG, ULONG, BOOLEAN, PUNICODE_STRING, BOOLEAN);
typedef NTSTATUS(NTAPI* FileInformationFn)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);
typedef ULONG(NTAPI* StatusToErrorFn)(NTSTATUS);

// The native calls, from ntdll (always loaded in a Win32 process): the Win32 layer has no
// handle-relative open, and reports a pending deletion as a mere ERROR_ACCESS_DENIED.
struct NativeCalls {
    CreateFileFn createFile;
    QueryDirectoryFn queryDirectory;
    FileInformationFn queryInformation;
    FileInformationFn setInformation;
    StatusToErrorFn statusToError;
};

template <typename Function> Function Find(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(
                        reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                  : nullptr;
}

NativeCalls LoadNativeCalls() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    NativeCalls calls;
    calls.createFile = Find<CreateFileFn>(ntdll, "NtCreateFile");
    calls.queryDirectory = Find<QueryDirectoryFn>(ntdll, "NtQueryDirectoryFile");
    calls.queryInformation = Find<FileInformationFn>(ntdll, "NtQueryInformationFile");
    calls.setInformation = Find<FileInformationFn>(ntdll, "NtSetInformationFile");
    calls.statusToError = Find<StatusToErrorFn>(ntdll, "RtlNtStatusToDosError");
    if (!calls.createFile || !calls.queryDirectory || !calls.queryInformation ||
        !calls.setInformation || !calls.statusToError)
        memset(&calls, 0, sizeof calls);
    return calls;
}

// The native calls, or null when any is missing (no system this program runs on).
const NativeCalls* Native() {
    static const NativeCalls calls = LoadNativeCalls();
    return calls.createFile ? &calls : nullptr;
}

DWORD ToError(NTSTATUS status) {
    if (status >= 0)
        return ERROR_SUCCESS;
    if (status == kStatusDeletePending)
        return ERROR_DELETE_PENDING;
    return Native()->statusToError(status);
}

DWORD QueryInformation(HANDLE file, void* out, ULONG size, ULONG informationClass) {
    IO_STATUS_BLOCK io;
    return ToError(Native()->queryInformation(file, &io, out, size, informationClass));
}

DWORD SetInformation(HANDLE file, void* in, ULONG size, ULONG informationClass) {
    IO_STATUS_BLOCK io;
    return ToError(Native()->setInformation(file, &io, in, size, informationClass));
}

// Sets the attributes of the open `entry`, its times unchanged (0 means unchanged, as 0
// attributes would: FILE_ATTRIBUTE_NORMAL stands for none).
DWORD SetAttributes(HANDLE entry, DWORD attributes) {
    FILE_BASIC_INFO basic = {};
    basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetInformation(entry, &basic, sizeof basic, kFileBasicInformation);
}

// Whether the open file has names besides the one it was opened by.
int HasOtherNames(HANDLE file) {
    FILE_STANDARD_INFO standard = {};
    return QueryInformation(file, &standard, sizeof standard, kFileStandardInformation) ==
               ERROR_SUCCESS &&
           standard.NumberOfLinks > 1;
}

// The disposition that lets the name live on until the last handle closes, and refuses a
// read-only entry: the bit is cleared first, and set again when the marking fails or when other
// names of the file keep it.
DWORD MarkWhenClosed(HANDLE entry, DWORD attributes) {
    DWORD settable = attributes & kSettableAttributes;
    int readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    int otherNames = readOnly && !(attributes & FILE_ATTRIBUTE_DIRECTORY) && HasOtherNames(entry);
    if (readOnly) {
        DWORD error = SetAttributes(entry, settable & ~FILE_ATTRIBUTE_READONLY);
        if (error)
            return error;
    }
    FILE_DISPOSITION_INFO disposition = {TRUE};
    DWORD error =
        SetInformation(entry, &disposition, sizeof disposition, kFileDispositionInformation);
    if (readOnly && (error || otherNames))
        SetAttributes(entry, settable);
    return error;
}

// Whether the system takes OBJ_DONT_REPARSE; cleared for the process at its first refusal.
volatile LONG g_dontReparse = 1;

} // namespace

DWORD OpenChild(HANDLE folder, const WCHAR* name, size_t length, DWORD access, int asFolder,
                HANDLE* out) {
    *out = INVALID_HANDLE_VALUE;
    if (!Native())
        return ERROR_PROC_NOT_FOUND;
    if (length == 0 || length > 0x7FFF)
        return ERROR_INVALID_NAME;
    UNICODE_STRING text;
    text.Buffer = const_cast<WCHAR*>(name);
    text.Length = static_cast<USHORT>(length * sizeof(WCHAR));
    text.MaximumLength = text.Length;
    ULONG options = FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT |
                    FILE_OPEN_FOR_BACKUP_INTENT | (asFolder ? FILE_DIRECTORY_FILE : 0);
    if (asFolder)
        access |= FILE_LIST_DIRECTORY;
    for (;;) {
        int dontReparse = g_dontReparse != 0;
        OBJECT_ATTRIBUTES object;
        memset(&object, 0, sizeof object);
        object.Length = sizeof object;
        object.RootDirectory = folder;
        object.ObjectName = &text;
        // The name is the listing's own: matched exactly, and nothing in it is reparsed.
        object.Attributes = dontReparse ? OBJ_DONT_REPARSE : 0;
        IO_STATUS_BLOCK io;
        HANDLE handle = INVALID_HANDLE_VALUE;
        NTSTATUS status = Native()->createFile(
            &handle, access | SYNCHRONIZE, &object, &io, NULL, 0,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, options, NULL, 0);
        // Windows before 10 1607 refuses OBJ_DONT_REPARSE; FILE_OPEN_REPARSE_POINT alone keeps
        // the one name it resolves from being followed there.
        if (status == kStatusInvalidParameter && dontReparse) {
            InterlockedExchange(&g_dontReparse, 0);
            continue;
        }
        if (status < 0)
            return ToError(status);
        *out = handle;
        return ERROR_SUCCESS;
    }
}

DWORD QueryEntry(HANDLE entry, DWORD* attributes, LONGLONG* fileId) {
    *attributes = 0;
    *fileId = 0;
    if (!Native())
        return ERROR_PROC_NOT_FOUND;
    FILE_ATTRIBUTE_TAG_INFO tag = {};
    LARGE_INTEGER number = {};
    DWORD error = QueryInformation(entry, &tag, sizeof tag, kFileAttributeTagInformation);
    if (!error)
        error = QueryInformation(entry, &number, sizeof number, kFileInternalInformation);
    if (error)
        return error;
    *attributes = tag.FileAttributes;
    *fileId = number.QuadPart;
    return ERROR_SUCCESS;
}

DWORD MarkForDeletion(HANDLE entry, DWORD attributes) {
    if (!Native())
        return ERROR_PROC_NOT_FOUND;
    ULONG flags = kDispositionDelete | kDispositionPosixSemantics | kDispositionIgnoreReadOnly;
    DWORD error = SetInformation(entry, &flags, sizeof flags, kFileDispositionInformationEx);
    // Refused by Wine 8, by Windows before 10 1809 and by file systems without POSIX deletion
    // (FAT, exFAT, ReFS): the disposition of old.
    if (error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_FUNCTION ||
        error == ERROR_NOT_SUPPORTED)
        return MarkWhenClosed(entry, attributes);
    return error;
}

FolderListing::FolderListing(HANDLE folder, const WCHAR* only, size_t onlyLength)
    : m_folder(folder), m_only(only), m_onlyLength(onlyLength),
      m_buffer(static_cast<unsigned char*>(malloc(kListingBufferSize))), m_filled(0), m_next(0),
      m_started(0), m_done(0), m_error(ERROR_SUCCESS) {
    if (!m_buffer) {
        m_error = ERROR_NOT_ENOUGH_MEMORY;
        m_done = 1;
    } else if (!Native()) {
        m_error = ERROR_PROC_NOT_FOUND;
        m_done = 1;
    } else if (only && (onlyLength == 0 || onlyLength > 0x7FFF)) {
        m_error = ERROR_INVALID_NAME;
        m_done = 1;
    }
}

FolderListing::~FolderListing() {
    free(m_buffer);
}

int FolderListing::Next(FolderEntry* entry) {
    if (m_next >= m_filled) {
        if (m_done)
            return 0;
        UNICODE_STRING mask;
        mask.Buffer = const_cast<WCHAR*>(m_only);
        mask.Length = static_cast<USHORT>(m_onlyLength * sizeof(WCHAR));
        mask.MaximumLength = mask.Length;
        IO_STATUS_BLOCK io;
        NTSTATUS status = Native()->queryDirectory(
            m_folder, NULL, NULL, NULL, &io, m_buffer, static_cast<ULONG>(kListingBufferSize),
            kFileIdBothDirectoryInformation, m_only ? TRUE : FALSE, m_only ? &mask : NULL,
            m_started ? FALSE : TRUE);
        m_started = 1;
        m_next = 0;
        m_filled = 0;
        // One batch is the whole answer for a single name.
        m_done = m_only != NULL;
        if (status == kStatusNoMoreFiles || status == kStatusNoSuchFile) {
            m_done = 1;
            return 0;
        }
        if (status < 0) {
            m_error = ToError(status);
            m_done = 1;
            return 0;
        }
        m_filled = io.Information < kListingBufferSize ? io.Information : kListingBufferSize;
    }
    // Every entry the system wrote lies within the batch it reported, name included.
    const size_t header = offsetof(FILE_ID_BOTH_DIR_INFO, FileName);
    const FILE_ID_BOTH_DIR_INFO* info =
        reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(m_buffer + m_next);
    if (m_filled - m_next < header || info->FileNameLength % sizeof(WCHAR) != 0 ||
        m_filled - m_next - header < info->FileNameLength ||
        info->NextEntryOffset > m_filled - m_next || info->NextEntryOffset % 8 != 0) {
        m_error = ERROR_INVALID_DATA;
        m_done = 1;
        m_next = m_filled;
        return 0;
    }
    entry->name = info->FileName;
    entry->length = info->FileNameLength / sizeof(WCHAR);
    entry->attributes = info->FileAttributes;
    entry->fileId = info->FileId.QuadPart;
    m_next = info->NextEntryOffset ? m_next + info->NextEntryOffset : m_filled;
    return 1;
}
