#include "folderpack/pack/FolderPacker.h"

#include "folderpack/core/ByteBlock.h"
#include "folderpack/core/ChunkCodec.h"
#include "folderpack/core/EntryName.h"
#include "folderpack/pack/IncompressibleGuess.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace {

int HasSeparator(const std::string& name) {
    for (const char* p = name.c_str(); *p; p += FpCharLength(p)) {
        if (*p == '\\' || *p == '/')
            return 1;
    }
    return 0;
}

int CheckStoredName(const std::string& name, const std::string& native, std::string& error) {
    if (FpCheckName(name.c_str(), uint32_t(name.size() + 1)) != FP_OK) {
        error = "\"" + native +
                "\": name refused by the extractor (a device name, a colon, or a "
                "part ending in a dot or a blank)";
        return FP_ERR_NAME;
    }
    if (FpCheckNameFits(0, uint32_t(name.size() + 1)) != FP_OK ||
        FpCheckLeadingParts(name.c_str()) != FP_OK) {
        error = "\"" + native + "\": path too long for the extractor";
        return FP_ERR_LIMIT;
    }
    return FP_OK;
}

int CollectFolder(FpSourceTree& tree, const std::string& stored, const std::string& native,
                  std::vector<FpPackEntry>& entries, std::string& error) {
    std::vector<FpSourceItem> items;
    int result = tree.List(native, items, error);
    if (result != FP_OK)
        return result;
    for (const FpSourceItem& item : items) {
        if (item.name.empty() || HasSeparator(item.name)) {
            error = "\"" + native + item.nativeName + "\": name holds a path separator";
            return FP_ERR_NAME;
        }
    }
    std::sort(items.begin(), items.end(), [](const FpSourceItem& a, const FpSourceItem& b) {
        return FpCompareNames(a.name.c_str(), b.name.c_str()) < 0;
    });
    for (const FpSourceItem& item : items) {
        if (!item.isFolder)
            continue;
        std::string childStored = stored + item.name + "\\";
        std::string childNative = native + item.nativeName + "/";
        result = CheckStoredName(childStored, childNative, error);
        if (result == FP_OK)
            result = CollectFolder(tree, childStored, childNative, entries, error);
        if (result != FP_OK)
            return result;
        entries.push_back({1, childStored, childNative, 0, item.creationTime, item.lastWriteTime});
    }
    for (const FpSourceItem& item : items) {
        if (item.isFolder)
            continue;
        FpPackEntry entry = {0,         stored + item.name, native + item.nativeName,
                             item.size, item.creationTime,  item.lastWriteTime};
        result = CheckStoredName(entry.name, entry.source, error);
        if (result != FP_OK)
            return result;
        entries.push_back(entry);
    }
    return FP_OK;
}

struct Job {
    size_t entry;
    uint64_t offset;
    uint32_t length;
};

// One chunk in flight: its raw bytes and their zlib form, in blocks grown when a longer chunk
// comes, and which of them is written.
struct Slot {
    FpByteBlock raw;
    FpByteBlock packed;
    FpChunk chunk = {};
    int result = FP_OK;
    std::string error;
    int ready = 0;
};

// Each packing thread takes the next chunk, reads and compresses it, and then writes whatever
// chunks are ready in archive order, unless another thread is writing: no thread waits for
// another except when every slot is taken. The caller packs alone when one thread is asked for,
// and otherwise only waits for the end.
class Packer {
public:
    Packer(FpSourceTree& tree, const std::vector<FpPackEntry>& entries, FpArchiveOutput& out,
           const FpPackOptions& options)
        : m_tree(tree), m_entries(entries), m_out(out), m_options(options) {}

    int Run(std::string& error);

private:
    void Process(size_t job, Slot& slot, FpChunkCompressor& compressor);
    void Work(FpChunkCompressor& compressor);
    void WorkOnThread();
    void Fail(int result, const std::string& error);
    FpEntryFields Fields(const FpPackEntry& entry) const;
    int WriteWhole(const FpPackEntry& entry);
    int WriteJob(size_t job, std::string& error);
    int WriteRest(std::string& error);

