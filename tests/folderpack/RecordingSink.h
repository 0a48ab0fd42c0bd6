// A sink for the tests that records every call as a line of text, and the bytes written.
#pragma once

#include "folderpack/core/FolderPackReader.h"

#include <string>
#include <vector>

// Records every call as a line, and the bytes written per file.
class RecordingSink : public FpSink {
public:
    int BeginFile(const FpEntry& entry) override {
        Log("begin " + std::string(entry.path) + " " + std::to_string(entry.size));
        data.clear();
        return !failName || failName == std::string(entry.name) ? beginResult : FP_OK;
    }
    int Write(const unsigned char* bytes, uint32_t length) override {
        data.append(reinterpret_cast<const char*>(bytes), length);
        all.append(reinterpret_cast<const char*>(bytes), length);
        if (logWrites)
            Log("write " + std::to_string(length));
        return writeResult;
    }
    void ChunkDone(const FpEntry&, uint64_t total) override {
        Log("chunk " + std::to_string(total));
    }
    int EndFile(const FpEntry& entry) override {
        Log("end " + std::string(entry.name) + " " + std::to_string(data.size()));
        return FP_OK;
    }
    void AbortFile(const FpEntry& entry) override { Log("abort " + std::string(entry.name)); }
    int Folder(const FpEntry& entry) override {
        Log("folder " + std::string(entry.path) + " " + std::to_string(entry.attributes));
        return FP_OK;
    }
    void EntryDone(int32_t index, int32_t count) override {
        Log("done " + std::to_string(index) + "/" + std::to_string(count));
    }

    void Log(const std::string& line) { calls.push_back(line); }

    std::vector<std::string> calls;
    std::string data; // of the current file
    std::string all;  // of every file
    int logWrites = 0;
    const char* failName = nullptr; // beginResult only for this name (null: every file)
    int beginResult = FP_OK;
    int writeResult = FP_OK;
};
