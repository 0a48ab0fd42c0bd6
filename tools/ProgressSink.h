// A sink that hands every call on to another and moves a progress bar over the archive's bytes
// after each chunk, from the thread that reads the archive.
#pragma once

#include "folderpack/core/FileInput.h"
#include "folderpack/core/FolderPackReader.h"
#include "tools/ProgressBar.h"

class ProgressSink : public FpSink {
public:
    // `target` and `input` are used, not owned; the bar reads "`label` [...] n%".
    ProgressSink(FpSink& target, const FpFileInput& input, const char* label)
        : m_target(target), m_input(input), m_bar(label) {}

    // Each returns what the target returns.
    int BeginFile(const FpEntry& entry) override { return m_target.BeginFile(entry); }
    int Write(const unsigned char* data, uint32_t length) override {
        return m_target.Write(data, length);
    }
    void ChunkDone(const FpEntry& entry, uint64_t total) override;
    int EndFile(const FpEntry& entry) override { return m_target.EndFile(entry); }
    void AbortFile(const FpEntry& entry) override { m_target.AbortFile(entry); }
    int Folder(const FpEntry& entry) override { return m_target.Folder(entry); }
    void EntryDone(int32_t index, int32_t count) override { m_target.EntryDone(index, count); }

    // Erases the bar.
    void Finish() { m_bar.Finish(); }

private:
    ProgressSink(const ProgressSink&) = delete;
    ProgressSink& operator=(const ProgressSink&) = delete;
    FpSink& m_target;
    const FpFileInput& m_input;
    ProgressBar m_bar;
};
