#pragma once
// The sample rates the limiter computes with. Above the top a host's rate is treated as broken,
// like 0, a negative rate, NaN or infinity: the look-ahead ring would be sized absurdly.
namespace vellicor
{
inline constexpr double kMaxSampleRate = 10.0e6;

constexpr bool IsUsableSampleRate(double rate)
{
    return rate > 0.0 && rate <= kMaxSampleRate; // false for NaN
}
} // namespace vellicor
