// folderpack_bench: extraction, testing and packing of FolderPack archives beside tar with gzip and
// pigz, unzip, cp -r of the raw tree and the in-memory inflate of the same chunks with zlib and
// with libdeflate, on two generated trees, with the output on a tmpfs and once on the disk. Prints
// the median wall time of several runs, the peak resident memory, whether the targets are met,
// and the peak memory of fpack on an archive made to need as much as it ever may.
#include "bench/BenchTree.h"

#include "folderpack/core/FolderPackReader.h"
#include "folderpack/core/FileOutput.h"
#include "folderpack/core/NullSink.h"
#include "folderpack/extract/WholeInflater.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct Options {
    uint64_t seed = 1;
    int runs = 7;
    int largeRuns = 3;
    std::string work;  // trees, and the outputs on the disk
    std::string tmpfs; // archives and the other outputs
    std::string fpack;
    std::vector<std::string> trees = {"small", "large"};
};

struct Sample {
    double seconds = 0;
    long peakKiB = 0;
};

struct Figure {
    double seconds = 0; // median
    long peakKiB = 0;   // largest of the runs
    uint64_t bytes = 0; // archive size, for packing
    int failed = 0;
};

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Set for the warm-up run: the command then runs under /usr/bin/time, which reports its peak
// resident memory. (A child spawned from this process directly would count this process's
// memory as its own, up to its exec.)
int g_measureMemory = 0;
std::string g_memoryFile;

