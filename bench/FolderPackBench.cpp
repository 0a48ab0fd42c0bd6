// folderpack_bench: extraction and packing of FolderPack archives beside tar with gzip and pigz,
// unzip, and the floor (inflating the same chunks in memory plus copying the raw tree), on two
// generated trees. Prints the median wall time of several runs and the peak resident memory.
#include "bench/BenchTree.h"

#include "folderpack/FolderPackReader.h"
#include "folderpack/FolderPackWriter.h"
#include "folderpack/NullSink.h"

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
    std::string work;
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

// Inflating every chunk of the archive in memory, without writing anything.
int InflateInMemory(const std::string& archive, Sample& sample) {
    std::string bytes = ReadWhole(archive);
    double start = Now();
    FpInflater inflater(FpDefaultAllocator());
    FpReadBuffer buffer(FpDefaultAllocator());
    inflater.Begin();
    FpMemoryInput input(bytes.data(), bytes.size());
    FpNullSink sink;
    FpReader reader(input, inflater, buffer, "");
    int result = reader.Walk(sink);
    sample.seconds = Now() - start;
    return result == FP_OK;
}

// `path` relative to `root`, which it lies in (without touching the file system).
fs::path Inside(const fs::path& path, const fs::path& root) {
    return fs::path(path.string().substr(root.string().size() + 1));
}

// Copying the raw tree file by file with read and write, as an extraction writes it.
int CopyTree(const fs::path& from, const fs::path& to, Sample& sample) {
    std::vector<char> buffer(1 << 20);
    double start = Now();
    fs::create_directories(to);
    for (const auto& item : fs::recursive_directory_iterator(from)) {
        fs::path target = to / Inside(item.path(), from);
        if (item.is_directory()) {
            fs::create_directory(target);
            continue;
        }
        int source = open(item.path().c_str(), O_RDONLY);
        int dest = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ssize_t n = source >= 0 && dest >= 0 ? 0 : -1;
        while (n >= 0 && (n = read(source, buffer.data(), buffer.size())) > 0) {
            if (write(dest, buffer.data(), size_t(n)) != n)
                n = -1;
        }
        if (source >= 0)
            close(source);
        if (dest >= 0)
            close(dest);
        if (n < 0)
            return 0;
    }
    sample.seconds = Now() - start;
    return 1;
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
// data length, chunks that inflate to just below the inflate window, and chunks that inflate to
// 512 MiB each (about 1.1 GB in all).
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
    std::string text;
    while (text.size() < 0x7FFFFF)
        text += "stress " + std::to_string(text.size()) + "\n";
    text.resize(0x7FFFFF);
    std::string zeros(512u << 20, '\0');
    struct Piece {
        const char* name;
        const std::string* data;
        int compress;
        int count;
    } pieces[] = {
        {"stored.bin", &noise, 0, 4}, {"window.txt", &text, 1, 3}, {"zeros.bin", &zeros, 1, 2}};
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
    std::map<std::string, Figure> figures;
    int verified = 0;
};

const char* kExtract[] = {"fpack extract",     "tar -xzf (gzip -1)",    "tar + pigz -d",
                          "unzip -q (zip -1)", "floor: inflate + copy", "  inflate in memory",
                          "  copy raw tree"};
const char* kPack[] = {"fpack create --threads 2", "tar | gzip -1", "tar | pigz -1 -p 2"};

int RunTree(const Options& options, const std::string& kind, TreeResult& result) {
    fs::path base = fs::path(options.work) / (kind + "-" + std::to_string(options.seed));
    fs::path tree = base / "tree";
    fs::path out = base / "out";
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

    int runs = kind == "large" ? options.largeRuns : options.runs;
    std::string fpk = (base / "tree.fpk").string();
    std::string tgz = (base / "tree.tar.gz").string();
    std::string pigz = (base / "tree.pigz.tar.gz").string();
    std::string zip = (base / "tree.zip").string();
    std::string quotedTree = "'" + tree.string() + "'";

    std::string dest = out.string();
    auto nothing = [] {};
    auto fresh = [&] {
        Clear(out);
        fs::create_directories(out);
    };

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
    if (!fs::exists(zip) && !Shell("cd " + quotedTree + " && zip -1 -r -q '" + zip + "' .", once))
        fprintf(stderr, "folderpack_bench: zip failed\n");

    fprintf(stderr, "%s: extracting\n", kind.c_str());
    std::vector<Sample> inflates, copies;
    std::vector<Contender> extractors = {
        {kExtract[0], [&] { Clear(out); },
         [&](Sample& s) {
             return Spawn({options.fpack, "extract", fpk, dest}, s);
         }},
        {kExtract[1], fresh,
         [&](Sample& s) {
             return Spawn({"tar", "-xzf", tgz, "-C", dest}, s);
         }},
        {kExtract[2], fresh,
         [&](Sample& s) {
             return Spawn({"tar", "-I", "pigz -d", "-xf", tgz, "-C", dest}, s);
         }},
        {kExtract[3], fresh,
         [&](Sample& s) {
             return Spawn({"unzip", "-q", zip, "-d", dest}, s);
         }},
        {kExtract[4], [&] { Clear(out); },
         [&](Sample& s) {
             Sample inflate, copy;
             if (!InflateInMemory(fpk, inflate) || !CopyTree(tree, out, copy))
                 return 0;
             inflates.push_back(inflate);
             copies.push_back(copy);
             s.seconds = inflate.seconds + copy.seconds;
             return 1;
         }},
    };
    RoundRobin(runs, extractors, result.figures);
    if (!inflates.empty()) { // without the warm-up
        inflates.erase(inflates.begin());
        copies.erase(copies.begin());
    }
    result.figures[kExtract[5]] = Median(inflates, 0);
    result.figures[kExtract[6]] = Median(copies, 0);

    // The extraction measured is a real one.
    Clear(out);
    Sample check;
    result.verified = Spawn({options.fpack, "extract", fpk, dest}, check) && SameTree(tree, out);
    Clear(out);
    return 1;
}

