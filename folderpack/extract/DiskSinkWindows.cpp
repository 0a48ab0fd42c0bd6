#include "folderpack/extract/DiskSinkWindows.h"

#include <string.h>

#include "folderpack/core/EntryName.h"
#include "sys/Folder.h"
#include "sys/LongPath.h"

#ifndef ERROR_STOPPED_ON_SYMLINK
#define ERROR_STOPPED_ON_SYMLINK 681L
#endif

namespace {

FILETIME ToFileTime(uint64_t value) {
    FILETIME time;
    time.dwLowDateTime = DWORD(value);
    time.dwHighDateTime = DWORD(value >> 32);
    return time;
}

int IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// What stands at a folder's path once MakeOrCheck is done with it.
enum FolderState { FOLDER, LINK, NOT_A_FOLDER };

// Makes the folder `path` when nothing is there, else looks at what is: a link (a reparse point,
// never entered), a folder, or something else (a file, or nothing that could be made).
FolderState MakeOrCheck(const char* path) {
    if (LongCreateDirectory(path, NULL))
        return FOLDER;
    DWORD attributes = LongGetFileAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return NOT_A_FOLDER;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return LINK;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FOLDER : NOT_A_FOLDER;
}

// `folder` held open for attributes only, which stands in the way of nobody's reading or writing,
// only of a rename or a deletion (they need DELETE). INVALID_HANDLE_VALUE when it cannot be
// held (someone holds it for deletion); ERROR_STOPPED_ON_SYMLINK as the last error with
// INVALID_HANDLE_VALUE when what opens is a link or no folder after all.
HANDLE HoldFolder(const char* folder) {
    HANDLE held = LongCreateFile(folder, FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (held == INVALID_HANDLE_VALUE || held == NULL)
        return INVALID_HANDLE_VALUE;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(held, &info) &&
        ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
         !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))) {
        CloseHandle(held);
        SetLastError(ERROR_STOPPED_ON_SYMLINK);
        return INVALID_HANDLE_VALUE;
    }
    return held;
}

} // namespace

int FpHandleOutput::Write(const unsigned char* data, uint32_t length) {
    DWORD written = 0;
    if (!WriteFile(m_file, data, length, &written, NULL) || written != length)
        return FP_ERR_WRITE;
    return FP_OK;
}

int FpHandleInput::Read(void* buffer, uint32_t length) {
    DWORD read = 0;
    if (!ReadFile(m_archive, buffer, length, &read, NULL) || read != length)
        return FP_ERR_READ;
    return FP_OK;
}

int FpReadAheadInput::Read(void* buffer, uint32_t length) {
    unsigned char* out = static_cast<unsigned char*>(buffer);
    uint32_t buffered = m_end - m_start;
    uint32_t taken = length < buffered ? length : buffered;
    memcpy(out, m_block + m_start, taken);
    m_start += taken;
    if (taken == length)
        return FP_OK;
    out += taken;
    length -= taken;
    m_start = m_end = 0;
    if (length >= m_capacity)
        return FpHandleInput(m_archive).Read(out, length);
    while (m_end < length) {
        DWORD read = 0;
        if (!ReadFile(m_archive, m_block + m_end, m_capacity - m_end, &read, NULL) || read == 0)
            return FP_ERR_READ;
        m_end += read;
    }
    memcpy(out, m_block, length);
    m_start = length;
    return FP_OK;
}

void FpDiskSinkWindows::Report(uint64_t done, uint64_t total) {
    if (m_listener)
        m_listener->FileProgress(done, total);
}

void FpDiskSinkWindows::EntryDone(int32_t index, int32_t count) {
    if (m_listener)
        m_listener->EntryDone(index, count);
}

// The entry's target in m_path: the reader's path, or the root and the name. Null when it would
// not fit.
char* FpDiskSinkWindows::TargetPath(const FpEntry& entry, size_t* nameStart) {
    const char* prefix = m_root ? m_root : entry.path;
    size_t prefixLength = m_root ? strlen(m_root) : size_t(entry.name - entry.path);
    size_t nameLength = strlen(entry.name);
    if (prefixLength >= FP_PATH_BUFFER_SIZE || nameLength >= FP_PATH_BUFFER_SIZE)
        return nullptr;
    memcpy(m_path, prefix, prefixLength);
    if (m_root && prefixLength > 0 && !FpEndsWithBackslash(m_root))
        m_path[prefixLength++] = '\\';
    memcpy(m_path + prefixLength, entry.name, nameLength + 1);
    *nameStart = prefixLength;
    return m_path;
}

FpDiskSinkWindows::~FpDiskSinkWindows() {
    for (const HeldFolder& folder : m_held)
        CloseHandle(folder.handle);
}

