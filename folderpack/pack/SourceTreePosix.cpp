#include "folderpack/pack/SourceTree.h"

#include "folderpack/core/FileTime.h"
#include "folderpack/core/FolderPackFormat.h"
#include "folderpack/core/NameCodec.h"

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
    int Describe(int dirFd, const std::string& relative, const char* name, FpSourceItem& item,
                 std::string& error);
    std::string m_root;
};

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// What Describe needs of an item: one statx where there is one (it also has the birth time).
struct ItemStat {
    mode_t mode;
    uint64_t size;
    uint64_t creationTime; // the birth time where the file system keeps one, else the last write
    uint64_t lastWriteTime;
};

// 0, or -1 with errno. `follow`: a link is described by its target.
int StatAt(int dirFd, const char* name, int follow, ItemStat& out) {
    int flags = follow ? 0 : AT_SYMLINK_NOFOLLOW;
#ifdef STATX_BTIME
    struct statx sx;
    if (statx(dirFd, name, flags, STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_BTIME, &sx) != 0)
        return -1;
    out.mode = sx.stx_mode;
    out.size = sx.stx_size;
    out.lastWriteTime = FpFileTimeFromUnix(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    out.creationTime = (sx.stx_mask & STATX_BTIME)
                           ? FpFileTimeFromUnix(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec)
                           : out.lastWriteTime;
#else
    struct stat st;
    if (fstatat(dirFd, name, &st, flags) != 0)
        return -1;
    out.mode = st.st_mode;
    out.size = uint64_t(st.st_size);
    out.lastWriteTime = FpFileTimeFromUnix(st.st_mtim.tv_sec, uint32_t(st.st_mtim.tv_nsec));
    out.creationTime = out.lastWriteTime;
#endif
    return 0;
}

int PosixTree::Describe(int dirFd, const std::string& relative, const char* name,
                        FpSourceItem& item, std::string& error) {
    ItemStat st;
    const char* why = nullptr;
    int result = FP_ERR_OPEN;
    if (StatAt(dirFd, name, 0, st) != 0)
        why = strerror(errno);
    // A link to a file is packed as the file; a link to a folder could loop and is refused.
    else if (S_ISLNK(st.mode) && (StatAt(dirFd, name, 1, st) != 0 || !S_ISREG(st.mode)))
        why = "symbolic link to something other than a file";
    else if (!S_ISREG(st.mode) && !S_ISDIR(st.mode))
        why = "neither a file nor a folder";
    else if (!FpUtf8ToCp932(name, item.name)) {
        why = "name has no code page 932 form";
        result = FP_ERR_NAME;
    }
    if (why) {
        error = Quoted(m_root + relative + name) + ": " + why;
        return result;
    }
    item.nativeName = name;
    item.isFolder = S_ISDIR(st.mode);
    item.size = item.isFolder ? 0 : st.size;
    item.creationTime = st.creationTime;
    item.lastWriteTime = st.lastWriteTime;
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
        result = Describe(dirfd(dir), relative, entry->d_name, item, error);
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
