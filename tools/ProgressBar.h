// A one-line progress bar on standard error, drawn only when that is a terminal and the run has
// lasted a moment, and erased when done.
#pragma once

#include <stdint.h>

#include <chrono>

class ProgressBar {
public:
    explicit ProgressBar(const char* label);
    ~ProgressBar(); // as Finish()
    void Update(uint64_t done, uint64_t total);
    void Finish();

private:
    const char* m_label;
    int m_enabled;
    int m_drawn = 0;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_last;
};
