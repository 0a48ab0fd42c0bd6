// A sink that hands every call on to another sink on a thread of its own, so that writing files
// overlaps with reading and inflating the archive. The target sees the calls, in the order and
// with the entries and bytes, that it would see without this layer, except that a Write of more
// than FP_ASYNC_BUDGET bytes arrives as several; only its results arrive late. Portable (C++17
// threads); for the tools, not for the Windows extractor.
//
// Memory: the bytes of Write calls waiting for the target are copied; they and the buffers kept
// for reuse stay within FP_ASYNC_BUDGET bytes.
#pragma once

#include "folderpack/FolderPackReader.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#define FP_ASYNC_BUDGET 0x400000u

class FpAsyncSink : public FpSink {
public:
    explicit FpAsyncSink(FpSink& target);
    ~FpAsyncSink(); // as Finish()

    // Each call queues its work and returns at once: FP_OK, or the code of the target's first
    // failure once that has happened (the reader then stops as it would have at that failure).
    // After a failure of the target nothing more reaches it, except that a file it had open when a
    // Write failed is aborted.
    int BeginFile(const FpEntry& entry) override;
    int Write(const unsigned char* data, uint32_t length) override;
    void ChunkDone(const FpEntry& entry, uint64_t total) override;
    int EndFile(const FpEntry& entry) override;
    void AbortFile(const FpEntry& entry) override;
    int Folder(const FpEntry& entry) override;
    void EntryDone(int32_t index, int32_t count) override;
    int WantsData() const override { return m_target.WantsData(); }

    // Waits until the target has handled every queued call and ends the thread. Returns the
    // target's first failure code, or FP_OK.
    int Finish();

    // The 1-based number and the name (code page 932) of the entry whose call failed first in the
    // target, or 0 and null. Valid after Finish().
    int32_t FailedIndex() const { return m_failed ? m_lastDone + 1 : 0; }
    const char* FailedName() const { return m_failed ? m_failedName.c_str() : nullptr; }

private:
    enum Kind { BEGIN_FILE, WRITE, CHUNK_DONE, END_FILE, ABORT_FILE, FOLDER, ENTRY_DONE };
    struct Call {
        Kind kind;
        FpEntry entry;
        std::string path, name; // what `entry` points at
        std::vector<unsigned char> bytes;
        uint64_t total;
        int32_t index, count;
    };

    FpAsyncSink(const FpAsyncSink&) = delete;
    FpAsyncSink& operator=(const FpAsyncSink&) = delete;
    static Call MakeCall(Kind kind, const FpEntry* entry);
    int Queue(Call call, const unsigned char* data, uint32_t length);
    void TakeSpare(std::vector<unsigned char>& buffer, uint32_t length);
    void KeepSpare(std::vector<unsigned char>& buffer);
    void Run();
    int Handle(Call& call);

    FpSink& m_target;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Call> m_calls;
    std::vector<std::vector<unsigned char>> m_spare; // buffers for reuse
    size_t m_queuedBytes = 0;                        // bytes of queued calls
    size_t m_spareBytes = 0;                         // capacity of the kept buffers
    int m_stop = 0;
    int m_failed = 0; // first failure code of the target, or 0
    int m_fileOpen = 0;
    int32_t m_lastDone = 0; // number of the last entry the target finished
    std::string m_failedName;
    std::string m_currentName; // the file between BeginFile and its end
    std::thread m_thread;
};
