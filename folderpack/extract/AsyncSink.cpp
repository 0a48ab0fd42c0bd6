#include "folderpack/extract/AsyncSink.h"

#include <string.h>

// Blocks come in steps of this size, so that a kept one serves many chunks of similar length.
#define FP_ASYNC_BLOCK_STEP 0x10000u

FpAsyncSink::FpAsyncSink(FpSink& target, int inflateThreads)
    : m_target(target), m_threads(inflateThreads > 0 ? inflateThreads : 0),
      m_budget(FP_ASYNC_BUDGET + size_t(m_threads) * FP_INFLATE_JOB_BUDGET),
      m_readerInflater(FpDefaultAllocator()) {
    if (m_threads == 0)
        m_readerInflater.Begin(); // a failure makes compressed chunks fail, as in the reader
    m_thread = std::thread(&FpAsyncSink::Run, this);
    for (int i = 0; i < m_threads; i++)
        m_workers.emplace_back(&FpAsyncSink::RunInflating, this);
}

FpAsyncSink::~FpAsyncSink() {
    Finish();
}

FpAsyncSink::Call FpAsyncSink::MakeCall(Kind kind, const FpEntry* entry) {
    Call call;
    call.kind = kind;
    call.entry = entry ? *entry : FpEntry();
    // A file's later calls are for the file its BeginFile named (FpSink's order of calls), and
    // take the names that BeginFile left on the target's thread.
    if (kind == BEGIN_FILE || kind == FOLDER) {
        call.path = entry->path;
        call.name = entry->name;
    }
    return call;
}

// Bytes of the output block of a compressed chunk: one for the whole output, also of 0 bytes,
// none for a stored chunk or one inflated window by window.
uint32_t FpAsyncSink::OutputLength(const FpChunk& chunk) {
    if (chunk.stored || chunk.length > FP_WHOLE_INFLATE_LIMIT)
        return 0;
    return chunk.length ? chunk.length : 1;
}

// Waits until `need` more bytes fit the budget (or nothing is queued): FP_OK or the failure code.
int FpAsyncSink::WaitForRoom(std::unique_lock<std::mutex>& lock, size_t need) {
    m_freed.wait(
        lock, [&] { return m_failed || m_queuedBytes == 0 || m_queuedBytes + need <= m_budget; });
    return m_failed;
}

unsigned char* FpAsyncSink::Buffer(const FpChunk& chunk) {
    if (m_threads == 0 || chunk.dataLength == 0)
        return nullptr;
    std::unique_lock<std::mutex> lock(m_mutex);
    // A block whose read failed goes back first.
    m_queuedBytes -= m_heldBytes.capacity + m_heldOutput.capacity;
    KeepSpare(m_heldBytes);
    KeepSpare(m_heldOutput);
    uint32_t output = OutputLength(chunk);
    if (WaitForRoom(lock, size_t(chunk.dataLength) + output) != FP_OK ||
        !TakeSpare(m_heldBytes, chunk.dataLength) || !TakeSpare(m_heldOutput, output)) {
        m_heldBytes = FpByteBlock();
        m_heldOutput = FpByteBlock();
        return nullptr;
    }
    m_queuedBytes += m_heldBytes.capacity + m_heldOutput.capacity;
    return m_heldBytes.data.get();
}

// Queues `call` with `length` bytes of `data` and, for `outputLength` > 0, a block for that many
// inflated bytes: the blocks of Buffer when `data` is the one it gave, else copies once the
// budget has room for them.
int FpAsyncSink::Queue(Call call, const unsigned char* data, uint32_t length,
                       uint32_t outputLength) {
    std::unique_lock<std::mutex> lock(m_mutex);
    size_t need = size_t(length) + outputLength;
    if (data && data == m_heldBytes.data.get()) {
        call.bytes = std::move(m_heldBytes);
        call.output = std::move(m_heldOutput);
        m_heldBytes = FpByteBlock();
        m_heldOutput = FpByteBlock();
        call.length = length;
    } else if (need > 0) {
        if (WaitForRoom(lock, need) != FP_OK)
            return m_failed;
        if (!TakeSpare(call.bytes, length) || !TakeSpare(call.output, outputLength))
            return FP_ERR_NOMEM;
        m_queuedBytes += call.bytes.capacity + call.output.capacity;
        lock.unlock(); // copy while the others go on
        if (length > 0)
            memcpy(call.bytes.data.get(), data, length);
        call.length = length;
        lock.lock();
    }
    if (m_failed) {
        m_queuedBytes -= call.bytes.capacity + call.output.capacity;
        return m_failed;
    }
    m_calls.push_back(std::move(call));
    if (m_calls.back().kind == INFLATE && m_calls.back().output.capacity > 0) {
        m_whole.push_back(&m_calls.back());
        m_inflates.notify_one();
    }
    m_queued.notify_one();
    return FP_OK;
}

