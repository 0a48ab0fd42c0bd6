#include "folderpack/extract/Extractor.h"

#include "folderpack/core/ChunkInflater.h"
#include "folderpack/extract/DiskSinkWindows.h"
#include "sys/Handle.h"
#include "sys/LongPath.h"

namespace {

// Blocks of the extractor and of its inflate stream: global heap, fixed and zero-filled.
void* GlobalAllocate(void*, size_t size) {
    return GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size);
}

void GlobalRelease(void*, void* block) {
    if (block)
        GlobalFree(block);
}

const FpAllocator g_globalHeap = {GlobalAllocate, GlobalRelease, NULL};

// The extractor's callbacks behind the sink's question and reports.
class CallbackListener : public FpDiskListener {
public:
    CallbackListener(FpOverwriteCallback overwrite, FpProgressCallback progress)
        : m_overwrite(overwrite), m_progress(progress) {}
    int Replace(const char* path) override { return m_overwrite && m_overwrite(path) == IDYES; }
    void FileProgress(uint64_t done, uint64_t total) override {
        if (m_progress)
            m_progress(0, 0, int(DWORD(done)), int(DWORD(done >> 32)), int(DWORD(total)),
                       int(DWORD(total >> 32)));
    }
    void EntryDone(int32_t index, int32_t count) override {
        if (m_progress)
            m_progress(index, count, 0, 0, 0, 0);
    }

private:
    FpOverwriteCallback m_overwrite;
    FpProgressCallback m_progress;
};

// Process-wide: one extraction at a time. The stream and the buffers live for one walk.
FpInflater g_inflater(g_globalHeap);
FpReadBuffer g_readBuffer(g_globalHeap);
int g_walking = 0;
unsigned char g_readAhead[0x10000]; // ExtractFolderPack's, over the handle it owns

// Ends the stream and releases the buffers on every return from a walk.
class WalkScope {
public:
    WalkScope() {
        g_inflater.Begin(); // a failure only makes compressed chunks fail
        g_walking = 1;
    }
    ~WalkScope() {
        g_walking = 0;
        g_inflater.End();
        g_readBuffer.Release();
    }
};

// Outside a walk the buffers live for the one call.
void ReleaseOutsideWalk() {
    if (!g_walking) {
        g_inflater.End();
        g_readBuffer.Release();
    }
}

// The walk over `input`, inside a WalkScope.
int Walk(const char* destFolder, FpInput& input, FpOverwriteCallback overwrite,
         FpProgressCallback progress) {
    CallbackListener listener(overwrite, progress);
    FpDiskSinkWindows sink(0, &listener);
    FpReader reader(input, g_inflater, g_readBuffer, destFolder);
    return reader.Walk(sink);
}

} // namespace

int ExtractFolderPack(const char* destFolder, const char* archivePath,
                      FpOverwriteCallback overwrite, FpProgressCallback progress) {
    OwnedHandle archive(LongCreateFile(archivePath, GENERIC_READ, FILE_SHARE_READ, NULL,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
    if (!archive.IsValid())
        return FP_ERR_OPEN;
    WalkScope scope;
    FpReadAheadInput input(archive.Get(), g_readAhead, sizeof(g_readAhead));
    return Walk(destFolder, input, overwrite, progress);
}

int ReadFolderPack(const char* destFolder, HANDLE archive, FpOverwriteCallback overwrite,
                   FpProgressCallback progress) {
    WalkScope scope;
    if (!IsValidHandle(archive))
        return FP_ERR_CREATE;
    FpHandleInput input(archive);
    return Walk(destFolder, input, overwrite, progress);
}

int InflateChunk(const unsigned char* data, DWORD dataLength, DWORD uncompressedLength,
                 HANDLE output) {
    if (!g_walking)
        g_inflater.Begin();
    FpHandleOutput sink(output);
    int result = g_inflater.Inflate(data, dataLength, uncompressedLength, sink);
    ReleaseOutsideWalk();
    return result;
}
