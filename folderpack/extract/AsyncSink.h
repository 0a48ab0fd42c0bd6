// A sink that hands every call on to another sink on a thread of its own, so that writing files
// overlaps with reading the archive, and the decoder that feeds it, which can inflate compressed
// chunks on threads of its own. The target sees the calls, in the order and with the entries and
// bytes, that it would see without this layer behind an FpInflater (a chunk inflated here arrives
// as the Write calls FpInflater would make), except that without inflating threads a stored chunk
// of more than FP_ASYNC_BUDGET bytes arrives as several Writes; only the results arrive late.
// Portable C++17 with libdeflate; for the host tools.
//
// Memory: the bytes of calls waiting for the target (stored chunks copied, compressed chunks copied
// with room for their output) and the buffers kept for reuse stay within FP_ASYNC_BUDGET bytes plus
// FP_INFLATE_JOB_BUDGET per inflating thread, or one chunk's worth when that is more; a chunk
// longer than FP_WHOLE_INFLATE_LIMIT also has the zlib window of FpInflater.
#pragma once

#include "folderpack/core/ByteBlock.h"
#include "folderpack/core/ChunkInflater.h"
#include "folderpack/core/FolderPackReader.h"
#include "folderpack/extract/WholeInflater.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#define FP_ASYNC_BUDGET 0x400000u
#define FP_INFLATE_JOB_BUDGET 0xE00000u // a chunk's largest data and whole output

// Read an archive with this object as the reader's decoder and as its sink, or as the innermost
// of sinks that hand every call on unchanged.
class FpAsyncSink : public FpSink, public FpChunkDecoder {
public:
    // With `inflateThreads` 0 compressed chunks are inflated on the reader's thread with an
    // FpInflater. Otherwise they are queued: chunks of up to FP_WHOLE_INFLATE_LIMIT bytes are
    // inflated on that many threads (and on the target's thread while it would wait for one),
    // longer ones on the target's thread window by window with FpInflater.
    explicit FpAsyncSink(FpSink& target, int inflateThreads = 0);
    ~FpAsyncSink(); // as Finish()

    // Each call queues its work and returns at once: FP_OK; FP_ERR_NOMEM when a block for the
    // bytes cannot be allocated; or the code of the first failure of the target or of an
    // inflation, once that has happened (the reader then stops as it would have at that
    // failure). After such a failure nothing more reaches the target, except that a file it had
    // open is aborted, as the reader would have aborted it.
    int BeginFile(const FpEntry& entry) override;
    // With inflating threads: a block of the queue itself, so that the data is not copied again;
    // null before any, or when the block cannot be had or a failure has happened.
    unsigned char* Buffer(const FpChunk& chunk) override;
    int Write(const unsigned char* data, uint32_t length) override;
    void ChunkDone(const FpEntry& entry, uint64_t total) override;
    int EndFile(const FpEntry& entry) override;
    void AbortFile(const FpEntry& entry) override;
    int Folder(const FpEntry& entry) override;
    void EntryDone(int32_t index, int32_t count) override;

    // Waits until the target has handled every queued call and ends the threads. Returns the first
    // failure code, or FP_OK.
    int Finish();

    // The 1-based number and the name (code page 932) of the entry whose call failed first, or 0
    // and null. Valid after Finish().
    int32_t FailedIndex() const { return m_failed ? m_lastDone + 1 : 0; }
    const char* FailedName() const { return m_failed ? m_failedName.c_str() : nullptr; }
    // Why, when the first failure was FP_ERR_WRITE (see FpReader::FailureReason), else null.
    const char* FailedReason() const { return m_failed == FP_ERR_WRITE ? m_failedReason : nullptr; }

protected:
    // Without inflating threads: FpInflater::Inflate into `output`. With them the chunk is queued
    // for the target, whatever `output` is; one that does not inflate exactly fails later as
    // FpInflater::Inflate would, with FP_ERR_WRITE.
    int Inflate(const unsigned char* data, uint32_t dataLength, uint32_t uncompressedLength,
                FpChunkOutput& output) override;

private:
    enum Kind { BEGIN_FILE, WRITE, INFLATE, CHUNK_DONE, END_FILE, ABORT_FILE, FOLDER, ENTRY_DONE };
    enum State { WAITING, INFLATING, INFLATED };
    struct Call {
        Kind kind;
        FpEntry entry;
        std::string path, name; // BEGIN_FILE and FOLDER: what `entry` points at
        FpByteBlock bytes;      // WRITE: the bytes; INFLATE: the compressed data
        uint32_t length = 0;    // bytes used in `bytes`
        FpByteBlock output;     // INFLATE of a whole chunk: its inflated bytes
        FpChunk chunk = {};     // INFLATE
        State state = WAITING;
        int result = FP_OK;
        const char* reason = nullptr; // INFLATE of a whole chunk that failed
        uint64_t total = 0;
        int32_t index = 0, count = 0;
    };

    FpAsyncSink(const FpAsyncSink&) = delete;
    FpAsyncSink& operator=(const FpAsyncSink&) = delete;
    static Call MakeCall(Kind kind, const FpEntry* entry);
    static uint32_t OutputLength(const FpChunk& chunk);
    int WaitForRoom(std::unique_lock<std::mutex>& lock, size_t need);
    int Queue(Call call, const unsigned char* data, uint32_t length, uint32_t outputLength);
    int TakeSpare(FpByteBlock& block, size_t length);
    void KeepSpare(FpByteBlock& block);
    void Run();
    void RunInflating();
    int Handle(Call& call);

    FpSink& m_target;
    int m_threads;
    size_t m_budget;
    std::mutex m_mutex;
    std::condition_variable m_queued;      // for the target's thread: a call queued or inflated
    std::condition_variable m_freed;       // for the reader: room in the budget, or a failure
    std::condition_variable m_inflates;    // for the inflating threads: a whole chunk queued
    std::deque<Call> m_calls;              // references stay valid while calls are added and taken
    std::deque<Call*> m_whole;             // whole chunks not yet taken for inflating, in order
    FpByteBlock m_heldBytes, m_heldOutput; // given out by Buffer, counted as queued
    std::vector<FpByteBlock> m_spare;
    size_t m_queuedBytes = 0; // capacity of the blocks of queued calls
    size_t m_spareBytes = 0;  // capacity of the kept blocks
    int m_stop = 0;
    int m_failed = 0; // first failure code, or 0
    int m_fileOpen = 0;
    int32_t m_lastDone = 0; // number of the last entry the target finished
    std::string m_failedName;
    const char* m_failedReason = nullptr;
    const char* m_handledReason = nullptr; // of the last failing Handle(), on the target's thread
    std::string m_currentPath,
        m_currentName;           // of the last BeginFile or Folder, on the target's thread
    FpInflater m_readerInflater; // without inflating threads, on the reader's thread
    FpWholeInflater m_inflater;  // on the target's thread
    std::thread m_thread;
    std::vector<std::thread> m_workers;
};