    FpSourceTree& m_tree;
    const std::vector<FpPackEntry>& m_entries;
    FpArchiveOutput& m_out;
    const FpPackOptions& m_options;
    std::vector<Job> m_jobs;
    std::vector<Slot> m_slots;
    std::mutex m_mutex;
    std::condition_variable m_freed; // for the packing threads: a slot was written, or a failure
    std::condition_variable m_ended; // for the caller: every chunk was written, or a failure
    size_t m_next = 0;               // next job a thread takes
    size_t m_written = 0;            // jobs written so far
    int m_writing = 0;               // a thread is writing
    int m_result = FP_OK;            // the first failure in archive order
    std::string m_error;
    // Of the writing thread only.
    size_t m_entry = 0;  // next entry whose start is not written
    uint64_t m_left = 0; // bytes of the open file not yet written
    uint64_t m_recordOffset = 0;
    uint64_t m_done = 0;
    uint64_t m_total = 0;
};

void Packer::Process(size_t index, Slot& slot, FpChunkCompressor& compressor) {
    const Job& job = m_jobs[index];
    slot.error.clear();
    uint32_t packedLength = 0;
    if (!slot.raw.Reserve(job.length) || !slot.packed.Reserve(job.length)) {
        slot.result = FP_ERR_NOMEM;
        slot.error = "out of memory";
        return;
    }
    slot.result = m_tree.ReadAt(m_entries[job.entry].source, job.offset, slot.raw.data.get(),
                                job.length, slot.error);
    if (slot.result == FP_OK && !FpLooksIncompressible(compressor, slot.raw.data.get(), job.length,
                                                       slot.packed.data.get())) {
        slot.result = compressor.Compress(slot.raw.data.get(), job.length, slot.packed.data.get(),
                                          &packedLength);
        if (slot.result != FP_OK)
            slot.error = "zlib cannot be set up";
    }
    slot.chunk = FpEncodedChunk(job.length, packedLength);
}

void Packer::Fail(int result, const std::string& error) {
    if (m_result == FP_OK) {
        m_result = result;
        m_error = error;
    }
    m_freed.notify_all();
    m_ended.notify_all();
}

void Packer::Work(FpChunkCompressor& compressor) {
    const size_t count = m_slots.size();
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_freed.wait(lock, [this, count] {
            return m_result != FP_OK || m_next >= m_jobs.size() || m_next < m_written + count;
        });
        if (m_result != FP_OK || m_next >= m_jobs.size())
            return;
        size_t job = m_next++;
        Slot& slot = m_slots[job % count];
        lock.unlock();
        Process(job, slot, compressor);
        lock.lock();
        slot.ready = 1;
        if (m_writing)
            continue; // the writing thread takes this chunk when it comes to it
        m_writing = 1;
        while (m_result == FP_OK && m_slots[m_written % count].ready) {
            size_t next = m_written;
            std::string error;
            lock.unlock();
            int result = WriteJob(next, error);
            lock.lock();
            m_slots[next % count].ready = 0;
            m_written++;
            if (result != FP_OK)
                Fail(result, error);
            m_freed.notify_all();
        }
        if (m_written == m_jobs.size())
            m_ended.notify_all();
        m_writing = 0;
    }
}

// An exception here would end the process: it ends the run instead.
void Packer::WorkOnThread() {
    try {
        FpChunkCompressor compressor(m_options.level);
        Work(compressor);
    } catch (const std::bad_alloc&) {
        std::lock_guard<std::mutex> lock(m_mutex);
        Fail(FP_ERR_NOMEM, "out of memory");
    } catch (const std::exception& e) {
        std::lock_guard<std::mutex> lock(m_mutex);
        Fail(FP_ERR_NOMEM, e.what());
    }
}

FpEntryFields Packer::Fields(const FpPackEntry& entry) const {
    FpEntryFields fields = {entry.name.c_str(),
                            entry.isFolder ? m_options.folderAttributes : m_options.fileAttributes,
                            entry.creationTime, entry.lastWriteTime};
    return fields;
}

int Packer::WriteWhole(const FpPackEntry& entry) {
    if (entry.isFolder)
        return FpWriteFolder(m_out, Fields(entry));
    uint64_t recordOffset;
    int result = FpBeginFile(m_out, Fields(entry), 0, &recordOffset);
    return result == FP_OK ? FpEndFile(m_out, recordOffset) : result;
}