// A block for `length` bytes (none for 0): the smallest kept one that is large enough, else a
// new one, for which kept ones are given up as far as the budget needs.
int FpAsyncSink::TakeSpare(FpByteBlock& block, size_t length) {
    if (length == 0)
        return 1;
    size_t best = m_spare.size();
    for (size_t i = 0; i < m_spare.size(); i++) {
        if (m_spare[i].capacity >= length &&
            (best == m_spare.size() || m_spare[i].capacity < m_spare[best].capacity))
            best = i;
    }
    if (best < m_spare.size()) {
        block = std::move(m_spare[best]);
        m_spare.erase(m_spare.begin() + long(best));
        m_spareBytes -= block.capacity;
        return 1;
    }
    size_t capacity =
        (length + FP_ASYNC_BLOCK_STEP - 1) / FP_ASYNC_BLOCK_STEP * FP_ASYNC_BLOCK_STEP;
    while (!m_spare.empty() && m_queuedBytes + m_spareBytes + capacity > m_budget) {
        m_spareBytes -= m_spare.back().capacity;
        m_spare.pop_back();
    }
    return block.Reserve(capacity);
}

// Keeps a handled call's block for reuse while the queued and kept bytes stay within budget.
void FpAsyncSink::KeepSpare(FpByteBlock& block) {
    if (block.capacity == 0 || m_queuedBytes + m_spareBytes + block.capacity > m_budget) {
        block = FpByteBlock();
        return;
    }
    m_spareBytes += block.capacity;
    m_spare.push_back(std::move(block));
    block = FpByteBlock();
}

int FpAsyncSink::BeginFile(const FpEntry& entry) {
    return Queue(MakeCall(BEGIN_FILE, &entry), nullptr, 0, 0);
}

int FpAsyncSink::Write(const unsigned char* data, uint32_t length) {
    if (data == m_heldBytes.data.get() && data)
        return Queue(MakeCall(WRITE, nullptr), data, length, 0); // held whole, within budget
    // Pieces beyond the budget go in parts, so that the queue never holds more.
    do {
        uint32_t part = length < FP_ASYNC_BUDGET ? length : FP_ASYNC_BUDGET;
        int result = Queue(MakeCall(WRITE, nullptr), data, part, 0);
        if (result != FP_OK)
            return result;
        data += part;
        length -= part;
    } while (length > 0);
    return FP_OK;
}

int FpAsyncSink::Inflate(const unsigned char* data, uint32_t dataLength,
                         uint32_t uncompressedLength, FpChunkOutput& output) {
    if (m_threads == 0) {
        int result = m_readerInflater.Inflate(data, dataLength, uncompressedLength, output);
        m_reason = m_readerInflater.Reason();
        return result;
    }
    Call call = MakeCall(INFLATE, nullptr);
    call.chunk = FpChunk{dataLength, uncompressedLength, 0};
    uint32_t outputLength = OutputLength(call.chunk);
    return Queue(std::move(call), data, dataLength, outputLength);
}

void FpAsyncSink::ChunkDone(const FpEntry& entry, uint64_t total) {
    Call call = MakeCall(CHUNK_DONE, &entry);
    call.total = total;
    Queue(std::move(call), nullptr, 0, 0);
}

int FpAsyncSink::EndFile(const FpEntry& entry) {
    return Queue(MakeCall(END_FILE, &entry), nullptr, 0, 0);
}

void FpAsyncSink::AbortFile(const FpEntry& entry) {
    Queue(MakeCall(ABORT_FILE, &entry), nullptr, 0, 0);
}

int FpAsyncSink::Folder(const FpEntry& entry) {
    return Queue(MakeCall(FOLDER, &entry), nullptr, 0, 0);
}

void FpAsyncSink::EntryDone(int32_t index, int32_t count) {
    Call call = MakeCall(ENTRY_DONE, nullptr);
    call.index = index;
    call.count = count;
    Queue(std::move(call), nullptr, 0, 0);
}