// Runs `argv` with standard output and error discarded; its wall time, and with g_measureMemory
// its peak memory.
int Spawn(const std::vector<std::string>& command, Sample& sample) {
    std::vector<std::string> argv = command;
    if (g_measureMemory)
        argv.insert(argv.begin(), {"/usr/bin/time", "-f", "%M", "-o", g_memoryFile});
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    double start = Now();
    pid_t pid;
    int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return 0;
    int status = 0;
    struct rusage usage;
    if (wait4(pid, &status, 0, &usage) != pid)
        return 0;
    sample.seconds = Now() - start;
    sample.peakKiB = 0;
    if (g_measureMemory) {
        FILE* file = fopen(g_memoryFile.c_str(), "r");
        if (file && fscanf(file, "%ld", &sample.peakKiB) != 1)
            sample.peakKiB = 0;
        if (file)
            fclose(file);
    }
    (void)usage;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int Shell(const std::string& command, Sample& sample) {
    return Spawn({"/bin/sh", "-c", command}, sample);
}

void Clear(const fs::path& path) {
    std::error_code code;
    fs::remove_all(path, code);
    sync(); // earlier runs' writes do not spill into the next one
}

Figure Median(std::vector<Sample>& samples, int failed) {
    Figure figure;
    figure.failed = failed;
    if (samples.empty())
        return figure;
    std::sort(samples.begin(), samples.end(),
              [](const Sample& a, const Sample& b) { return a.seconds < b.seconds; });
    figure.seconds = samples[samples.size() / 2].seconds;
    for (const Sample& s : samples)
        figure.peakKiB = std::max(figure.peakKiB, s.peakKiB);
    return figure;
}

struct Contender {
    const char* name;
    std::function<void()> prepare;   // untimed, before every run
    std::function<int(Sample&)> run; // 1 on success
};

// Runs every contender once per round: one warm-up round (which also measures the peak
// memory), then `runs` timed rounds. Taking turns spreads any drift of the machine evenly.
void RoundRobin(int runs, const std::vector<Contender>& contenders,
                std::map<std::string, Figure>& figures) {
    std::map<std::string, std::vector<Sample>> samples;
    std::map<std::string, int> failed;
    std::map<std::string, long> peakKiB;
    for (int round = 0; round <= runs; round++) {
        for (const Contender& c : contenders) {
            c.prepare();
            Sample sample;
            g_measureMemory = round == 0 && access("/usr/bin/time", X_OK) == 0;
            int ok = c.run(sample);
            g_measureMemory = 0;
            if (!ok)
                failed[c.name]++;
            else if (round == 0)
                peakKiB[c.name] = sample.peakKiB;
            else
                samples[c.name].push_back(sample);
        }
    }
    for (const Contender& c : contenders) {
        Figure figure = Median(samples[c.name], failed[c.name]);
        figure.peakKiB = peakKiB[c.name];
        figures[c.name] = figure;
    }
}

std::string ReadWhole(const fs::path& path) {
    std::string bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return bytes;
    char buffer[1 << 16];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.append(buffer, n);
    fclose(file);
    return bytes;
}

// Inflating every chunk of the archive in memory with zlib (the reader's own path) or with
// libdeflate (as the host tools do, on one thread here), writing nothing.
int InflateInMemory(const std::string& archive, int libdeflate, Sample& sample) {
    std::string bytes = ReadWhole(archive);
    double start = Now();
    FpInflater inflater(FpDefaultAllocator());
    FpWholeInflater whole;
    FpReadBuffer buffer(FpDefaultAllocator());
    inflater.Begin();
    FpMemoryInput input(bytes.data(), bytes.size());
    FpNullSink sink;
    FpReader reader(input, libdeflate ? static_cast<FpChunkDecoder&>(whole) : inflater, buffer, "");
    int result = reader.Walk(sink);
    sample.seconds = Now() - start;
    return result == FP_OK;
}

// `path` relative to `root`, which it lies in (without touching the file system).
fs::path Inside(const fs::path& path, const fs::path& root) {
    return fs::path(path.string().substr(root.string().size() + 1));
}

// Same files with the same bytes under both roots.
int SameTree(const fs::path& a, const fs::path& b) {
    size_t count = 0;
    for (const auto& item : fs::recursive_directory_iterator(a)) {
        fs::path other = b / Inside(item.path(), a);
        count++;
        if (item.is_directory() != fs::is_directory(other))
            return 0;
        if (!item.is_directory() && ReadWhole(item.path()) != ReadWhole(other))
            return 0;
    }
    size_t other = 0;
    for (auto it = fs::recursive_directory_iterator(b); it != fs::recursive_directory_iterator();
         ++it)
        other++;
    return count == other;
}

uint64_t FileSize(const std::string& path) {
    std::error_code code;
    uint64_t size = fs::file_size(path, code);
    return code ? 0 : size;
}

// An archive that makes an extraction hold as much as it ever may: stored chunks of the largest
// data length, chunks of nearly that much data that inflate whole to FP_WHOLE_INFLATE_LIMIT, and
// chunks that inflate to 512 MiB each (about 1.1 GB in all).
int WriteStressArchive(const std::string& path) {
    FpFileOutput out;
    if (out.Open(path.c_str()) != FP_OK || FpWriteHeader(out, 3) != FP_OK)
        return 0;
    std::string noise(FP_READ_BUFFER_SIZE, '\0');
    uint64_t x = 88172645463325252ull;
    for (char& c : noise) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        c = char(x);
    }
    std::string whole = noise.substr(0, FP_READ_BUFFER_SIZE - 0x10000);
    whole.resize(FP_WHOLE_INFLATE_LIMIT, 'w');
    std::string zeros(512u << 20, '\0');
    struct Piece {
        const char* name;
        const std::string* data;
        int compress;
        int count;
    } pieces[] = {
        {"stored.bin", &noise, 0, 6}, {"whole.bin", &whole, 1, 12}, {"zeros.bin", &zeros, 1, 2}};
    for (const Piece& piece : pieces) {
        std::string chunk = *piece.data;
        if (piece.compress) {
            uLongf length = compressBound(uLong(chunk.size()));
            std::string packed(length, '\0');
            compress2(reinterpret_cast<Bytef*>(&packed[0]), &length,
                      reinterpret_cast<const Bytef*>(chunk.data()), uLong(chunk.size()), 1);
            chunk.assign(packed.data(), length);
        }
        FpEntryFields fields = {piece.name, 0x20, 0, 0};
        uint64_t record;
        if (FpBeginFile(out, fields, uint64_t(piece.data->size()) * piece.count, &record) != FP_OK)
            return 0;
        for (int i = 0; i < piece.count; i++) {
            if (FpWriteChunk(out, chunk.data(), uint32_t(chunk.size()),
                             uint32_t(piece.data->size())) != FP_OK)
                return 0;
        }
        if (FpEndFile(out, record) != FP_OK)
            return 0;
    }
    return out.Close() == FP_OK;
}

