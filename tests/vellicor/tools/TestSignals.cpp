#include "tests/vellicor/tools/TestSignals.h"

#include "vellicor/tools/render/AudioReader.h"
#include "vellicor/tools/render/AudioWriter.h"

#include <cmath>
#include <numbers>

std::vector<double> HotSignal(int32_t channels, double rate, int64_t frames)
{
    std::vector<double> out(static_cast<size_t>(frames * channels));
    uint32_t noise = 12345u;
    for (int64_t i = 0; i < frames; ++i)
    {
        const double t = static_cast<double>(i) / rate;
        // A burst every 0.2 s, decaying over about 30 ms, on top of a steady tone.
        const double since = std::fmod(t, 0.2);
        const double burst = 1.5 * std::exp(-since * 35.0);
        for (int32_t c = 0; c < channels; ++c)
        {
            noise = noise * 1664525u + 1013904223u;
            const double n = static_cast<double>(noise >> 8) / 8388608.0 - 1.0;
            const double tone = 0.6 * std::sin(2.0 * std::numbers::pi * (220.0 + 110.0 * c) * t);
            out[static_cast<size_t>(i * channels + c)] = tone + burst * (c == 0 ? 1.0 : 0.7) * n;
        }
    }
    return out;
}

bool WriteFile(const std::string& path, Container container, SampleFormat format, int32_t sampleRate,
               int32_t channels, const std::vector<double>& interleaved)
{
    AudioWriter writer;
    std::string error;
    return writer.Open(path, container, format, sampleRate, channels, error) &&
           writer.Write(interleaved.data(), static_cast<int64_t>(interleaved.size()) / channels) &&
           writer.Commit(error);
}

FileContents ReadFile(const std::string& path)
{
    FileContents c;
    AudioReader reader;
    std::string error;
    if (!reader.Open(path, error)) return c;
    c.channels = reader.Channels();
    c.sampleRate = reader.SampleRate();
    c.format = reader.Format();
    c.samples.resize(static_cast<size_t>(reader.Frames() * reader.Channels()));
    const int64_t got = reader.Read(c.samples.data(), reader.Frames());
    c.ok = got == reader.Frames() && !reader.Failed();
    return c;
}
