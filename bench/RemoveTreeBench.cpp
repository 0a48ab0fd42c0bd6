// removetree_bench: how long RemoveTree takes to remove a work-folder leftover. Builds a tree of
// FOLDERS folders of FILES small files each (default 100 x 200 = 20,000), removes it, and prints
// the median and the spread of RUNS runs (default 5).
//
//     removetree_bench.exe [FOLDER] [--folders N] [--files N] [--runs N]
//
// FOLDER (default C:\removetree-bench) must not exist or be a leftover of this bench.
#include "sys/RemoveTree.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The waits RemoveTree made between its passes (none when a leftover goes in one pass).
int g_waits = 0;

void CountWait(DWORD milliseconds) {
    ++g_waits;
    Sleep(milliseconds);
}

double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

// Writes the leftover: `folders` folders of `files` files of 100 bytes. False when a step fails.
bool BuildLeftover(const std::string& top, int folders, int files) {
    if (!CreateDirectoryA(top.c_str(), NULL))
        return false;
    char content[100];
    memset(content, 'x', sizeof content);
    for (int folder = 0; folder < folders; ++folder) {
        char name[64];
        snprintf(name, sizeof name, "\\d%03d", folder);
        std::string sub = top + name;
        if (!CreateDirectoryA(sub.c_str(), NULL))
            return false;
        for (int file = 0; file < files; ++file) {
            snprintf(name, sizeof name, "\\f%05d.dat", file);
            HANDLE handle = CreateFileA((sub + name).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, NULL);
            if (handle == INVALID_HANDLE_VALUE)
                return false;
            DWORD written = 0;
            BOOL ok = WriteFile(handle, content, sizeof content, &written, NULL);
            CloseHandle(handle);
            if (!ok)
                return false;
        }
    }
    return true;
}

int ParseCount(const char* text) {
    int value = atoi(text);
    return value > 0 ? value : 1;
}

} // namespace

int main(int argc, char** argv) {
    std::string top = "C:\\removetree-bench";
    int folders = 100, files = 200, runs = 5;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--folders") == 0 && i + 1 < argc)
            folders = ParseCount(argv[++i]);
        else if (strcmp(argv[i], "--files") == 0 && i + 1 < argc)
            files = ParseCount(argv[++i]);
        else if (strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = ParseCount(argv[++i]);
        else
            top = argv[i];
    }
    if (RemoveTree(top.c_str()) != 0) {
        fprintf(stderr, "removetree_bench: %s cannot be cleared first\n", top.c_str());
        return 1;
    }
    SetRemoveTreeWait(CountWait);
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        if (!BuildLeftover(top, folders, files)) {
            fprintf(stderr, "removetree_bench: cannot build the leftover (error %lu)\n",
                    GetLastError());
            return 1;
        }
        double start = Seconds();
        DWORD error = RemoveTree(top.c_str());
        times.push_back(Seconds() - start);
        if (error != 0) {
            fprintf(stderr, "removetree_bench: RemoveTree gave %lu\n", error);
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    double median = times[times.size() / 2];
    printf("RemoveTree of %d files in %d folders, %d runs: median %.3f s (%.0f files/s), "
           "fastest %.3f s, slowest %.3f s, %d waits of %d ms\n",
           folders * files, folders, runs, median, folders * files / median, times.front(),
           times.back(), g_waits, REMOVE_TREE_WAIT_MS);
    return 0;
}