struct TreeResult {
    BenchTreeStats stats;
    std::map<std::string, Figure> figures; // output on the tmpfs
    std::map<std::string, Figure> disk;    // output on the disk
    int verified = 0;
};

const char* kExtract[] = {
    "fpack extract",     "fpack test",     "tar -xzf (gzip -1)", "tar + pigz -d",
    "unzip -q (zip -1)", "cp -r raw tree", "inflate zlib (mem)", "inflate libdeflate (mem)"};
const char* kPack[] = {"fpack create --threads 2", "tar | gzip -1", "tar | pigz -1 -p 2"};

int RunTree(const Options& options, const std::string& kind, TreeResult& result) {
    fs::path base = fs::path(options.work) / (kind + "-" + std::to_string(options.seed));
    fs::path tree = base / "tree";
    fs::path scratch = fs::path(options.tmpfs) / kind;
    std::string done = (base / "tree.done").string();
    if (!fs::exists(done)) {
        fprintf(stderr, "generating the %s tree in %s\n", kind.c_str(), tree.c_str());
        Clear(base);
        std::string error;
        if (!GenerateBenchTree(kind, options.seed, tree.string(), result.stats, error)) {
            fprintf(stderr, "folderpack_bench: %s\n", error.c_str());
            return 0;
        }
        std::ofstream(done) << result.stats.files << " " << result.stats.folders << " "
                            << result.stats.bytes << "\n";
    }
    std::ifstream(done) >> result.stats.files >> result.stats.folders >> result.stats.bytes;
    fs::create_directories(scratch);

    int runs = kind == "large" ? options.largeRuns : options.runs;
    std::string fpk = (scratch / "tree.fpk").string();
    std::string tgz = (scratch / "tree.tar.gz").string();
    std::string pigz = (scratch / "tree.pigz.tar.gz").string();
    std::string zip = (scratch / "tree.zip").string();
    std::string quotedTree = "'" + tree.string() + "'";
    auto nothing = [] {};

    fprintf(stderr, "%s: packing\n", kind.c_str());
    std::vector<Contender> packers = {
        {kPack[0], nothing,
         [&](Sample& s) {
             return Spawn({options.fpack, "create", fpk, tree.string(), "--threads", "2"}, s);
         }},
        {kPack[1], nothing,
         [&](Sample& s) {
             return Shell("tar -cf - -C " + quotedTree + " . | gzip -1 > '" + tgz + "'", s);
         }},
        {kPack[2], nothing,
         [&](Sample& s) {
             return Shell("tar -cf - -C " + quotedTree + " . | pigz -1 -p 2 > '" + pigz + "'", s);
         }},
    };
    RoundRobin(runs, packers, result.figures);
    result.figures[kPack[0]].bytes = FileSize(fpk);
    result.figures[kPack[1]].bytes = FileSize(tgz);
    result.figures[kPack[2]].bytes = FileSize(pigz);
    Sample once;
    unlink(zip.c_str());
    if (!Shell("cd " + quotedTree + " && zip -1 -r -q '" + zip + "' .", once))
        fprintf(stderr, "folderpack_bench: zip failed\n");

    // The same contenders with the output on the tmpfs, then once on the disk.
    auto extractors = [&](const fs::path& out, int onDisk) {
        std::string dest = out.string();
        auto fresh = [&, out] {
            Clear(out);
            fs::create_directories(out);
        };
        auto gone = [&, out] { Clear(out); };
        std::vector<Contender> list = {
            {kExtract[0], gone,
             [&, dest](Sample& s) {
                 return Spawn({options.fpack, "extract", fpk, dest}, s);
             }},
            {kExtract[2], fresh,
             [&, dest](Sample& s) {
                 return Spawn({"tar", "-xzf", tgz, "-C", dest}, s);
             }},
            {kExtract[3], fresh,
             [&, dest](Sample& s) {
                 return Spawn({"tar", "-I", "pigz -d", "-xf", tgz, "-C", dest}, s);
             }},
            {kExtract[4], fresh,
             [&, dest](Sample& s) {
                 return Spawn({"unzip", "-q", zip, "-d", dest}, s);
             }},
            {kExtract[5], gone,
             [&, dest](Sample& s) {
                 return Spawn({"cp", "-r", tree.string(), dest}, s);
             }},
        };
        if (!onDisk) {
            list.push_back({kExtract[1], nothing, [&](Sample& s) {
                                return Spawn({options.fpack, "test", fpk}, s);
                            }});
            list.push_back(
                {kExtract[6], nothing, [&](Sample& s) { return InflateInMemory(fpk, 0, s); }});
            list.push_back(
                {kExtract[7], nothing, [&](Sample& s) { return InflateInMemory(fpk, 1, s); }});
        }
        return list;
    };
    fprintf(stderr, "%s: extracting (tmpfs)\n", kind.c_str());
    RoundRobin(runs, extractors(scratch / "out", 0), result.figures);
    fprintf(stderr, "%s: extracting (disk)\n", kind.c_str());
    fs::path diskOut = base / "out";
    RoundRobin(1, extractors(diskOut, 1), result.disk);
    Clear(diskOut);

    // The extraction measured is a real one.
    fs::path out = scratch / "out";
    Clear(out);
    Sample check;
    result.verified =
        Spawn({options.fpack, "extract", fpk, out.string()}, check) && SameTree(tree, out);
    Clear(out);
    for (const std::string& archive : {fpk, tgz, pigz, zip})
        unlink(archive.c_str());
    return 1;
}

