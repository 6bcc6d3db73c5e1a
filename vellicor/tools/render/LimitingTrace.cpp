#include "vellicor/tools/render/LimitingTrace.h"

#include <algorithm>
#include <cmath>

namespace
{
// Below this (about -100 dBFS after the gain) a ratio says more about rounding than about limiting.
constexpr double kQuietest = 1e-5;
} // namespace

LimitingTrace::LimitingTrace(int32_t columnCount, int64_t totalFrames, int32_t channelCount, double levelGain,
                             int64_t outputShift)
    : columns(static_cast<size_t>(std::max(1, columnCount))), lowestRatio(columns.size(), 1.0),
      total(std::max<int64_t>(1, totalFrames)), channels(channelCount), gain(levelGain), shift(outputShift)
{
}

size_t LimitingTrace::ColumnOf(int64_t frame) const
{
    const int64_t c = frame * static_cast<int64_t>(columns.size()) / total;
    return static_cast<size_t>(std::clamp<int64_t>(c, 0, static_cast<int64_t>(columns.size()) - 1));
}

template <class T> void LimitingTrace::AddInputAs(const T* interleaved, int64_t frames)
{
    for (int64_t i = 0; i < frames; ++i)
    {
        TraceColumn& col = columns[ColumnOf(inFrames + i)];
        for (int32_t c = 0; c < channels; ++c)
        {
            const float v = static_cast<float>(interleaved[i * channels + c]);
            col.inMin = std::min(col.inMin, v);
            col.inMax = std::max(col.inMax, v);
        }
    }
    held.insert(held.end(), interleaved, interleaved + frames * channels);
    inFrames += frames;
}

template <class T> void LimitingTrace::AddOutputAs(const T* interleaved, int64_t frames)
{
    for (int64_t i = 0; i < frames; ++i)
    {
        const int64_t frame = outFrames + i;
        const size_t column = ColumnOf(frame);
        TraceColumn& col = columns[column];
        for (int32_t c = 0; c < channels; ++c)
        {
            const float v = static_cast<float>(interleaved[i * channels + c]);
            col.outMin = std::min(col.outMin, v);
            col.outMax = std::max(col.outMax, v);
        }
        // The input frame this output frame came from; none for the delay a raw output starts with.
        const int64_t source = frame - shift;
        if (source < heldFrom || source >= inFrames) continue;
        const size_t inColumn = ColumnOf(source);
        const double* in = held.data() + (source - heldFrom) * channels;
        for (int32_t c = 0; c < channels; ++c)
        {
            const double expected = std::fabs(in[c] * gain);
            if (expected < kQuietest) continue;
            const double ratio = std::fabs(static_cast<double>(interleaved[i * channels + c])) / expected;
            lowestRatio[inColumn] = std::min(lowestRatio[inColumn], ratio);
        }
    }
    outFrames += frames;
    // Input frames whose output has been seen are no longer needed.
    const int64_t done = std::clamp<int64_t>(outFrames - shift, heldFrom, inFrames);
    if (done - heldFrom > 65536)
    {
        held.erase(held.begin(), held.begin() + (done - heldFrom) * channels);
        heldFrom = done;
    }
}

std::vector<TraceColumn> LimitingTrace::Columns() const
{
    std::vector<TraceColumn> out = columns;
    for (size_t c = 0; c < out.size(); ++c)
    {
        // A silenced output would be an infinite reduction: 120 dB says as much on any scale.
        const double ratio = std::max(lowestRatio[c], 1e-6);
        out[c].reductionDb = ratio < 1.0 ? static_cast<float>(-20.0 * std::log10(ratio)) : 0.0f;
    }
    return out;
}

template void LimitingTrace::AddInputAs<float>(const float*, int64_t);
template void LimitingTrace::AddInputAs<double>(const double*, int64_t);
template void LimitingTrace::AddOutputAs<float>(const float*, int64_t);
template void LimitingTrace::AddOutputAs<double>(const double*, int64_t);
