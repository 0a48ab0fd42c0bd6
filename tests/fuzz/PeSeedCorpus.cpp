// Writes the PE fuzzer's seed corpus into the folder given as the only argument: well-formed
// image headers and version resources.
#include "ImageBuilder.h"

#include "SeedFiles.h"

int main(int argc, char** argv) {
    return WriteSeeds(argc, argv, "pe_seeds", ".bin",
                      {
                          {"pe32plus", image::MinimalPe()},
                          {"pe32", image::MinimalPe(0x10b)},
                          {"signed", image::SignedPe()},
                          {"version", image::VersionInfo(0x10000, 0, "1.0.0.0")},
                      });
}