int FpAsyncSink::Handle(Call& call) {
    if (call.kind == BEGIN_FILE || call.kind == FOLDER) {
        m_currentPath.swap(call.path);
        m_currentName.swap(call.name);
    }
    call.entry.path = m_currentPath.c_str();
    call.entry.name = m_currentName.c_str();
    int result = FP_OK;
    m_handledReason = FP_WHY_SHORT_WRITE;
    switch (call.kind) {
    case BEGIN_FILE:
        result = m_target.BeginFile(call.entry);
        m_fileOpen = result == FP_OK;
        break;
    case WRITE:
        result = m_target.Write(call.bytes.data.get(), call.length);
        break;
    case INFLATE:
        if (call.output.capacity == 0) {
            result = m_inflater.Decode(call.chunk, call.bytes.data.get(), m_target);
            m_handledReason = m_inflater.Reason();
        } else {
            result = call.result;
            if (result != FP_OK)
                m_handledReason = call.reason;
            if (result == FP_OK && call.chunk.length > 0)
                result = m_target.Write(call.output.data.get(), call.chunk.length);
        }
        break;
    case CHUNK_DONE:
        m_target.ChunkDone(call.entry, call.total);
        break;
    case END_FILE:
        m_fileOpen = 0;
        result = m_target.EndFile(call.entry);
        break;
    case ABORT_FILE:
        m_fileOpen = 0;
        m_target.AbortFile(call.entry);
        break;
    case FOLDER:
        result = m_target.Folder(call.entry);
        break;
    case ENTRY_DONE:
        m_lastDone = call.index;
        m_target.EntryDone(call.index, call.count);
        break;
    }
    if (result != FP_OK && m_fileOpen && (call.kind == WRITE || call.kind == INFLATE)) {
        // The reader would have aborted the file at this failure.
        m_target.AbortFile(call.entry);
        m_fileOpen = 0;
    }
    return result;
}

// The target's thread: every call in order, a whole chunk once it has been inflated (by this
// thread itself when no other has taken it yet).
void FpAsyncSink::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_queued.wait(lock, [this] { return m_stop || !m_calls.empty(); });
        if (m_calls.empty())
            return; // stopped and drained
        Call& front = m_calls.front();
        if (front.kind == INFLATE && front.output.capacity > 0 && front.state != INFLATED) {
            if (front.state == WAITING && !m_failed) {
                m_whole.pop_front(); // the earliest waiting chunk is this one
                front.state = INFLATING;
                lock.unlock();
                front.result = m_inflater.InflateWhole(front.bytes.data.get(), front.length,
                                                       front.output.data.get(), front.chunk.length);
                front.reason = m_inflater.Reason();
                lock.lock();
                front.state = INFLATED;
            } else if (front.state == INFLATING) {
                m_queued.wait(lock, [&front] { return front.state == INFLATED; });
            }
        }
        Call call = std::move(m_calls.front());
        m_calls.pop_front();
        int failed = m_failed;
        lock.unlock();
        int result = failed ? FP_OK : Handle(call);
        lock.lock();
        m_queuedBytes -= call.bytes.capacity + call.output.capacity;
        KeepSpare(call.bytes);
        KeepSpare(call.output);
        if (result != FP_OK && !m_failed) {
            m_failed = result;
            m_failedName = m_currentName;
            m_failedReason = m_handledReason;
            for (Call* waiting : m_whole)
                waiting->state = INFLATED; // never inflated: nothing more is handled
            m_whole.clear();
        }
        m_freed.notify_one();
    }
}

// An inflating thread: whole chunks in the order they were queued.
void FpAsyncSink::RunInflating() {
    FpWholeInflater inflater;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_inflates.wait(lock, [this] { return m_stop || !m_whole.empty(); });
        if (m_whole.empty())
            return;
        Call* call = m_whole.front();
        m_whole.pop_front();
        call->state = INFLATING;
        lock.unlock();
        call->result = inflater.InflateWhole(call->bytes.data.get(), call->length,
                                             call->output.data.get(), call->chunk.length);
        call->reason = inflater.Reason();
        lock.lock();
        call->state = INFLATED;
        m_queued.notify_one();
    }
}

int FpAsyncSink::Finish() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = 1;
        m_queued.notify_all();
        m_inflates.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
    for (std::thread& worker : m_workers) {
        if (worker.joinable())
            worker.join();
    }
    return m_failed;
}
