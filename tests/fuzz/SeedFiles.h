// The seed-corpus programs' common part: named seeds written into the folder given as the only
// argument.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

struct Seed {
    const char* name;
    std::string bytes;
};

// Writes each seed to <folder>/<name><extension>, the folder being argv[1]. The exit status: 0; 2
// without exactly one argument; 1 when a file cannot be written in full (the files before it
// stay).
inline int WriteSeeds(int argc, char** argv, const char* program, const char* extension,
                      const std::vector<Seed>& seeds) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s FOLDER\n", program);
        return 2;
    }
    for (const Seed& seed : seeds) {
        std::string path = std::string(argv[1]) + "/" + seed.name + extension;
        FILE* file = fopen(path.c_str(), "wb");
        int ok = file && fwrite(seed.bytes.data(), 1, seed.bytes.size(), file) == seed.bytes.size();
        if (file && fclose(file) != 0)
            ok = 0;
        if (!ok) {
            fprintf(stderr, "%s: cannot write %s\n", program, path.c_str());
            return 1;
        }
    }
    return 0;
}
