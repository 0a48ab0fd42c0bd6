// bench_tree: writes one benchmark tree (BenchTree.h), for the benchmarks that run under Wine.
#include "bench/BenchTree.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        fputs("usage: bench_tree small|large|many|gigabyte FOLDER [--seed N] [--scale S]\n",
              stderr);
        return 2;
    }
    uint64_t seed = 1;
    double scale = 1.0;
    for (int i = 3; i + 1 < argc; i += 2) {
        if (!strcmp(argv[i], "--seed"))
            seed = strtoull(argv[i + 1], nullptr, 10);
        else if (!strcmp(argv[i], "--scale"))
            scale = atof(argv[i + 1]);
    }
    if (!(scale > 0 && scale <= 10)) {
        fputs("bench_tree: --scale must lie above 0 and at most 10\n", stderr);
        return 2;
    }
    BenchTreeStats stats;
    std::string error;
    if (!GenerateBenchTree(argv[1], seed, argv[2], stats, error, scale)) {
        fprintf(stderr, "bench_tree: %s\n", error.c_str());
        return 1;
    }
    printf("%llu files, %llu folders, %llu bytes\n", (unsigned long long)stats.files,
           (unsigned long long)stats.folders, (unsigned long long)stats.bytes);
    return 0;
}
