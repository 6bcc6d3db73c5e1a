#include "vellicor/tools/render/ProgressBar.h"

#include <unistd.h>

namespace
{
constexpr std::chrono::milliseconds kQuietStart{2000};
constexpr int kWidth = 30;
} // namespace

ProgressBar::ProgressBar(std::FILE* stream)
    : out(stream), start(std::chrono::steady_clock::now()), fileStart(start), last(start)
{
}

bool ProgressBar::Wanted(std::FILE* stream, bool quiet)
{
    return !quiet && isatty(fileno(stream));
}

void ProgressBar::StartFile(int32_t index, int32_t count, int64_t totalFrames, double sampleRate)
{
    file = index;
    files = count;
    total = totalFrames;
    rate = sampleRate > 0.0 ? sampleRate : 1.0;
    fileStart = std::chrono::steady_clock::now();
}

void ProgressBar::Update(int64_t done)
{
    const auto now = std::chrono::steady_clock::now();
    if (now - start < kQuietStart) return;
    if (drawn && now - last < std::chrono::milliseconds(100)) return;
    last = now;
    const double fraction = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0;
    const int filled = static_cast<int>(fraction * kWidth);
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[kWidth] = '\0';
    const double seconds = std::chrono::duration<double>(now - fileStart).count();
    const double speed = seconds > 0.0 ? static_cast<double>(done) / rate / seconds : 0.0;
    std::fprintf(out, "\r[%s] file %d of %d, %lld of %lld frames, %.1fx realtime ", bar, file + 1, files,
                 static_cast<long long>(done), static_cast<long long>(total), speed);
    std::fflush(out);
    drawn = true;
}

void ProgressBar::Finish()
{
    if (!drawn) return;
    std::fprintf(out, "\r%*s\r", kWidth + 80, "");
    std::fflush(out);
    drawn = false;
}
