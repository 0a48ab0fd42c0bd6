#include "folderpack/pack/PackTimes.h"

#include "folderpack/core/FileTime.h"

#include <stdlib.h>

int FpParseSourceDateEpoch(const char* text, uint64_t* limit) {
    const int64_t kLast = 253402300799LL;
    if (!text || !*text)
        return 0;
    int64_t seconds = 0;
    for (const char* p = text; *p; p++) {
        if (*p < '0' || *p > '9')
            return 0;
        seconds = seconds * 10 + (*p - '0');
        if (seconds > kLast)
            return 0;
    }
    *limit = FpFileTimeFromUnix(seconds, 0);
    return 1;
}

void FpClampTimes(std::vector<FpPackEntry>& entries, uint64_t limit) {
    for (FpPackEntry& entry : entries) {
        if (entry.lastWriteTime > limit)
            entry.lastWriteTime = limit;
        entry.creationTime = entry.lastWriteTime;
    }
}

int FpApplySourceDateEpoch(std::vector<FpPackEntry>& entries) {
    const char* epoch = getenv("SOURCE_DATE_EPOCH");
    if (!epoch)
        return 1;
    uint64_t limit = 0;
    if (!FpParseSourceDateEpoch(epoch, &limit))
        return 0;
    FpClampTimes(entries, limit);
    return 1;
}
