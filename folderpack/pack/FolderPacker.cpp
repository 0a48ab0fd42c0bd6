#include "folderpack/pack/FolderPacker.h"

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

// Bytes of a slot, grown when a longer chunk comes and never cleared: every byte used is
// written first.
struct Bytes {
    std::unique_ptr<unsigned char[]> data;
    uint32_t capacity = 0;
    // 0 when the bytes cannot be had (nothing is then held).
    int Reserve(uint32_t length) {
        if (length > capacity) {
            capacity = 0;
            data.reset(new (std::nothrow) unsigned char[length]);
            if (!data)
                return 0;
            capacity = length;
        }
        return 1;
    }
};

// One chunk in flight: its raw bytes and their zlib form.
struct Slot {
    Bytes raw;
    Bytes packed;
    uint32_t packedLength = 0;
    int result = FP_OK;
    std::string error;
    int ready = 0;
};

class Packer {
public:
    Packer(FpSourceTree& tree, const std::vector<FpPackEntry>& entries, FpArchiveOutput& out,
           const FpPackOptions& options)
        : m_tree(tree), m_entries(entries), m_out(out), m_options(options) {}

    int Run(std::string& error);

private:
    void Process(size_t job, Slot& slot, FpChunkCompressor& compressor);
    void Work();
    Slot* Wait(size_t job);
    void Done(size_t job);
    void Stop();
    int WriteEntries(std::string& error);

    FpSourceTree& m_tree;
    const std::vector<FpPackEntry>& m_entries;
    FpArchiveOutput& m_out;
    const FpPackOptions& m_options;
    std::vector<Job> m_jobs;
    std::vector<Slot> m_slots;
    std::unique_ptr<FpChunkCompressor> m_compressor; // without threads
    std::mutex m_mutex;
    std::condition_variable m_ready; // for the writing thread: a slot is ready
    std::condition_variable m_freed; // for the compressing threads: a slot was written
    size_t m_next = 0;               // next job a thread takes
    size_t m_written = 0;            // jobs written so far
    int m_stop = 0;
};

void Packer::Process(size_t index, Slot& slot, FpChunkCompressor& compressor) {
    const Job& job = m_jobs[index];
    slot.error.clear();
    slot.packedLength = 0;
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
                                          &slot.packedLength);
        if (slot.result != FP_OK)
            slot.error = "zlib cannot be set up";
    }
}

void Packer::Work() {
    FpChunkCompressor compressor(m_options.level);
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_freed.wait(lock, [this] {
            return m_stop || m_next >= m_jobs.size() || m_next < m_written + m_slots.size();
        });
        if (m_stop || m_next >= m_jobs.size())
            return;
        size_t job = m_next++;
        Slot& slot = m_slots[job % m_slots.size()];
        lock.unlock();
        Process(job, slot, compressor);
        lock.lock();
        slot.ready = 1;
        m_ready.notify_one();
    }
}

Slot* Packer::Wait(size_t job) {
    Slot& slot = m_slots[job % m_slots.size()];
    if (!m_compressor) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_ready.wait(lock, [&slot] { return slot.ready != 0; });
    } else {
        Process(job, slot, *m_compressor);
    }
    return &slot;
}

void Packer::Done(size_t job) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_slots[job % m_slots.size()].ready = 0;
    m_written++;
    m_freed.notify_one();
}

void Packer::Stop() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = 1;
    m_freed.notify_all();
}

int Packer::WriteEntries(std::string& error) {
    uint64_t total = 0, done = 0;
    for (const FpPackEntry& entry : m_entries)
        total += entry.size;
    if (FpWriteHeader(m_out, int32_t(m_entries.size())) != FP_OK) {
        error = "cannot write the archive";
        return FP_ERR_WRITE;
    }
    size_t job = 0;
    for (const FpPackEntry& entry : m_entries) {
        FpEntryFields fields = {entry.name.c_str(), 0, entry.creationTime, entry.lastWriteTime};
        if (entry.isFolder) {
            fields.attributes = m_options.folderAttributes;
            if (FpWriteFolder(m_out, fields) != FP_OK) {
                error = "cannot write the archive";
                return FP_ERR_WRITE;
            }
            continue;
        }
        fields.attributes = m_options.fileAttributes;
        uint64_t recordOffset;
        int result = FpBeginFile(m_out, fields, entry.size, &recordOffset);
        for (uint64_t left = entry.size; result == FP_OK && left > 0; job++) {
            Slot* slot = Wait(job);
            uint32_t length = m_jobs[job].length;
            if (slot->result != FP_OK) {
                error = slot->error;
                return slot->result;
            }
            if (slot->packedLength)
                result = FpWriteChunk(m_out, slot->packed.data.get(), slot->packedLength, length);
            else
                result = FpWriteChunk(m_out, slot->raw.data.get(), length, length);
            Done(job);
            left -= length;
            done += length;
            if (m_options.progress)
                m_options.progress(m_options.progressContext, done, total);
        }
        if (result == FP_OK)
            result = FpEndFile(m_out, recordOffset);
        if (result != FP_OK) {
            error = "cannot write the archive";
            return result;
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
    }
    std::vector<std::thread> threads;
    int result;
    // Threads that cannot start, or memory that runs out here, end the run with a code; the
    // threads already started are stopped and joined either way.
    try {
        if (m_options.threads == 1) {
            m_compressor.reset(new FpChunkCompressor(m_options.level));
            m_slots.resize(1);
        } else {
            // Room for the threads to run well ahead of a large chunk still being compressed,
            // bounded so that many threads do not hold more than 64 chunks in flight, and so that
            // the slots' raw and packed bytes stay within FP_PACK_THREAD_BUDGET per thread.
            size_t slots = size_t(m_options.threads) * 8;
            size_t fit =
                size_t(m_options.threads) * (FP_PACK_THREAD_BUDGET / 2 / m_options.chunkSize);
            slots = std::min(std::min(slots, fit), size_t(64));
            m_slots.resize(std::max(slots, size_t(m_options.threads)));
            threads.reserve(size_t(m_options.threads));
            for (int i = 0; i < m_options.threads; i++)
                threads.emplace_back(&Packer::Work, this);
        }
        result = WriteEntries(error);
    } catch (const std::bad_alloc&) {
        result = FP_ERR_NOMEM;
        error = "out of memory";
    } catch (const std::system_error& e) {
        result = FP_ERR_NOMEM;
        error = std::string("cannot start a thread: ") + e.what();
    }
    Stop();
    for (std::thread& thread : threads)
        thread.join();
    return result;
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
