#include "vellicor/tools/demo/DemoSignal.h"

#include <cmath>
#include <numbers>

namespace
{
// xorshift32: portable noise, identical on every machine.
struct Noise
{
    uint32_t state = 0x6E753276u;
    double Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483648.0 - 1.0;
    }
};
} // namespace

std::vector<double> DemoSignal::Generate(double rate)
{
    const int64_t burstFrames = static_cast<int64_t>(kBurstSeconds * rate);
    const int64_t sweepFrames = static_cast<int64_t>(kSweepSeconds * rate);
    std::vector<double> out(static_cast<size_t>((burstFrames + sweepFrames) * 2), 0.0);
    const double twoPi = 2.0 * std::numbers::pi;
    Noise noise;

    // Eighth notes at 120 BPM: a kick (falling sine) on 1 and 3, a snare (noise) on 2 and 4, a hat
    // (short noise) on every eighth; peaks reach about +6 dBFS.
    const int64_t step = static_cast<int64_t>(0.25 * rate);
    for (int64_t i = 0; i < burstFrames; ++i)
    {
        const int64_t hit = i / step;
        const double t = static_cast<double>(i % step) / rate;
        double left = 0.0, right = 0.0;
        if (hit % 4 == 0)
        {
            const double phase = twoPi * (50.0 * t + 60.0 * (1.0 - std::exp(-t * 30.0)));
            const double kick = 1.6 * std::exp(-t * 12.0) * std::sin(phase);
            left += kick;
            right += kick;
        }
        if (hit % 4 == 2)
        {
            const double snare = 1.4 * std::exp(-t * 25.0);
            left += snare * noise.Next();
            right += snare * noise.Next();
        }
        const double hat = 0.4 * std::exp(-t * 90.0);
        left += hat * noise.Next() * 0.8;
        right += hat * noise.Next();
        out[static_cast<size_t>(2 * i)] = left;
        out[static_cast<size_t>(2 * i + 1)] = right;
    }

    // Logarithmic sweep 40 Hz to 8 kHz at +3.5 dBFS, the right channel 2 dB lower.
    const double f0 = 40.0, f1 = 8000.0, duration = kSweepSeconds;
    const double k = std::log(f1 / f0);
    for (int64_t i = 0; i < sweepFrames; ++i)
    {
        const double t = static_cast<double>(i) / rate;
        const double phase = twoPi * f0 * duration / k * (std::exp(t / duration * k) - 1.0);
        const double fade = std::fmin(1.0, std::fmin(t, duration - t) / 0.01); // no clicks at the ends
        const double v = 1.5 * fade * std::sin(phase);
        out[static_cast<size_t>(2 * (burstFrames + i))] = v;
        out[static_cast<size_t>(2 * (burstFrames + i) + 1)] = v * 0.794;
    }
    return out;
}
