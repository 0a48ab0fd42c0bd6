#include "folderpack/AsyncSink.h"

#include <string.h>

FpAsyncSink::FpAsyncSink(FpSink& target) : m_target(target), m_thread(&FpAsyncSink::Run, this) {}

FpAsyncSink::~FpAsyncSink() {
    Finish();
}

FpAsyncSink::Call FpAsyncSink::MakeCall(Kind kind, const FpEntry* entry) {
    Call call;
    call.kind = kind;
    call.entry = entry ? *entry : FpEntry();
    if (entry) {
        call.path = entry->path;
        call.name = entry->name;
    }
    call.total = 0;
    call.index = call.count = 0;
    return call;
}

int FpAsyncSink::Queue(Call call, const unsigned char* data, uint32_t length) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (length > 0) {
        m_changed.wait(lock, [&] {
            return m_failed || m_queuedBytes == 0 || m_queuedBytes + length <= FP_ASYNC_BUDGET;
        });
        if (m_failed)
            return m_failed;
        TakeSpare(call.bytes, length);
        m_queuedBytes += length;
        lock.unlock(); // copy while the writer goes on
        call.bytes.assign(data, data + length);
        lock.lock();
    }
    if (m_failed) {
        m_queuedBytes -= length;
        return m_failed;
    }
    m_calls.push_back(std::move(call));
    m_changed.notify_all();
    return FP_OK;
}

// A buffer for `length` bytes: a kept one when one is large enough, else a new one, for which
// kept ones are given up as far as the budget needs.
void FpAsyncSink::TakeSpare(std::vector<unsigned char>& buffer, uint32_t length) {
    for (size_t i = 0; i < m_spare.size(); i++) {
        if (m_spare[i].capacity() >= length) {
            buffer.swap(m_spare[i]);
            m_spare.erase(m_spare.begin() + long(i));
            m_spareBytes -= buffer.capacity();
            return;
        }
    }
    while (!m_spare.empty() && m_queuedBytes + m_spareBytes + length > FP_ASYNC_BUDGET) {
        m_spareBytes -= m_spare.back().capacity();
        m_spare.pop_back();
    }
}

// Keeps a handled call's buffer for reuse while the queued and kept bytes stay within budget.
void FpAsyncSink::KeepSpare(std::vector<unsigned char>& buffer) {
    size_t capacity = buffer.capacity();
    if (capacity == 0 || m_queuedBytes + m_spareBytes + capacity > FP_ASYNC_BUDGET)
        return; // released with the call
    buffer.clear();
    m_spareBytes += capacity;
    m_spare.push_back(std::move(buffer));
}

int FpAsyncSink::BeginFile(const FpEntry& entry) {
    return Queue(MakeCall(BEGIN_FILE, &entry), nullptr, 0);
}

int FpAsyncSink::Write(const unsigned char* data, uint32_t length) {
    // Pieces beyond the budget go in parts, so that the queue never holds more.
    do {
        uint32_t part = length < FP_ASYNC_BUDGET ? length : FP_ASYNC_BUDGET;
        int result = Queue(MakeCall(WRITE, nullptr), data, part);
        if (result != FP_OK)
            return result;
        data += part;
        length -= part;
    } while (length > 0);
    return FP_OK;
}

void FpAsyncSink::ChunkDone(const FpEntry& entry, uint64_t total) {
    Call call = MakeCall(CHUNK_DONE, &entry);
    call.total = total;
    Queue(std::move(call), nullptr, 0);
}

int FpAsyncSink::EndFile(const FpEntry& entry) {
    return Queue(MakeCall(END_FILE, &entry), nullptr, 0);
}

void FpAsyncSink::AbortFile(const FpEntry& entry) {
    Queue(MakeCall(ABORT_FILE, &entry), nullptr, 0);
}

int FpAsyncSink::Folder(const FpEntry& entry) {
    return Queue(MakeCall(FOLDER, &entry), nullptr, 0);
}

void FpAsyncSink::EntryDone(int32_t index, int32_t count) {
    Call call = MakeCall(ENTRY_DONE, nullptr);
    call.index = index;
    call.count = count;
    Queue(std::move(call), nullptr, 0);
}

int FpAsyncSink::Handle(Call& call) {
    call.entry.path = call.path.c_str();
    call.entry.name = call.name.c_str();
    int result = FP_OK;
    switch (call.kind) {
    case BEGIN_FILE:
        result = m_target.BeginFile(call.entry);
        m_fileOpen = result == FP_OK;
        m_currentName = call.name;
        break;
    case WRITE:
        result = m_target.Write(call.bytes.data(), uint32_t(call.bytes.size()));
        if (result != FP_OK && m_fileOpen) {
            // The reader would have aborted the file at this failure.
            FpEntry current = FpEntry();
            current.path = current.name = m_currentName.c_str();
            m_target.AbortFile(current);
            m_fileOpen = 0;
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
        m_currentName = call.name;
        result = m_target.Folder(call.entry);
        break;
    case ENTRY_DONE:
        m_lastDone = call.index;
        m_target.EntryDone(call.index, call.count);
        break;
    }
    return result;
}

void FpAsyncSink::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || !m_calls.empty(); });
        if (m_calls.empty())
            return; // stopped and drained
        Call call = std::move(m_calls.front());
        m_calls.pop_front();
        int failed = m_failed;
        lock.unlock();
        int result = failed ? FP_OK : Handle(call);
        lock.lock();
        m_queuedBytes -= call.bytes.size();
        KeepSpare(call.bytes);
        std::vector<unsigned char>().swap(call.bytes); // released before the reader hears
        if (result != FP_OK && !m_failed) {
            m_failed = result;
            m_failedName = m_currentName;
        }
        m_changed.notify_all();
    }
}

int FpAsyncSink::Finish() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = 1;
        m_changed.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
    return m_failed;
}