// Writes the entries before the job's file that are not yet written (folders and empty files),
// the file's start if this is its first chunk, the chunk, and the file's end after its last one.
int Packer::WriteJob(size_t index, std::string& error) {
    const Job& job = m_jobs[index];
    const Slot& slot = m_slots[index % m_slots.size()];
    if (slot.result != FP_OK) {
        error = slot.error;
        return slot.result;
    }
    int result = FP_OK;
    if (m_left == 0) {
        for (; result == FP_OK && m_entry < job.entry; m_entry++)
            result = WriteWhole(m_entries[m_entry]);
        const FpPackEntry& entry = m_entries[job.entry];
        if (result == FP_OK)
            result = FpBeginFile(m_out, Fields(entry), entry.size, &m_recordOffset);
        m_entry = job.entry + 1;
        m_left = entry.size;
    }
    if (result == FP_OK) {
        const FpByteBlock& data = slot.chunk.stored ? slot.raw : slot.packed;
        result = FpWriteChunk(m_out, data.data.get(), slot.chunk.dataLength, slot.chunk.length);
    }
    m_left -= job.length;
    m_done += job.length;
    if (result == FP_OK && m_left == 0)
        result = FpEndFile(m_out, m_recordOffset);
    if (result != FP_OK) {
        error = "cannot write the archive";
        return result;
    }
    if (m_options.progress)
        m_options.progress(m_options.progressContext, m_done, m_total);
    return FP_OK;
}

// The entries after the last chunk: folders and empty files.
int Packer::WriteRest(std::string& error) {
    for (; m_entry < m_entries.size(); m_entry++) {
        if (WriteWhole(m_entries[m_entry]) != FP_OK) {
            error = "cannot write the archive";
            return FP_ERR_WRITE;
        }
    }
    return FP_OK;
}

int Packer::Run(std::string& error) {
    if (m_options.level < 0 || m_options.level > 9 || m_options.threads < 1 ||
        m_options.chunkSize < 1 || m_options.chunkSize > FP_READ_BUFFER_SIZE ||
        m_entries.size() > size_t(INT32_MAX)) {
        error = "invalid options";
        return FP_ERR_LIMIT;
    }
    for (size_t i = 0; i < m_entries.size(); i++) {
        uint64_t size = m_entries[i].isFolder ? 0 : m_entries[i].size;
        uint64_t count = (size + m_options.chunkSize - 1) / m_options.chunkSize;
        uint64_t offset = 0;
        for (uint64_t c = 0; c < count; c++) {
            uint32_t length = uint32_t(size / count + (c < size % count ? 1 : 0));
            m_jobs.push_back({i, offset, length});
            offset += length;
        }
        m_total += size;
    }
    if (FpWriteHeader(m_out, int32_t(m_entries.size())) != FP_OK) {
        error = "cannot write the archive";
        return FP_ERR_WRITE;
    }
    std::vector<std::thread> threads;
    // Threads that cannot start, or memory that runs out here, end the run with a code; the
    // threads already started are stopped and joined either way.
    try {
        // Room for the threads to run well ahead of a large chunk still being compressed,
        // bounded so that many threads do not hold more than 64 chunks in flight, and so that
        // the slots' raw and packed bytes stay within FP_PACK_THREAD_BUDGET per thread. One
        // thread has one chunk in flight.
        size_t slots = size_t(m_options.threads) * 8;
        size_t fit = size_t(m_options.threads) * (FP_PACK_THREAD_BUDGET / 2 / m_options.chunkSize);
        slots = std::min(std::min(slots, fit), size_t(64));
        m_slots.resize(m_options.threads == 1 ? 1 : std::max(slots, size_t(m_options.threads)));
        if (m_options.threads == 1) {
            FpChunkCompressor compressor(m_options.level);
            Work(compressor);
        } else {
            threads.reserve(size_t(m_options.threads));
            for (int i = 0; i < m_options.threads; i++)
                threads.emplace_back(&Packer::WorkOnThread, this);
        }
        std::unique_lock<std::mutex> lock(m_mutex);
        m_ended.wait(lock, [this] { return m_result != FP_OK || m_written == m_jobs.size(); });
    } catch (const std::bad_alloc&) {
        std::lock_guard<std::mutex> lock(m_mutex);
        Fail(FP_ERR_NOMEM, "out of memory");
    } catch (const std::system_error& e) {
        std::lock_guard<std::mutex> lock(m_mutex);
        Fail(FP_ERR_NOMEM, std::string("cannot start a thread: ") + e.what());
    }
    for (std::thread& thread : threads)
        thread.join();
    if (m_result != FP_OK) {
        error = m_error;
        return m_result;
    }
    return WriteRest(error);
}

} // namespace

int FpCollectEntries(FpSourceTree& tree, std::vector<FpPackEntry>& entries, std::string& error) {
    entries.clear();
    return CollectFolder(tree, "", "", entries, error);
}

int FpPack(FpSourceTree& tree, const std::vector<FpPackEntry>& entries, FpArchiveOutput& out,
           const FpPackOptions& options, std::string& error) {
    Packer packer(tree, entries, out, options);
    return packer.Run(error);
}
