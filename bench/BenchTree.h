// Deterministic folder trees for the archive benchmarks, generated from a seed.
//   small: 69 entries (64 files, 5 folders), about 3.3 MB, like the real payload: a setup
//          program, libraries, texts and a few images.
//   large: about 600 MB in some thousands of files and a hundred folders, from empty files to
//          40 MB, text, binary and incompressible data.
//   many:  20,200 entries: 200 folders of 100 text files of 200 to 4,000 bytes.
//   gigabyte: 1 GB in two files, 700 MB incompressible and 300 MB of text.
#pragma once

#include <stdint.h>

#include <string>

struct BenchTreeStats {
    uint64_t files = 0;
    uint64_t folders = 0;
    uint64_t bytes = 0;
};

// Writes the tree `kind` ("small", "large", "many" or "gigabyte") into `root` (which must not
// exist yet); `scale` shrinks or grows "many" (its folder count) and "gigabyte" (its sizes).
// 1 on success; 0 with `error` set.
int GenerateBenchTree(const std::string& kind, uint64_t seed, const std::string& root,
                      BenchTreeStats& stats, std::string& error, double scale = 1.0);
