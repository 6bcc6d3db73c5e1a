#include "vellicor/tools/render/Renderer.h"

#include "vellicor/tools/render/AudioReader.h"
#include "vellicor/tools/render/AudioWriter.h"
#include "vellicor/tools/render/BackgroundReader.h"
#include "vellicor/tools/render/BackgroundWriter.h"
#include "vellicor/tools/render/LimitingTrace.h"
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

    // Loudness and true peak cost more than the limiter itself: measured on the file threads.
    BackgroundReader<T> ahead(reader, channels, chunk, 4, loudnessIn);
    BackgroundWriter<T> background(writer, channels, chunk, 4, loudnessOut);
    std::vector<std::vector<T>> in(static_cast<size_t>(channels), std::vector<T>(static_cast<size_t>(chunk)));
    std::vector<std::vector<T>> out(static_cast<size_t>(channels),
                                    std::vector<T>(static_cast<size_t>(chunk)));
    T* inPtr[2] = {nullptr, nullptr};
    T* outPtr[2] = {nullptr, nullptr};
    typename SampleBits<T>::U inBits[2] = {0, 0}, outBits[2] = {0, 0};
    int64_t sinceTick = 0; // frames since the editor's last tick
    int64_t toDrop = dropFrames, tail = dropFrames;
    int64_t processed = 0; // frames through the plug-in, the silence after the input included

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
        const bool silence = got == 0;
        if (silence)
        {
            // After the input, the silence that brings the delayed end of the output out.
            if (tail == 0) break;
            got = std::min(tail, chunk);
            tail -= got;
            for (auto& samples : in)
                std::fill_n(samples.data(), got, T(0));
        }
        else if (channels == 1)
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
        if (!silence && trace) trace->AddInput(chunkIn, got);

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
                error = "the plug-in's process failed at frame " + std::to_string(processed + offset);
                return false;
            }
            const int64_t end = processed + offset + frames;
            if (editorFrom >= 0 && end > editorFrom)
            {
                sinceTick += end - std::max(editorFrom, end - frames);
                for (; sinceTick >= editorTickFrames; sinceTick -= editorTickFrames)
                    if (!host.EditorSnapshot(1, nullptr, error)) return false;
            }
        }

        processed += got;
        if (!silence) stats.frames += got;
        const int64_t skip = std::min(toDrop, got);
        toDrop -= skip;
        const int64_t keep = got - skip;
        if (keep == 0) continue;
        T* pending = background.Acquire();
        if (!pending)
        {
            background.Finish(error);
            return false;
        }
        if (channels == 1)
        {
            TakePeak(out[0].data() + skip, keep, outBits[0]);
            std::copy_n(out[0].data() + skip, keep, pending);
        }
        else
            Interleave(out[0].data() + skip, out[1].data() + skip, pending, keep, outBits);
        if (trace) trace->AddOutput(pending, keep);
        background.Submit(keep);
        stats.framesOut += keep;
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
