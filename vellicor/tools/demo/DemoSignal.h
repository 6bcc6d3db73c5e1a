#pragma once
// The demo input: drum-like bursts, then a sine sweep, both well above full scale, so the limiter
// has work to do. Deterministic: the same samples on every build.
#include <cstdint>
#include <vector>

class DemoSignal
{
public:
    static constexpr double kBurstSeconds = 3.0;
    static constexpr double kSweepSeconds = 3.0;

    // Interleaved stereo frames at the given rate.
    static std::vector<double> Generate(double sampleRate);
};
