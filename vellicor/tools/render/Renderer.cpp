#include "vellicor/tools/render/Renderer.h"

#include "vellicor/tools/render/AudioReader.h"
#include "vellicor/tools/render/AudioWriter.h"
#include "vellicor/tools/render/BackgroundReader.h"
#include "vellicor/tools/render/BackgroundWriter.h"
#include "vellicor/tools/render/ProgressBar.h"
#include "vellicor/tools/render/SampleLoops.h"

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

// About 65536 frames per file access, whatever the block size: fewer hand-offs between the file
// threads and processing (16384 cost twice the overhead).
int64_t ChunkFrames(int32_t block)
{
    return static_cast<int64_t>(block) * std::max<int64_t>(1, 65536 / block);
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

    BackgroundReader<T> ahead(reader, channels, chunk);
    BackgroundWriter<T> background(writer, channels, chunk);
    std::vector<std::vector<T>> in(static_cast<size_t>(channels), std::vector<T>(static_cast<size_t>(chunk)));
    std::vector<std::vector<T>> out(static_cast<size_t>(channels),
                                    std::vector<T>(static_cast<size_t>(chunk)));
    T* inPtr[2] = {nullptr, nullptr};
    T* outPtr[2] = {nullptr, nullptr};
    typename SampleBits<T>::U inBits[2] = {0, 0}, outBits[2] = {0, 0};
    int64_t sinceTick = 0; // frames since the editor's last tick

    for (;;)
    {
        if (cancel && *cancel)
        {
            error = "interrupted";
            return false;
        }
        const T* chunkIn = nullptr;
        int64_t got = 0;
        if (!ahead.Next(chunkIn, got))
        {
            error = ahead.Failure();
            return false;
        }
        if (got == 0) break;

        if (channels == 1)
        {
            std::copy_n(chunkIn, got, in[0].data());
            TakePeak(in[0].data(), got, inBits[0]);
        }
        else
            Deinterleave(chunkIn, in[0].data(), in[1].data(), got, inBits);
        // A NaN or infinity would stay in the limiter's envelope for good: refuse it.
        for (int32_t c = 0; c < channels; ++c)
        {
            if (!IsNonFinite<T>(inBits[c])) continue;
            const T* samples = in[static_cast<size_t>(c)].data();
            int64_t i = 0;
            while (i < got && !IsNonFinite<T>(MagnitudeBits(samples[i])))
                ++i;
            error = reader.Path() + " holds a non-finite sample (channel " + std::to_string(c + 1) +
                    ", frame " + std::to_string(stats.frames + i) + ")";
            return false;
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
            const int64_t end = stats.frames + offset + frames;
            if (editorFrom >= 0 && end > editorFrom)
            {
                sinceTick += end - std::max(editorFrom, end - frames);
                for (; sinceTick >= editorTickFrames; sinceTick -= editorTickFrames)
                    if (!host.EditorSnapshot(1, nullptr, error)) return false;
            }
        }

        T* pending = background.Acquire();
        if (!pending)
        {
            background.Finish(error);
            return false;
        }
        if (channels == 1)
        {
            TakePeak(out[0].data(), got, outBits[0]);
            std::copy_n(out[0].data(), got, pending);
        }
        else
            Interleave(out[0].data(), out[1].data(), pending, got, outBits);
        background.Submit(got);
        stats.frames += got;
        if (progress) progress->Update(stats.frames);
    }
    if (!background.Finish(error)) return false;
    stats.writeSeconds = background.WriteSeconds();
    stats.readSeconds = ahead.ReadSeconds();
    for (int c = 0; c < 2; ++c)
    {
        stats.peakIn[c] = PeakValue<T>(inBits[c]);
        stats.peakOut[c] = PeakValue<T>(outBits[c]);
    }
    stats.seconds = SecondsSince(start);
    return true;
}