std::string Time(const Figure& f) {
    char text[32];
    if (f.failed)
        snprintf(text, sizeof(text), "FAILED");
    else if (f.seconds < 1)
        snprintf(text, sizeof(text), "%.1f ms", f.seconds * 1000);
    else
        snprintf(text, sizeof(text), "%.2f s", f.seconds);
    return text;
}

std::string Memory(const Figure& f) {
    char text[32];
    snprintf(text, sizeof(text), "%.1f MiB", double(f.peakKiB) / 1024);
    return f.peakKiB ? text : "-";
}

std::string Megabytes(uint64_t bytes) {
    char text[32];
    snprintf(text, sizeof(text), "%.2f MB", double(bytes) / 1e6);
    return text;
}

typedef std::vector<std::pair<std::string, TreeResult>> Results;

void PrintTable(const Options& options, const Results& results) {
    printf("FolderPack benchmark: seed %llu, median of %d runs (large tree: %d) after one "
           "warm-up, the tools taking turns, page cache warm\n",
           (unsigned long long)options.seed, options.runs, options.largeRuns);
    for (const auto& r : results)
        printf("  %-6s %llu files + %llu folders = %llu entries, %s%s\n", r.first.c_str(),
               (unsigned long long)r.second.stats.files, (unsigned long long)r.second.stats.folders,
               (unsigned long long)(r.second.stats.files + r.second.stats.folders),
               Megabytes(r.second.stats.bytes).c_str(),
               r.second.verified ? "" : "  (fpack extract result DIFFERS from the tree!)");

    printf("\n%-26s", "extraction");
    for (const auto& r : results)
        printf(" | %-10s %-11s %-7s", r.first.c_str(), "peak RSS", "/floor");
    printf("\n");
    for (const char* name : kExtract) {
        printf("%-26s", name);
        for (const auto& r : results) {
            const Figure& f = r.second.figures.at(name);
            const Figure& floor = r.second.figures.at(kExtract[4]);
            printf(" | %-10s %-11s %-7.2f", Time(f).c_str(), Memory(f).c_str(),
                   floor.seconds > 0 ? f.seconds / floor.seconds : 0.0);
        }
        printf("\n");
    }
    printf("\n%-26s", "packing");
    for (const auto& r : results)
        printf(" | %-10s %-11s %-7s", r.first.c_str(), "archive", "");
    printf("\n");
    for (const char* name : kPack) {
        printf("%-26s", name);
        for (const auto& r : results) {
            const Figure& f = r.second.figures.at(name);
            printf(" | %-10s %-11s %-7s", Time(f).c_str(), Megabytes(f.bytes).c_str(), "");
        }
        printf("\n");
    }
}

const char kUsage[] =
    "usage: folderpack_bench [--seed N] [--runs N] [--large-runs N] [--trees small,large]\n"
    "                        [--work DIR] [--fpack PATH]\n"
    "Generates the trees (once per seed) under DIR (default: build/bench), packs them with\n"
    "fpack, tar+gzip -1, tar+pigz -1 -p 2 and zip -1, extracts each archive, and prints the\n"
    "median times. Needs tar, gzip, pigz, zip and unzip.\n";

} // namespace

int main(int argc, char** argv) {
    Options options;
    fs::path self = fs::canonical("/proc/self/exe");
    options.fpack = (self.parent_path() / "fpack").string();
    options.work = (self.parent_path().parent_path().parent_path() / "bench").string();
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
    g_memoryFile = (fs::path(options.work) / "peak-rss.txt").string();
    Results results;
    for (const std::string& kind : options.trees) {
        results.emplace_back(kind, TreeResult());
        if (!RunTree(options, kind, results.back().second))
            return 1;
    }
    PrintTable(options, results);

    // Peak memory of fpack extract at its worst.
    fs::path stress = fs::path(options.work) / "stress";
    std::string archive = (stress / "stress.fpk").string();
    fs::create_directories(stress);
    Sample sample;
    int ok =
        (fs::exists(archive) || WriteStressArchive(archive)) && access("/usr/bin/time", X_OK) == 0;
    if (ok) {
        Clear(stress / "out");
        g_measureMemory = 1;
        ok = Spawn({options.fpack, "extract", archive, (stress / "out").string()}, sample);
        g_measureMemory = 0;
        Clear(stress / "out");
    }
    printf("\nmemory stress: fpack extract of 6 MiB stored chunks, chunks inflating to 8 MiB - 1 "
           "and to 512 MiB (1.1 GB): %s\n",
           ok ? (Memory(Figure{0, sample.peakKiB, 0, 0}) + " peak RSS").c_str() : "FAILED");
    unlink(g_memoryFile.c_str());
    return 0;
}