// `path` up to `end` (a folder just made or checked, not the destination) becomes the deepest
// known folder: the held folders that are not on its way are let go, and it is held itself.
// FP_OK, or FP_ERR_CREATE when what opens there is a link after all. A folder that cannot be
// held stays known without being held, as the destination does then.
int FpDiskSinkWindows::Know(const char* path, size_t end) {
    // A held folder (an ancestor of the old known one) stays when it lies on the new one's way:
    // the same bytes up to its end, where `path` has a separator.
    size_t keep = 0;
    while (keep < m_held.size() && m_held[keep].end < end &&
           memcmp(path, m_known, m_held[keep].end) == 0 && IsSeparator(path[m_held[keep].end]))
        ++keep;
    for (size_t k = keep; k < m_held.size(); ++k)
        CloseHandle(m_held[k].handle);
    m_held.resize(keep);
    memcpy(m_known, path, end);
    m_known[end] = '\0';
    m_knownLength = end;
    SetLastError(0);
    HANDLE held = HoldFolder(m_known);
    if (held == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_STOPPED_ON_SYMLINK ? FP_ERR_CREATE : FP_OK;
    HeldFolder folder = {held, end};
    m_held.push_back(folder);
    return FP_OK;
}

int FpDiskSinkWindows::IsKnown(const char* path, size_t end) const {
    if (end > m_knownLength || memcmp(path, m_known, end) != 0)
        return 0;
    // The same bytes up to `end`, a character boundary of both: m_known[end] is no trail byte.
    return end == m_knownLength || IsSeparator(m_known[end]);
}

// Every folder of `path` from the name (at `nameStart`) up to `end` (a separator or the path's
// end) that is not known yet is made or checked, outermost first; the destination itself is made
// once, by MakePath, with every folder above it. FP_OK when all are folders; FP_ERR_CREATE, before
// anything is made below it, when one is a link; 1 when one is something else or cannot be made
// (what lands below it then fails on its own).
int FpDiskSinkWindows::PrepareFolders(char* path, size_t nameStart, size_t end) {
    if (m_knownLength == 0) {
        char saved = path[nameStart];
        path[nameStart] = '\0';
        if (nameStart > 0)
            MakePath(path);
        memcpy(m_known, path, nameStart);
        m_known[nameStart] = '\0';
        m_knownLength = nameStart;
        path[nameStart] = saved;
        // Held open like the folders below it, for the whole walk; the caller chose it, so a
        // link there is taken as it was before (and not held).
        m_destination.Reset(HoldFolder(m_known));
    }
    int afterSeparator = 1; // a doubled separator ends no folder
    for (size_t i = nameStart; i <= end; i += FpCharLength(path + i)) {
        int boundary = i == end || IsSeparator(path[i]);
        if (boundary && !afterSeparator && !IsKnown(path, i)) {
            char saved = path[i];
            path[i] = '\0';
            FolderState state = MakeOrCheck(path);
            path[i] = saved;
            if (state == LINK)
                return FP_ERR_CREATE;
            if (state == NOT_A_FOLDER)
                return 1;
            if (Know(path, i) != FP_OK)
                return FP_ERR_CREATE;
        }
        afterSeparator = i < end && IsSeparator(path[i]);
        if (i == end)
            break;
    }
    return FP_OK;
}

int FpDiskSinkWindows::BeginFile(const FpEntry& entry) {
    Report(0, entry.size);
    size_t nameStart = 0;
    char* path = TargetPath(entry, &nameStart);
    if (!path)
        return FP_ERR_LIMIT;
    // The folders end at the name's last separator.
    size_t folderEnd = nameStart;
    for (size_t i = nameStart; path[i]; i += FpCharLength(path + i)) {
        if (IsSeparator(path[i]))
            folderEnd = i;
    }
    if (PrepareFolders(path, nameStart, folderEnd) == FP_ERR_CREATE)
        return FP_ERR_CREATE;

    // A new file never replaces anything: whatever is there makes the creation fail.
    m_output.Reset(
        LongCreateFile(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL));
    if (m_output.IsValid())
        return FP_OK;
    DWORD attributes = LongGetFileAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return FP_ERR_CREATE;
    if (!m_overwrite && !(m_listener && m_listener->Replace(path)))
        return FP_ERR_EXISTS;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        LongSetFileAttributes(path, attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    LongDeleteFile(path);
    m_output.Reset(
        LongCreateFile(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
    return m_output.IsValid() ? FP_OK : FP_ERR_CREATE;
}

int FpDiskSinkWindows::Write(const unsigned char* data, uint32_t length) {
    return FpHandleOutput(m_output.Get()).Write(data, length);
}

void FpDiskSinkWindows::ChunkDone(const FpEntry& entry, uint64_t total) {
    Report(total, entry.size);
}

int FpDiskSinkWindows::EndFile(const FpEntry& entry) {
    FILETIME creation = ToFileTime(entry.creationTime);
    FILETIME lastWrite = ToFileTime(entry.lastWriteTime);
    SetFileTime(m_output.Get(), &creation, NULL, &lastWrite);
    // Attributes the new file has already are not set again: that would open it once more.
    FILE_BASIC_INFO basic;
    int already =
        GetFileInformationByHandleEx(m_output.Get(), FileBasicInfo, &basic, sizeof(basic)) &&
        basic.FileAttributes == entry.attributes;
    m_output.Close();
    if (!already)
        LongSetFileAttributes(m_path, entry.attributes);
    Report(entry.size, entry.size);
    return FP_OK;
}

void FpDiskSinkWindows::AbortFile(const FpEntry&) {
    m_output.Close();
}

int FpDiskSinkWindows::Folder(const FpEntry& entry) {
    size_t nameStart = 0;
    char* path = TargetPath(entry, &nameStart);
    if (!path)
        return FP_ERR_LIMIT;
    if (PrepareFolders(path, nameStart, strlen(path)) != FP_OK)
        return FP_ERR_CREATE;
    DWORD attributes = LongGetFileAttributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        LongSetFileAttributes(path, attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    OwnedHandle folder(LongCreateFile(path, GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, NULL));
    if (!folder.IsValid())
        return FP_ERR_CREATE;
    FILETIME creation = ToFileTime(entry.creationTime);
    FILETIME lastWrite = ToFileTime(entry.lastWriteTime);
    SetFileTime(folder.Get(), &creation, NULL, &lastWrite);
    folder.Close();
    LongSetFileAttributes(path, entry.attributes);
    return FP_OK;
}
