#include "folderpack/extract/DiskSinkPosix.h"

#include "folderpack/core/FileTime.h"
#include "folderpack/core/NameCodec.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// FILETIME as a Unix time.
// Stamps the open `file` with the last-write time `fileTime` (a FILETIME value), its access time
// untouched; a failure leaves the times as they were.
void SetWriteTime(int file, uint64_t fileTime) {
    int64_t seconds;
    uint32_t nanoseconds;
    FpUnixFromFileTime(fileTime, &seconds, &nanoseconds);
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = time_t(seconds);
    times[1].tv_nsec = long(nanoseconds);
    futimens(file, times);
}

int MakeFolders(const std::string& path) {
    std::string part;
    for (size_t i = 0; i <= path.size(); i++) {
        if (i == path.size() || path[i] == '/') {
            if (!part.empty() && mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
                return 0;
        }
        if (i < path.size())
            part += path[i];
    }
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder `name` inside `parent`, made when missing; never a symbolic link.
int OpenChild(int parent, const char* name) {
    int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT && mkdirat(parent, name, 0755) == 0)
        fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return fd;
}

} // namespace

FpDiskSinkPosix::FpDiskSinkPosix(const char* destFolder, int overwrite)
    : m_dest(destFolder), m_overwrite(overwrite) {}

FpDiskSinkPosix::~FpDiskSinkPosix() {
    if (m_file >= 0)
        close(m_file);
    if (m_cachedFd >= 0)
        close(m_cachedFd);
    if (m_root >= 0)
        close(m_root);
}

int FpDiskSinkPosix::OpenRoot() {
    if (m_root >= 0)
        return FP_OK;
    std::string dest = m_dest.empty() ? "." : m_dest;
    if (!MakeFolders(dest))
        return FP_ERR_CREATE;
    m_root = open(dest.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return m_root >= 0 ? FP_OK : FP_ERR_CREATE;
}

int FpDiskSinkPosix::SplitName(const FpEntry& entry) {
    std::string utf8;
    if (!FpCp932ToUtf8(std::string(entry.name), utf8))
        return FP_ERR_NAME;
    m_parts.clear();
    std::string part;
    for (size_t i = 0; i <= utf8.size(); i++) {
        if (i == utf8.size() || utf8[i] == '/' || utf8[i] == '\\') {
            if (part == "." || part == "..")
                return FP_ERR_NAME; // screened before; kept as a guard for the converted form
            if (!part.empty())
                m_parts.push_back(part);
            part.clear();
        } else {
            part += utf8[i];
        }
    }
    return m_parts.empty() ? FP_ERR_NAME : FP_OK;
}

// The folder made of the first `parts` components, opened (and made) from the destination down.
// The descriptor stays owned by the sink.
int FpDiskSinkPosix::OpenFolder(size_t parts, int* fd) {
    int result = OpenRoot();
    if (result != FP_OK)
        return result;
    std::string path;
    for (size_t i = 0; i < parts; i++)
        path += m_parts[i] + "/";
    if (m_cachedFd >= 0 && path == m_cachedPath) {
        *fd = m_cachedFd;
        return FP_OK;
    }
    if (m_cachedFd >= 0)
        close(m_cachedFd);
    m_cachedFd = -1;
    int current = dup(m_root);
    for (size_t i = 0; i < parts && current >= 0; i++) {
        int next = OpenChild(current, m_parts[i].c_str());
        close(current);
        current = next;
    }
    if (current < 0)
        return FP_ERR_CREATE;
    m_cachedFd = current;
    m_cachedPath = path;
    *fd = current;
    return FP_OK;
}

int FpDiskSinkPosix::BeginFile(const FpEntry& entry) {
    int result = SplitName(entry);
    int parent;
    if (result == FP_OK)
        result = OpenFolder(m_parts.size() - 1, &parent);
    if (result != FP_OK)
        return result;
    const char* leaf = m_parts.back().c_str();
    struct stat st;
    if (fstatat(parent, leaf, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(st.st_mode))
            return FP_ERR_CREATE; // as on Windows: a link is neither replaced nor written through
        if (!m_overwrite)
            return FP_ERR_EXISTS;
        if (S_ISDIR(st.st_mode) || unlinkat(parent, leaf, 0) != 0)
            return FP_ERR_CREATE;
    }
    m_file = openat(parent, leaf, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    return m_file >= 0 ? FP_OK : FP_ERR_CREATE;
}

int FpDiskSinkPosix::Write(const unsigned char* data, uint32_t length) {
    while (length > 0) {
        ssize_t n = write(m_file, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return FP_ERR_WRITE;
        data += n;
        length -= uint32_t(n);
    }
    return FP_OK;
}

int FpDiskSinkPosix::EndFile(const FpEntry& entry) {
    SetWriteTime(m_file, entry.lastWriteTime);
    if (entry.attributes & FP_ATTRIBUTE_READONLY)
        fchmod(m_file, 0444);
    int closed = close(m_file);
    m_file = -1;
    return closed == 0 ? FP_OK : FP_ERR_WRITE;
}

void FpDiskSinkPosix::AbortFile(const FpEntry&) {
    if (m_file >= 0)
        close(m_file);
    m_file = -1;
}

int FpDiskSinkPosix::Folder(const FpEntry& entry) {
    int result = SplitName(entry);
    int folder;
    if (result == FP_OK)
        result = OpenFolder(m_parts.size(), &folder);
    if (result != FP_OK)
        return result;
    SetWriteTime(folder, entry.lastWriteTime);
    return FP_OK;
}