std::string Time(const Figure& f) {
    char text[32];
    if (f.failed)
        snprintf(text, sizeof(text), "FAILED");
    else if (f.seconds <= 0)
        snprintf(text, sizeof(text), "-");
    else if (f.seconds < 1)
        snprintf(text, sizeof(text), "%.1f ms", f.seconds * 1000);
    else
        snprintf(text, sizeof(text), "%.2f s", f.seconds);
    return text;
}

std::string Memory(long peakKiB) {
    char text[32];
    snprintf(text, sizeof(text), "%.1f MiB", double(peakKiB) / 1024);
    return peakKiB ? text : "-";
}

std::string Megabytes(uint64_t bytes) {
    char text[32];
    snprintf(text, sizeof(text), "%.2f MB", double(bytes) / 1e6);
    return text;
}

typedef std::vector<std::pair<std::string, TreeResult>> Results;

const Figure& Get(const std::map<std::string, Figure>& figures, const char* name) {
    static const Figure none;
    auto it = figures.find(name);
    return it == figures.end() ? none : it->second;
}

// "met" when `ratio` reaches `wanted` (with `atMost`: stays within it).
void Target(const std::string& what, double ratio, double wanted, int atMost = 0) {
    int met = atMost ? ratio <= wanted : ratio >= wanted;
    printf("  %-58s %6.2fx  (wanted %s %.1fx)  %s\n", what.c_str(), ratio,
           atMost ? "<=" : ">=", wanted, met ? "met" : "NOT MET");
}

