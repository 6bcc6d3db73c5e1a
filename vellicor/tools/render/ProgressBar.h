#pragma once
// A one-line progress report on a terminal's stderr: files and frames done and the speed, redrawn
// at most ten times a second, and only once the render has taken about two seconds (a shorter one
// is over before a line could be read).
#include <chrono>
#include <cstdint>
#include <cstdio>

class ProgressBar
{
public:
    explicit ProgressBar(std::FILE* out);
    ~ProgressBar() { Finish(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // The file now rendered: its place among all and its length.
    void StartFile(int32_t index, int32_t count, int64_t totalFrames, double sampleRate);
    void Update(int64_t framesDone);
    void Finish(); // clears the line

    // A terminal to draw on, and not --quiet.
    static bool Wanted(std::FILE* out, bool quiet);

private:
    std::FILE* out;
    int32_t file = 0, files = 1;
    int64_t total = 0;
    double rate = 1.0;
    bool drawn = false;
    std::chrono::steady_clock::time_point start, fileStart, last;
};
