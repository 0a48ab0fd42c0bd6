#include "folderpack/core/FileSeek.h"

int FpSeekFile(FILE* file, uint64_t offset, int origin) {
#ifdef _WIN32
    return _fseeki64(file, (__int64)offset, origin);
#else
    return fseeko(file, (off_t)offset, origin);
#endif
}

uint64_t FpFileLength(FILE* file) {
    uint64_t length = 0;
    if (FpSeekFile(file, 0, SEEK_END) == 0) {
#ifdef _WIN32
        length = uint64_t(_ftelli64(file));
#else
        length = uint64_t(ftello(file));
#endif
    }
    FpSeekFile(file, 0, SEEK_SET);
    return length;
}