void PrintTable(const Options& options, const Results& results) {
    printf("FolderPack benchmark: seed %llu, median of %d runs (large tree: %d) after one "
           "warm-up, the tools taking turns, page cache warm; output on %s, and once on the "
           "disk (%s)\n",
           (unsigned long long)options.seed, options.runs, options.largeRuns, options.tmpfs.c_str(),
           options.work.c_str());
    for (const auto& r : results)
        printf("  %-6s %llu files + %llu folders = %llu entries, %s%s\n", r.first.c_str(),
               (unsigned long long)r.second.stats.files, (unsigned long long)r.second.stats.folders,
               (unsigned long long)(r.second.stats.files + r.second.stats.folders),
               Megabytes(r.second.stats.bytes).c_str(),
               r.second.verified ? "" : "  (fpack extract result DIFFERS from the tree!)");

    printf("\n%-26s", "extraction");
    for (const auto& r : results)
        printf(" | %-6s tmpfs  peak RSS    disk    ", r.first.c_str());
    printf("\n");
    for (const char* name : kExtract) {
        printf("%-26s", name);
        for (const auto& r : results) {
            const Figure& f = Get(r.second.figures, name);
            printf(" | %-12s %-11s %-8s", Time(f).c_str(), Memory(f.peakKiB).c_str(),
                   Time(Get(r.second.disk, name)).c_str());
        }
        printf("\n");
    }
    printf("\n%-26s", "packing");
    for (const auto& r : results)
        printf(" | %-6s time   peak RSS    archive ", r.first.c_str());
    printf("\n");
    for (const char* name : kPack) {
        printf("%-26s", name);
        for (const auto& r : results) {
            const Figure& f = Get(r.second.figures, name);
            printf(" | %-12s %-11s %-8s", Time(f).c_str(), Memory(f.peakKiB).c_str(),
                   Megabytes(f.bytes).c_str());
        }
        printf("\n");
    }

    printf("\ntargets (tmpfs figures)\n");
    for (const auto& r : results) {
        const auto& f = r.second.figures;
        double extract = Get(f, kExtract[0]).seconds;
        if (extract <= 0)
            continue;
        std::string tree = r.first + ": ";
        if (r.first == "large") {
            Target(tree + "fpack extract / cp -r raw tree", extract / Get(f, kExtract[5]).seconds,
                   1.5, 1);
            Target(tree + "tar + pigz -d / fpack extract", Get(f, kExtract[3]).seconds / extract,
                   3);
        } else {
            for (int i = 2; i <= 4; i++)
                Target(tree + kExtract[i] + " / fpack extract",
                       Get(f, kExtract[i]).seconds / extract, 1.5);
        }
        const Figure& create = Get(f, kPack[0]);
        if (create.seconds > 0) {
            Target(tree + "pigz -1 -p 2 / fpack create --threads 2",
                   Get(f, kPack[2]).seconds / create.seconds, 2);
            Target(tree + "fpack create size / gzip -1 size",
                   double(create.bytes) / double(Get(f, kPack[1]).bytes), 1, 1);
        }
    }
}

