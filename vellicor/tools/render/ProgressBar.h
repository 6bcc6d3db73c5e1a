#pragma once
// A one-line progress bar on a terminal's stderr, redrawn at most ten times a second.
#include <chrono>
#include <cstdint>
#include <cstdio>

class ProgressBar
{
public:
    ProgressBar(std::FILE* out, int64_t totalFrames, double sampleRate);
    ~ProgressBar() { Finish(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void Update(int64_t framesDone);
    void Finish(); // clears the line

    // Long enough to be worth a bar, and a terminal to draw it on.
    static bool Wanted(std::FILE* out, int64_t totalFrames, double sampleRate, bool quiet);

private:
    std::FILE* out;
    int64_t total;
    double rate;
    bool drawn = false;
    std::chrono::steady_clock::time_point last;
};
