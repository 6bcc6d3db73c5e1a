#include "tools/render/Renderer.h"

#include "tools/render/AudioReader.h"
#include "tools/render/AudioWriter.h"
#include "tools/render/ProgressBar.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// About 8192 frames per file access, whatever the block size.
int64_t ChunkFrames(int32_t block)
{
    return static_cast<int64_t>(block) * std::max<int64_t>(1, 8192 / block);
}
} // namespace

bool Renderer::Run(AudioReader& reader, AudioWriter& writer, RenderStats& stats, std::string& error)
{
    if (precision == Precision::Double) return RunAs<double>(reader, writer, stats, error);
    return RunAs<float>(reader, writer, stats, error);
}

template <class T>
bool Renderer::RunAs(AudioReader& reader, AudioWriter& writer, RenderStats& stats, std::string& error)
{
    const Clock::time_point start = Clock::now();
    const int32_t channels = reader.Channels();
    const int64_t chunk = ChunkFrames(block);
    stats = RenderStats();
    stats.channels = channels;

    std::vector<T> interleavedIn(static_cast<size_t>(chunk * channels));
    std::vector<T> interleavedOut(static_cast<size_t>(chunk * channels));
    std::vector<std::vector<T>> in(static_cast<size_t>(channels), std::vector<T>(static_cast<size_t>(chunk)));
    std::vector<std::vector<T>> out(static_cast<size_t>(channels),
                                    std::vector<T>(static_cast<size_t>(chunk)));
    T* inPtr[2] = {nullptr, nullptr};
    T* outPtr[2] = {nullptr, nullptr};
    double peakIn[2] = {0.0, 0.0}, peakOut[2] = {0.0, 0.0};

    for (;;)
    {
        if (cancel && *cancel)
        {
            error = "interrupted";
            return false;
        }
        // Mono needs no (de)interleaving: read and write the channel buffers directly.
        T* readInto = channels == 1 ? in[0].data() : interleavedIn.data();
        const int64_t got = reader.Read(readInto, chunk);
        if (reader.Failed())
        {
            error = reader.LastError();
            return false;
        }
        if (got == 0) break;

        for (int32_t c = 0; c < channels; ++c)
        {
            T* dst = in[static_cast<size_t>(c)].data();
            double peak = peakIn[c];
            if (channels != 1)
            {
                const T* src = interleavedIn.data() + c;
                for (int64_t i = 0; i < got; ++i)
                    dst[i] = src[i * channels];
            }
            // A NaN or infinity would stay in the limiter's envelope for good: refuse it.
            T sum = 0;
            for (int64_t i = 0; i < got; ++i)
            {
                const T a = std::fabs(dst[i]);
                sum += a * 0;
                peak = a > peak ? a : peak;
            }
            if (!std::isfinite(sum))
            {
                int64_t i = 0;
                while (i < got && std::isfinite(dst[i]))
                    ++i;
                error = reader.Path() + " holds a non-finite sample (channel " + std::to_string(c + 1) +
                        ", frame " + std::to_string(stats.frames + i) + ")";
                return false;
            }
            peakIn[c] = peak;
        }

        for (int64_t offset = 0; offset < got; offset += block)
        {
            const int32_t frames = static_cast<int32_t>(std::min<int64_t>(block, got - offset));
            for (int32_t c = 0; c < channels; ++c)
            {
                inPtr[c] = in[static_cast<size_t>(c)].data() + offset;
                outPtr[c] = out[static_cast<size_t>(c)].data() + offset;
            }
            const Clock::time_point before = Clock::now();
            const bool ok = host.Process(inPtr, outPtr, frames);
            stats.processSeconds += SecondsSince(before);
            if (!ok)
            {
                error = "the plug-in's process failed at frame " + std::to_string(stats.frames + offset);
                return false;
            }
        }

        for (int32_t c = 0; c < channels; ++c)
        {
            const T* src = out[static_cast<size_t>(c)].data();
            double peak = peakOut[c];
            if (channels == 1)
            {
                for (int64_t i = 0; i < got; ++i)
                    peak = std::max(peak, static_cast<double>(std::fabs(src[i])));
            }
            else
            {
                T* dst = interleavedOut.data() + c;
                for (int64_t i = 0; i < got; ++i)
                {
                    dst[i * channels] = src[i];
                    peak = std::max(peak, static_cast<double>(std::fabs(src[i])));
                }
            }
            peakOut[c] = peak;
        }
        const T* writeFrom = channels == 1 ? out[0].data() : interleavedOut.data();
        if (!writer.Write(writeFrom, got))
        {
            error = writer.LastError();
            return false;
        }
        stats.frames += got;
        if (progress) progress->Update(stats.frames);
    }
    for (int c = 0; c < 2; ++c)
    {
        stats.peakIn[c] = peakIn[c];
        stats.peakOut[c] = peakOut[c];
    }
    stats.seconds = SecondsSince(start);
    return true;
}
