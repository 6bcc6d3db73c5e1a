#include "vellicor/tools/render/LoudnessMeter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
double Db(double linear)
{
    return linear > 0.0 ? 20.0 * std::log10(linear) : -std::numeric_limits<double>::infinity();
}
} // namespace

LoudnessMeter::LoudnessMeter(int32_t channelCount, int32_t sampleRate) : channels(channelCount)
{
    if (channels > 0 && sampleRate > 0)
        state = ebur128_init(static_cast<unsigned>(channels), static_cast<unsigned long>(sampleRate),
                             EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_SAMPLE_PEAK |
                                 EBUR128_MODE_TRUE_PEAK);
}

LoudnessMeter::~LoudnessMeter()
{
    if (state) ebur128_destroy(&state);
}

void LoudnessMeter::Add(const float* interleaved, int64_t frames)
{
    if (state && frames > 0) ebur128_add_frames_float(state, interleaved, static_cast<size_t>(frames));
}

void LoudnessMeter::Add(const double* interleaved, int64_t frames)
{
    if (state && frames > 0) ebur128_add_frames_double(state, interleaved, static_cast<size_t>(frames));
}

LoudnessFigures LoudnessMeter::Figures() const
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    LoudnessFigures f{nan, nan, nan, nan};
    if (!state) return f;
    // The library's state is logically const here; its C interface just does not say so.
    ebur128_state* s = state;
    if (ebur128_loudness_global(s, &f.integratedLufs) != EBUR128_SUCCESS) f.integratedLufs = nan;
    // Below the absolute gate the library answers -HUGE_VAL: silence.
    if (ebur128_loudness_range(s, &f.rangeLu) != EBUR128_SUCCESS) f.rangeLu = nan;
    double sample = 0.0, truePeak = 0.0;
    for (int32_t c = 0; c < channels; ++c)
    {
        double v = 0.0;
        if (ebur128_sample_peak(s, static_cast<unsigned>(c), &v) == EBUR128_SUCCESS) sample = std::max(sample, v);
        if (ebur128_true_peak(s, static_cast<unsigned>(c), &v) == EBUR128_SUCCESS) truePeak = std::max(truePeak, v);
    }
    f.samplePeakDbfs = Db(sample);
    f.truePeakDbtp = Db(truePeak);
    return f;
}
