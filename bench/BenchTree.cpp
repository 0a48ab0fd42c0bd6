#include "bench/BenchTree.h"

#include <stdio.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint64_t Next() {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return m_state * 0x2545F4914F6CDD1Dull;
    }
    uint64_t Below(uint64_t n) { return n ? Next() % n : 0; }
    double Unit() { return double(Next() >> 11) / double(1ull << 53); }
    // Log-uniform between low and high.
    uint64_t Spread(uint64_t low, uint64_t high) {
        double l = std::log(double(low)), h = std::log(double(high));
        return uint64_t(std::exp(l + (h - l) * Unit()));
    }

private:
    uint64_t m_state;
};

enum Kind { TEXT, BINARY, NOISE };

// Text: words of a small vocabulary in lines (about 3:1 at zlib level 1).
void FillText(Random& random, std::string& out, size_t size) {
    static const char* words[] = {"update",  "server",  "client",   "folder",   "archive", "value",
                                  "setup",   "install", "registry", "version",  "TOLVANE", "path",
                                  "feature", "error",   "message",  "the",      "of",      "and",
                                  "to",      "設定",    "更新",     "ファイル", "表示",    "0x5C",
                                  "return",  "int"};
    const size_t count = sizeof(words) / sizeof(words[0]);
    out.clear();
    while (out.size() < size) {
        out += words[random.Below(count)];
        uint64_t r = random.Below(12);
        out += r == 0 ? "\r\n" : r == 1 ? " = " + std::to_string(random.Below(100000)) + ";" : " ";
    }
    out.resize(size);
}

// Binary: zero runs, repeated records with small changes and random stretches, like programs
// and libraries (about 2:1).
void FillBinary(Random& random, std::string& out, size_t size) {
    out.clear();
    unsigned char record[32];
    for (unsigned char& b : record)
        b = (unsigned char)random.Next();
    while (out.size() < size) {
        uint64_t kind = random.Below(10);
        size_t run = size_t(64 + random.Below(2048));
        if (kind < 3) {
            out.append(run, '\0');
        } else if (kind < 7) {
            for (size_t i = 0; i < run; i++) {
                unsigned char b = record[i % sizeof(record)];
                out += char(random.Below(16) ? b : (unsigned char)random.Next());
            }
        } else {
            for (size_t i = 0; i < run; i++)
                out += char(random.Next());
        }
    }
    out.resize(size);
}

void FillNoise(Random& random, std::string& out, size_t size) {
    out.resize(size);
    for (size_t i = 0; i < size; i += 8) {
        uint64_t v = random.Next();
        for (size_t j = 0; j < 8 && i + j < size; j++)
            out[i + j] = char(v >> (8 * j));
    }
}

int WriteFile(const fs::path& path, Random& random, Kind kind, uint64_t size, BenchTreeStats& stats,
              std::string& error) {
    std::string data;
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot create " + path.string();
        return 0;
    }
    // Large files are written piece by piece.
    const uint64_t piece = 1 << 20;
    for (uint64_t done = 0; done < size; done += piece) {
        size_t n = size_t(std::min(piece, size - done));
        if (kind == TEXT)
            FillText(random, data, n);
        else if (kind == BINARY)
            FillBinary(random, data, n);
        else
            FillNoise(random, data, n);
        if (fwrite(data.data(), 1, n, file) != n) {
            fclose(file);
            error = "cannot write " + path.string();
            return 0;
        }
    }
    if (fclose(file) != 0) {
        error = "cannot write " + path.string();
        return 0;
    }
    stats.files++;
    stats.bytes += size;
    return 1;
}

Kind PickKind(Random& random, int textShare, int binaryShare) {
    int r = int(random.Below(100));
    return r < textShare ? TEXT : r < textShare + binaryShare ? BINARY : NOISE;
}

const char* Extension(Kind kind) {
    return kind == TEXT ? ".txt" : kind == BINARY ? ".dll" : ".png";
}

