// Reproducible packing: the times stored for a tree as tar's --clamp-mtime stores them, under the
// limit that SOURCE_DATE_EPOCH names. Portable.
#pragma once

#include "folderpack/pack/FolderPacker.h"

#include <stdint.h>
#include <vector>

// Parses a SOURCE_DATE_EPOCH value: decimal Unix seconds, 0 to 253402300799 (the end of year
// 9999), nothing else. 1 with `*limit` set to that moment as a FILETIME value; 0 for anything
// else, `*limit` unchanged.
int FpParseSourceDateEpoch(const char* text, uint64_t* limit);

// Every last-write time later than `limit` becomes `limit`, and every creation time becomes the
// entry's last-write time (a birth time depends on when the copy was made, not on its contents).
void FpClampTimes(std::vector<FpPackEntry>& entries, uint64_t limit);

// Clamps `entries` as FpClampTimes does under the environment's SOURCE_DATE_EPOCH. 1 when it is
// unset (nothing changes) or was applied; 0 when it is malformed, `entries` unchanged.
int FpApplySourceDateEpoch(std::vector<FpPackEntry>& entries);