// Peak memory of fpack at its worst: extracting and testing the stress archive and packing the
// tree it holds, with 1, 2 and 4 threads, against 32 MiB + 16 MiB per thread.
void PrintStress(const Options& options) {
    fs::path stress = fs::path(options.tmpfs) / "stress";
    std::string archive = (stress / "stress.fpk").string();
    std::string packed = (stress / "packed.fpk").string();
    fs::path out = stress / "out";
    fs::create_directories(stress);
    if (access("/usr/bin/time", X_OK) != 0 || !WriteStressArchive(archive)) {
        printf("\nmemory stress: FAILED (no /usr/bin/time, or the archive cannot be written)\n");
        return;
    }
    printf("\nmemory stress: 6 MiB stored chunks, 6 MiB chunks inflating whole to 8 MiB - 1, "
           "chunks inflating to 512 MiB (%s); peak RSS\n",
           Megabytes(FileSize(archive)).c_str());
    printf("  %-8s %-12s %-12s %-12s %-12s\n", "threads", "extract", "test", "create", "bound");
    for (int threads : {1, 2, 4}) {
        std::string n = std::to_string(threads);
        Sample extract, test, create;
        Clear(out);
        g_measureMemory = 1;
        int ok = Spawn({options.fpack, "extract", archive, out.string(), "--threads", n}, extract);
        ok = Spawn({options.fpack, "test", archive, "--threads", n}, test) && ok;
        ok = Spawn({options.fpack, "create", packed, out.string(), "--threads", n}, create) && ok;
        g_measureMemory = 0;
        long bound = (32 + 16 * threads) * 1024;
        long worst = std::max(extract.peakKiB, std::max(test.peakKiB, create.peakKiB));
        printf("  %-8d %-12s %-12s %-12s %-12s %s\n", threads, Memory(extract.peakKiB).c_str(),
               Memory(test.peakKiB).c_str(), Memory(create.peakKiB).c_str(), Memory(bound).c_str(),
               !ok             ? "FAILED"
               : worst < bound ? "within"
                               : "BEYOND");
    }
    Clear(stress);
}

const char kUsage[] =
    "usage: folderpack_bench [--seed N] [--runs N] [--large-runs N] [--trees small,large]\n"
    "                        [--work DIR] [--tmpfs DIR] [--fpack PATH]\n"
    "Generates the trees (once per seed) under DIR (default: build/bench), packs them with\n"
    "fpack, tar+gzip -1, tar+pigz -1 -p 2 and zip -1 into the tmpfs folder (default:\n"
    "/dev/shm/folderpack-bench-PID, removed at the end), extracts each archive there and once\n"
    "on the disk under DIR, and prints the median times. Needs tar, gzip, pigz, zip, unzip and\n"
    "/usr/bin/time.\n";

} // namespace

int main(int argc, char** argv) {
    Options options;
    fs::path self = fs::canonical("/proc/self/exe");
    options.fpack = (self.parent_path() / "fpack").string();
    options.work = (self.parent_path().parent_path().parent_path() / "bench").string();
    options.tmpfs = "/dev/shm/folderpack-bench-" + std::to_string(getpid());
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--help" || arg == "-h") {
            fputs(kUsage, stdout);
            return 0;
        } else if (value && arg == "--seed") {
            options.seed = strtoull(value, nullptr, 10);
        } else if (value && arg == "--runs") {
            options.runs = std::max(1, atoi(value));
        } else if (value && arg == "--large-runs") {
            options.largeRuns = std::max(1, atoi(value));
        } else if (value && arg == "--work") {
            options.work = value;
        } else if (value && arg == "--tmpfs") {
            options.tmpfs = value;
        } else if (value && arg == "--fpack") {
            options.fpack = value;
        } else if (value && arg == "--trees") {
            options.trees.clear();
            std::string list = value;
            for (size_t start = 0; start <= list.size();) {
                size_t end = list.find(',', start);
                if (end == std::string::npos)
                    end = list.size();
                options.trees.push_back(list.substr(start, end - start));
                start = end + 1;
            }
        } else {
            fprintf(stderr, "folderpack_bench: unknown argument %s\n%s", arg.c_str(), kUsage);
            return 2;
        }
        i++;
    }
    fs::create_directories(options.work);
    fs::create_directories(options.tmpfs);
    g_memoryFile = (fs::path(options.tmpfs) / "peak-rss.txt").string();
    Results results;
    int ok = 1;
    for (const std::string& kind : options.trees) {
        results.emplace_back(kind, TreeResult());
        if (!RunTree(options, kind, results.back().second)) {
            ok = 0;
            break;
        }
    }
    if (ok) {
        PrintTable(options, results);
        PrintStress(options);
    }
    Clear(options.tmpfs);
    return ok ? 0 : 1;
}
