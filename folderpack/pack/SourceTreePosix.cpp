#include "folderpack/pack/SourceTree.h"

#include "folderpack/core/FileTime.h"
#include "folderpack/core/FolderPackFormat.h"
#include "folderpack/pack/NameCodec.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class PosixTree : public FpSourceTree {
public:
    explicit PosixTree(const char* root) : m_root(root) {
        if (m_root.empty() || m_root.back() != '/')
            m_root += '/';
    }
    int List(const std::string& relative, std::vector<FpSourceItem>& items,
             std::string& error) override;
    int ReadAt(const std::string& relative, uint64_t offset, void* buffer, uint32_t length,
               std::string& error) override;

private:
    int Describe(const std::string& relative, const char* name, FpSourceItem& item,
                 std::string& error);
    std::string m_root;
};

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// Last-write time, and the birth time where the file system keeps one (else the last-write time).
void ReadTimes(const std::string& path, const struct stat& st, FpSourceItem& item) {
    item.lastWriteTime = FpFileTimeFromUnix(st.st_mtim.tv_sec, uint32_t(st.st_mtim.tv_nsec));
    item.creationTime = item.lastWriteTime;
#ifdef STATX_BTIME
    struct statx sx;
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME))
        item.creationTime = FpFileTimeFromUnix(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec);
#else
    (void)path;
#endif
}

int PosixTree::Describe(const std::string& relative, const char* name, FpSourceItem& item,
                        std::string& error) {
    std::string path = m_root + relative + name;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        error = Quoted(path) + ": " + strerror(errno);
        return FP_ERR_OPEN;
    }
    // A link to a file is packed as the file; a link to a folder could loop and is refused.
    if (S_ISLNK(st.st_mode) && (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))) {
        error = Quoted(path) + ": symbolic link to something other than a file";
        return FP_ERR_OPEN;
    }
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        error = Quoted(path) + ": neither a file nor a folder";
        return FP_ERR_OPEN;
    }
    item.nativeName = name;
    if (!FpUtf8ToCp932(item.nativeName, item.name)) {
        error = Quoted(path) + ": name has no code page 932 form";
        return FP_ERR_NAME;
    }
    item.isFolder = S_ISDIR(st.st_mode);
    item.size = item.isFolder ? 0 : uint64_t(st.st_size);
    ReadTimes(path, st, item);
    return FP_OK;
}

int PosixTree::List(const std::string& relative, std::vector<FpSourceItem>& items,
                    std::string& error) {
    items.clear();
    std::string path = m_root + relative;
    DIR* dir = opendir(path.c_str());
    if (!dir) {
        error = Quoted(path) + ": " + strerror(errno);
        return FP_ERR_OPEN;
    }
    int result = FP_OK;
    errno = 0;
    while (struct dirent* entry = readdir(dir)) {
        if (!strcmp(entry->d_name, ".") || !strcmp(entry->d_name, ".."))
            continue;
        FpSourceItem item;
        result = Describe(relative, entry->d_name, item, error);
        if (result != FP_OK)
            break;
        items.push_back(item);
        errno = 0;
    }
    if (result == FP_OK && errno != 0) {
        error = Quoted(path) + ": " + strerror(errno);
        result = FP_ERR_OPEN;
    }
    closedir(dir);
    return result;
}

int PosixTree::ReadAt(const std::string& relative, uint64_t offset, void* buffer, uint32_t length,
                      std::string& error) {
    std::string path = m_root + relative;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = Quoted(path) + ": " + strerror(errno);
        return FP_ERR_OPEN;
    }
    char* p = static_cast<char*>(buffer);
    uint32_t done = 0;
    int result = FP_OK;
    while (done < length) {
        ssize_t n = pread(fd, p + done, length - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = Quoted(path) + (n < 0 ? ": " + std::string(strerror(errno))
                                          : ": file became shorter while being packed");
            result = FP_ERR_READ;
            break;
        }
        done += uint32_t(n);
    }
    close(fd);
    return result;
}

} // namespace

std::unique_ptr<FpSourceTree> FpOpenSourceTree(const char* root) {
    return std::unique_ptr<FpSourceTree>(new PosixTree(root));
}
