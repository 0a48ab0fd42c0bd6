#include "tools/ProgressBar.h"

#include "tools/ToolPlatform.h"

#include <stdio.h>

namespace {
const std::chrono::milliseconds kDelay(400);    // short runs show nothing
const std::chrono::milliseconds kInterval(100); // redraw at most this often
const int kWidth = 40;
} // namespace

ProgressBar::ProgressBar(const char* label)
    : m_label(label), m_enabled(IsTerminal(stderr)), m_start(std::chrono::steady_clock::now()),
      m_last(m_start) {}

ProgressBar::~ProgressBar() {
    Finish();
}

void ProgressBar::Update(uint64_t done, uint64_t total) {
    if (!m_enabled)
        return;
    auto now = std::chrono::steady_clock::now();
    if (now - m_start < kDelay || (m_drawn && now - m_last < kInterval))
        return;
    m_last = now;
    int percent = total ? int(done * 100 / total) : 100;
    if (percent > 100)
        percent = 100;
    int filled = percent * kWidth / 100;
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; i++)
        bar[i] = i < filled ? '#' : '.';
    bar[kWidth] = 0;
    fprintf(stderr, "\r%s [%s] %3d%%", m_label, bar, percent);
    fflush(stderr);
    m_drawn = 1;
}

void ProgressBar::Finish() {
    if (m_drawn) {
        fprintf(stderr, "\r%*s\r", kWidth + 20, "");
        fflush(stderr);
    }
    m_drawn = 0;
    m_enabled = 0;
}