int Small(Random& random, const fs::path& root, BenchTreeStats& stats, std::string& error) {
    const char* folders[] = {"bin", "doc", "doc/マニュアル", "res", "sql"};
    for (const char* folder : folders) {
        fs::create_directories(root / fs::u8path(folder));
        stats.folders++;
    }
    // A setup program, then 63 files spread over the folders and the top.
    if (!WriteFile(root / "Brennick.exe", random, BINARY, 1100000, stats, error))
        return 0;
    // Sizes scaled so that the tree comes to about 3.3 MB.
    std::vector<Kind> kinds;
    std::vector<double> sizes;
    double sum = 0;
    for (int i = 0; i < 63; i++) {
        kinds.push_back(PickKind(random, 50, 35));
        sizes.push_back(double(random.Spread(300, 160000)));
        sum += sizes.back();
    }
    for (int i = 0; i < 63; i++) {
        uint64_t size = uint64_t(sizes[size_t(i)] * (3300000.0 - 1100000.0) / sum);
        std::string folder = i % 6 == 5 ? "" : folders[i % 5];
        std::string name =
            (i % 9 == 0 ? "表示" : "item") + std::to_string(i) + Extension(kinds[size_t(i)]);
        fs::path path = root / fs::u8path(folder) / fs::u8path(name);
        if (!WriteFile(path, random, kinds[size_t(i)], size, stats, error))
            return 0;
    }
    return 1;
}

int Large(Random& random, const fs::path& root, BenchTreeStats& stats, std::string& error) {
    std::vector<fs::path> folders = {root};
    for (int i = 0; i < 110; i++) {
        const fs::path& parent = folders[random.Below(folders.size())];
        if (std::distance(root.begin(), root.end()) + 3 <
            std::distance(parent.begin(), parent.end()))
            continue; // at most three levels deep
        fs::path folder = parent / ("dir" + std::to_string(i));
        fs::create_directories(folder);
        folders.push_back(folder);
        stats.folders++;
    }
    // Big files first, then many small and middling ones.
    for (int i = 0; i < 10; i++) {
        Kind kind = i < 4 ? TEXT : i < 7 ? BINARY : NOISE;
        uint64_t size = 8000000 + random.Below(32000000);
        fs::path path =
            folders[random.Below(folders.size())] / ("big" + std::to_string(i) + Extension(kind));
        if (!WriteFile(path, random, kind, size, stats, error))
            return 0;
    }
    for (int i = 0; stats.bytes < 600000000ull; i++) {
        Kind kind = PickKind(random, 45, 35);
        uint64_t size = random.Below(12) == 0 ? 0 : random.Spread(100, 1000000);
        fs::path path =
            folders[random.Below(folders.size())] / ("f" + std::to_string(i) + Extension(kind));
        if (!WriteFile(path, random, kind, size, stats, error))
            return 0;
    }
    return 1;
}

// 200 folders of 100 text files of 200 to 4,000 bytes each (`scale` of the folders).
int Many(Random& random, const fs::path& root, double scale, BenchTreeStats& stats,
         std::string& error) {
    int folders = std::max(1, int(200 * scale));
    for (int i = 0; i < folders; i++) {
        char name[16];
        snprintf(name, sizeof(name), "d%03d", i);
        fs::path folder = root / name;
        fs::create_directories(folder);
        stats.folders++;
        for (int j = 0; j < 100; j++) {
            snprintf(name, sizeof(name), "f%03d.txt", j);
            if (!WriteFile(folder / name, random, TEXT, 200 + random.Below(3801), stats, error))
                return 0;
        }
    }
    return 1;
}

// One incompressible file of 700 MB and one text of 300 MB (`scale` of each).
int Gigabyte(Random& random, const fs::path& root, double scale, BenchTreeStats& stats,
             std::string& error) {
    return WriteFile(root / "noise.bin", random, NOISE, uint64_t(700e6 * scale), stats, error) &&
           WriteFile(root / "text.txt", random, TEXT, uint64_t(300e6 * scale), stats, error);
}

} // namespace

int GenerateBenchTree(const std::string& kind, uint64_t seed, const std::string& root,
                      BenchTreeStats& stats, std::string& error, double scale) {
    stats = BenchTreeStats();
    std::error_code code;
    if (fs::exists(root, code)) {
        error = root + " exists already";
        return 0;
    }
    fs::create_directories(root, code);
    if (code) {
        error = "cannot create " + root;
        return 0;
    }
    Random random(seed ^ (kind == "small" ? 0x51ull : 0x1A46Eull));
    if (kind == "small")
        return Small(random, root, stats, error);
    if (kind == "large")
        return Large(random, root, stats, error);
    if (kind == "many")
        return Many(random, root, scale, stats, error);
    if (kind == "gigabyte")
        return Gigabyte(random, root, scale, stats, error);
    error = "unknown tree kind " + kind;
    return 0;
}
