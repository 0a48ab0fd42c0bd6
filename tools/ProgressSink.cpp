#include "tools/ProgressSink.h"

void ProgressSink::ChunkDone(const FpEntry& entry, uint64_t total) {
    m_bar.Update(m_input.Position(), m_input.Size());
    m_target.ChunkDone(entry, total);
}
