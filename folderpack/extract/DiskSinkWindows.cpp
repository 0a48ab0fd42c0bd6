#include "folderpack/extract/DiskSinkWindows.h"

#include <mbstring.h>
#include <string.h>

#include "folderpack/core/EntryName.h"
#include "sys/Folder.h"
#include "sys/LongPath.h"

namespace {

FILETIME ToFileTime(uint64_t value) {
    FILETIME time;
    time.dwLowDateTime = DWORD(value);
    time.dwHighDateTime = DWORD(value >> 32);
    return time;
}

int IsReparsePoint(const char* path) {
    DWORD attributes = LongGetFileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// 1 when a folder on the entry's way below the destination, or the entry's own target, exists
// as a link: whatever went through it would land outside the destination. The walk stops at
// the first part that does not exist, since nothing below it can.
int CrossesLink(const FpEntry& entry) {
    char path[FP_PATH_BUFFER_SIZE];
    size_t length = strlen(entry.path); // the reader keeps paths this short
    memcpy(path, entry.path, length + 1);
    size_t end = length;
    for (size_t i = static_cast<size_t>(entry.name - entry.path); i < length;
         i += FpCharLength(path + i)) {
        if (path[i] != '\\' && path[i] != '/')
            continue;
        if (i + 1 == length) {
            end = i; // a folder's final separator: the target is the name without it
            break;
        }
        char separator = path[i];
        path[i] = '\0';
        int missing = LongGetFileAttributes(path) == INVALID_FILE_ATTRIBUTES;
        int link = !missing && IsReparsePoint(path);
        path[i] = separator;
        if (link)
            return 1;
        if (missing)
            return 0;
    }
    path[end] = '\0';
    return IsReparsePoint(path);
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

void FpDiskSinkWindows::Report(uint64_t done, uint64_t total) {
    if (m_listener)
        m_listener->FileProgress(done, total);
}

void FpDiskSinkWindows::EntryDone(int32_t index, int32_t count) {
    if (m_listener)
        m_listener->EntryDone(index, count);
}

int FpDiskSinkWindows::BeginFile(const FpEntry& entry) {
    Report(0, entry.size);
    if (CrossesLink(entry))
        return FP_ERR_CREATE;

    // The folder part: the path cut directly after its last backslash.
    char folder[FP_PATH_BUFFER_SIZE];
    memcpy(folder, entry.path, strlen(entry.path) + 1); // the reader keeps paths this short
    unsigned char* last = _mbsrchr(reinterpret_cast<unsigned char*>(folder), '\\');
    if (last) {
        last[1] = 0;
        MakePath(folder);
    }

    if (LongGetFileAttributes(entry.path) != INVALID_FILE_ATTRIBUTES) {
        if (!m_overwrite && !(m_listener && m_listener->Replace(entry.path)))
            return FP_ERR_EXISTS;
    }
    DWORD attributes = LongGetFileAttributes(entry.path);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        LongSetFileAttributes(entry.path, attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    LongDeleteFile(entry.path);

    m_output.Reset(LongCreateFile(entry.path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL));
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
    m_output.Close();
    LongSetFileAttributes(entry.path, entry.attributes);
    Report(entry.size, entry.size);
    return FP_OK;
}

void FpDiskSinkWindows::AbortFile(const FpEntry&) {
    m_output.Close();
}

int FpDiskSinkWindows::Folder(const FpEntry& entry) {
    if (CrossesLink(entry))
        return FP_ERR_CREATE;
    MakePath(entry.path);
    // A folder's path stays within MakePath's limit, so the plain calls serve here.
    DWORD attributes = GetFileAttributesA(entry.path);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(entry.path, attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    OwnedHandle folder(LongCreateFile(entry.path, GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, NULL));
    if (!folder.IsValid())
        return FP_ERR_CREATE;
    FILETIME creation = ToFileTime(entry.creationTime);
    FILETIME lastWrite = ToFileTime(entry.lastWriteTime);
    SetFileTime(folder.Get(), &creation, NULL, &lastWrite);
    folder.Close();
    LongSetFileAttributes(entry.path, entry.attributes);
    return FP_OK;
}
