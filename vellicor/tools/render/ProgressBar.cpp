#include "vellicor/tools/render/ProgressBar.h"

#include <unistd.h>

namespace
{
constexpr double kMinSeconds = 30.0; // shorter files finish before a bar would be read
constexpr int kWidth = 40;
} // namespace

ProgressBar::ProgressBar(std::FILE* stream, int64_t totalFrames, double sampleRate)
    : out(stream), total(totalFrames), rate(sampleRate), last(std::chrono::steady_clock::now())
{
}

bool ProgressBar::Wanted(std::FILE* stream, int64_t totalFrames, double sampleRate, bool quiet)
{
    return !quiet && isatty(fileno(stream)) && totalFrames > static_cast<int64_t>(kMinSeconds * sampleRate);
}

void ProgressBar::Update(int64_t done)
{
    const auto now = std::chrono::steady_clock::now();
    if (drawn && now - last < std::chrono::milliseconds(100)) return;
    last = now;
    const double fraction = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0;
    const int filled = static_cast<int>(fraction * kWidth);
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[kWidth] = '\0';
    std::fprintf(out, "\r[%s] %3d%%  %.1f of %.1f s", bar, static_cast<int>(fraction * 100.0),
                 static_cast<double>(done) / rate, static_cast<double>(total) / rate);
    std::fflush(out);
    drawn = true;
}

void ProgressBar::Finish()
{
    if (!drawn) return;
    std::fprintf(out, "\r%*s\r", kWidth + 40, "");
    std::fflush(out);
    drawn = false;
}
