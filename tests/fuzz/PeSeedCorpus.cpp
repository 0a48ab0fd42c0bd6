// Writes the PE fuzzer's seed corpus into the folder given as the only argument: well-formed
// image headers and version resources.
#include "ImageBuilder.h"

#include <stdio.h>

#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "pe_seeds: usage: pe_seeds FOLDER\n");
        return 2;
    }
    struct Seed {
        const char* name;
        std::string bytes;
    } seeds[] = {
        {"pe32plus", image::MinimalPe()},
        {"pe32", image::MinimalPe(0x10b)},
        {"signed", image::SignedPe()},
        {"version", image::VersionInfo(0x10000, 0, "1.0.0.0")},
    };
    for (const Seed& seed : seeds) {
        std::string path = std::string(argv[1]) + "/" + seed.name + ".bin";
        FILE* file = fopen(path.c_str(), "wb");
        int ok = file && fwrite(seed.bytes.data(), 1, seed.bytes.size(), file) == seed.bytes.size();
        if (file && fclose(file) != 0)
            ok = 0;
        if (!ok) {
            fprintf(stderr, "pe_seeds: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
