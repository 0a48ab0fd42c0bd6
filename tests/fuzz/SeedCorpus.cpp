// Writes the fuzzer's seed corpus into the folder given as the only argument: valid archives of
// every entry and chunk kind, and one of each malformed or hostile kind.
#include "ArchiveBuilder.h"

#include "SeedFiles.h"

#include <string>

int main(int argc, char** argv) {
    std::string text;
    for (int i = 0; i < 400; i++)
        text += "line " + std::to_string(i) + "\n";
    std::string zipped = ArchiveBuilder::Deflate("abcdef");

    ArchiveBuilder tree;
    tree.Header(7).WholeFile("docs\\readme.txt", text).File("docs\\empty.bin", 0).End();
    tree.Folder("docs\\")
        .File("\x95\x5c\\\x83\x5c.bin", 9)
        .Stored("abc")
        .Compressed("defghi")
        .End();
    tree.Folder("\x95\x5c\\").Folder("empty\\", 0x10).WholeFile("Brennick.exe", "MZ\x90");

    return WriteSeeds(
        argc, argv, "folderpack_seeds", ".fpk",
        {
            {"empty", ArchiveBuilder().Header(0).bytes},
            {"negative-count", ArchiveBuilder().Header(-1).bytes},
            {"tree", tree.bytes},
            {"stored-zlib",
             ArchiveBuilder().Header(1).File("z", zipped.size()).Stored(zipped).End().bytes},
            {"level9",
             ArchiveBuilder().Header(1).File("t", text.size()).Compressed(text, -1, 9).End().bytes},
            {"bad-magic", "Folder Pack!" + std::string(8, '\0')},
            {"cut", tree.bytes.substr(0, tree.bytes.size() / 2)},
            {"bad-tag", ArchiveBuilder().Header(1).Tag("FILX").bytes},
            {"bad-chunk-tag", ArchiveBuilder().Header(1).File("f", 1).Tag("FPCX").bytes},
            {"short-stream", ArchiveBuilder().Header(1).File("f", 8).Chunk(zipped, 8).End().bytes},
            {"long-stream", ArchiveBuilder().Header(1).File("f", 5).Chunk(zipped, 5).End().bytes},
            {"size-mismatch", ArchiveBuilder().Header(1).File("f", 7).Stored("abc").End().bytes},
            {"folder-end", ArchiveBuilder()
                               .Header(1)
                               .Folder("d\\", 0x11, ArchiveBuilder::kWritten, "FENX")
                               .bytes},
            {"parent-name", ArchiveBuilder().Header(1).WholeFile("..\\x", "x").bytes},
            {"device-name", ArchiveBuilder().Header(1).WholeFile("a\\con.txt", "x").bytes},
            {"drive-name", ArchiveBuilder().Header(1).Folder("C:\\x\\").bytes},
            {"nul-in-name", ArchiveBuilder()
                                .Header(1)
                                .FileWithNameBytes(std::string("a\0b\0", 4), 4, 0)
                                .End()
                                .bytes},
            {"long-folder",
             ArchiveBuilder().Header(1).WholeFile(std::string(300, 'd') + "\\f", "x").bytes},
            {"tiny-chunk", ArchiveBuilder().Header(1).File("f", 0).Tag("FPCK").U32(3).U32(0).bytes},
            {"huge-chunk",
             ArchiveBuilder().Header(1).File("f", 0).Tag("FPCK").U32(0x600005).U32(1).bytes},
            {"huge-output", ArchiveBuilder()
                                .Header(1)
                                .File("f", 0)
                                .Tag("FPCK")
                                .U32(6)
                                .U32(0xFFFFFFFF)
                                .Raw("ab")
                                .bytes},
        });
}
