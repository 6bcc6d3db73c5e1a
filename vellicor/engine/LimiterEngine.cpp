#include "vellicor/engine/LimiterEngine.h"

#include "core/SampleRateRange.h"
#include "vellicor/engine/Nint.h"
#include "vellicor/engine/SoundMaths.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

// The limiter's output is defined to the last bit: every multiply and add rounds on its own.
#if defined(__FAST_MATH__)
#error "The limiter engine must not be built with -ffast-math"
#endif

namespace maths = vellicor::maths;

namespace
{
constexpr double kHugeLevel = DBL_MAX;
// ln(10) / 20 and its inverse: exp(dB * kDecibelToLn) is 10^(dB / 20), the design's own constants.
constexpr double kDecibelToLn = 0.11512925464970228;
constexpr double kLnToDecibel = 8.685889638065037;

#if defined(__SSE2__)
inline __m128d Lane(double x)
{
    return _mm_set_sd(x);
}
// (x >= y) ? a : b without a branch; unordered picks b.
inline double SelectGreaterEqual(double x, double y, double a, double b)
{
    const __m128d m = _mm_cmpge_sd(Lane(x), Lane(y));
    return _mm_cvtsd_f64(_mm_or_pd(_mm_and_pd(m, Lane(a)), _mm_andnot_pd(m, Lane(b))));
}
#else
inline double SelectGreaterEqual(double x, double y, double a, double b)
{
    return x >= y ? a : b;
}
#endif

// A decaying envelope gets stuck among subnormal numbers, which cost many times a normal
// operation: flush them to zero while the block runs, and give the host its mode back after.
class FlushSubnormals
{
public:
#if defined(__SSE2__)
    FlushSubnormals() : saved(_mm_getcsr())
    {
        _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero);
    }
    ~FlushSubnormals()
    {
        _mm_setcsr(saved);
    }

private:
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    unsigned saved;
#else
    FlushSubnormals() {} // elsewhere the platform's default mode applies
#endif
};

// A huge sample times the input gain may overflow; the limited output then stays finite.
inline double Finite(double x)
{
    return std::min(std::max(x, -kHugeLevel), kHugeLevel);
}

inline double Max(double a, double b)
{
    return a > b ? a : b;
}

// A NaN or infinite sample is silence, so that it cannot poison the envelope or the hold. (A
// finite one too loud for the input gain is capped at the largest finite level after the gain.)
inline void CleanInput(double& x, double& level)
{
    level = std::fabs(x);
    if (!(level <= kHugeLevel))
    {
        x = 0.0;
        level = 0.0;
    }
}
} // namespace

LimiterEngine::LimiterEngine()
{
    // 0x9B in every byte is a value no parameter can quantise to, so every first value computes.
    std::memset(state.lastQuantised, 0x9B, sizeof(state.lastQuantised));
}

int32_t LimiterEngine::Quantise(int32_t index, double value)
{
    if (index == kStereoLink || index == kTargetAttenuation || index == kMemLeft || index == kMemRight)
        return Nint(value);
    return Nint(value * 10.0);
}

double LimiterEngine::UsableRate(double hostRate)
{
    return vellicor::IsUsableSampleRate(hostRate) ? hostRate : 0.0;
}

bool LimiterEngine::ApplyValue(int32_t index, double value, MeterData& meter)
{
    if (index < 0 || index >= kParamCount) return false;
    const int32_t q = Quantise(index, value);
    if (q == state.lastQuantised[index]) return false;
    state.lastQuantised[index] = q;

    const double r = state.engineRate;
    switch (index)
    {
    case kInputGain:
        state.inputGain = maths::Exp(q * 0.1 * kDecibelToLn);
        break;
    case kLookAhead:
        if (q > 0) state.delayLength = Nint(r * 2 * q * 0.1 * 0.001);
        state.lookAheadOn = q > 0;
        // A new delay starts from silence: read from where the old one wrote, the ring would
        // replay audio from before the change, at full level, past the envelope.
        RestartRing();
        break;
    case kAttack:
    {
        // Single precision on purpose: these constants and roundings are part of the sound.
        const float f = static_cast<float>(q) * 0.030000031f * 0.001f + 0.82f;
        state.attackCoef = maths::Pow(0.01, 1000 / (q * r * f * 0.1));
        MeterData::Store(meter.meterCoef, static_cast<float>(state.attackCoef * 0.5));
        break;
    }
    case kHold:
        state.holdOn = q != 0;
        if (state.holdOn)
        {
            state.holdLength = Nint(q * r * 3 * 0.5 * 0.1 * 0.001);
            state.holdHalf = state.holdLength / 2;
            state.holdCounter = 0;
        }
        break;
    case kRelease:
        state.releaseCoef = maths::Pow(0.01, 10000 / (q * r));
        break;
    case kStereoLink:
        state.linkFactor = maths::Pow(10.0, (q * 0.1 + 90) * 0.05) / 100000;
        break;
    case kOutLimit:
    {
        const double d = static_cast<float>(q) * 0.1f;
        state.ceiling = maths::Exp(d * kDecibelToLn);
        break;
    }
    case kMemLeft:
        MeterData::Store(meter.storedCode[MeterData::kLeft], static_cast<uint32_t>(q));
        break;
    case kMemRight:
        MeterData::Store(meter.storedCode[MeterData::kRight], static_cast<uint32_t>(q));
        break;
    case kTargetAttenuation: // the meter reads the target from the parameter itself
    default:
        break;
    }
    return true;
}

void LimiterEngine::ForgetQuantised(int32_t index)
{
    if (index >= 0 && index < kParamCount) state.lastQuantised[index] = -1;
}

bool LimiterEngine::StartIfFirstBlock()
{
    if (state.engineStarted) return false;
    state.engineStarted = true;
    state.engineRate = 0.0;
    return true;
}

bool LimiterEngine::PrepareRate(double hostRate)
{
    const double rate = UsableRate(hostRate);
    // Only a new rate asks for the recomputation (which also counts toward readiness); a ring
    // missing after a failed allocation is merely retried, its coefficients are already for rate.
    const bool changed = rate != state.engineRate;
    if (!changed && state.delayLine) return false;
    state.engineRate = rate;
    // Room for the longest look-ahead (100 ms of stereo frames) plus the pair being written.
    const size_t doubles = static_cast<size_t>(Nint(rate * 200 * 0.001 + 2));
    // The first block's reset comes here on the audio thread, at the rate the host's own thread
    // already prepared a ring for: rewind that ring in place rather than allocate.
    if (state.delayLine && ringCapacity == doubles)
    {
        RestartRing();
        return changed;
    }
    state.writePos = 0;
    state.delayLine.reset();
    ringCapacity = 0;
    if (doubles <= ringLimit) state.delayLine.reset(new (std::nothrow) double[doubles]());
    if (state.delayLine) ringCapacity = doubles;
    return changed;
}

void LimiterEngine::ClearState()
{
    state.envelope[0] = state.envelope[1] = 0.0;
    state.holdPeakA[0] = state.holdPeakA[1] = 0.0;
    state.holdPeakB[0] = state.holdPeakB[1] = 0.0;
    state.holdCounter = 0;
    RestartRing();
}

void LimiterEngine::RestartRing()
{
    if (state.delayLine) std::fill_n(state.delayLine.get(), ringCapacity, 0.0);
    state.writePos = 0;
}

bool LimiterEngine::RingUsable() const
{
    if (!state.delayLine || state.delayLength < 0 || state.writePos < 0) return false;
    // The write pair sits below the largest even position under delayLength (or at writePos).
    const size_t span = 2 * ((static_cast<size_t>(state.delayLength) + 1) / 2);
    return ringCapacity >= 2 && span <= ringCapacity &&
           static_cast<size_t>(state.writePos) + 1 < ringCapacity;
}

LimiterEngine::BlockPeaks LimiterEngine::ProcessBlock(double** inputs, double** outputs, int32_t frames)
{
    if (frames < 1) return {};
    // Without a usable ring (no memory, broken rate) the limiter runs without look-ahead.
    const bool ring = state.lookAheadOn && RingUsable();
    const FlushSubnormals flush;
    if (ring)
        return state.holdOn ? Run<true, true>(inputs, outputs, frames)
                            : Run<true, false>(inputs, outputs, frames);
    return state.holdOn ? Run<false, true>(inputs, outputs, frames)
                        : Run<false, false>(inputs, outputs, frames);
}

// The whole state lives in locals for the block and is written back once: the envelope
// recurrence is serial, so anything around it shows directly in the cost per frame.
template <bool kRing, bool kHold>
LimiterEngine::BlockPeaks LimiterEngine::Run(double** inputs, double** outputs, int32_t frames)
{
    const double* inL = inputs[0];
    const double* inR = inputs[1];
    double* outL = outputs[0];
    double* outR = outputs[1];

    const double g = state.inputGain, top = state.ceiling, att = state.attackCoef, rel = state.releaseCoef,
                 link = state.linkFactor;
    double envL = state.envelope[0], envR = state.envelope[1];
    double aL = state.holdPeakA[0], aR = state.holdPeakA[1], bL = state.holdPeakB[0], bR = state.holdPeakB[1];
    uint32_t counter = static_cast<uint32_t>(state.holdCounter);
    const uint32_t holdLen = static_cast<uint32_t>(state.holdLength);
    const uint32_t half = static_cast<uint32_t>(state.holdHalf);
    double* const line = state.delayLine.get();
    uint32_t pos = static_cast<uint32_t>(state.writePos);
    const uint32_t wrap = static_cast<uint32_t>(state.delayLength);
    double peakL = 0.0, peakR = 0.0;

    for (int32_t i = 0; i < frames; ++i)
    {
        double xL = inL[i], xR = inR[i];
        double dL, dR;
        CleanInput(xL, dL);
        CleanInput(xR, dR);
        dL = std::min(dL * g, kHugeLevel);
        dR = std::min(dR * g, kHugeLevel);

        // The ring holds the samples with the gain applied, so a gain change reaches the
        // detector and the delayed output together. (s * g) * ceiling / envelope is the same
        // product whether s * g is formed now or on the way out.
        double sL = xL * g, sR = xR * g;
        if constexpr (kRing)
        {
            line[pos] = sL;
            line[pos + 1] = sR;
            pos += 2;
            if (pos >= wrap) pos = 0;
            sL = line[pos];
            sR = line[pos + 1];
        }

        if constexpr (kHold)
        {
            if (++counter > holdLen)
            {
                counter = 0;
                aL = aR = 0.0;
            }
            aL = Max(aL, dL);
            aR = Max(aR, dR);
            if (counter == half) bL = bR = 0.0;
            dL = bL = Max(bL, dL);
            dR = bR = Max(bR, dR);
            dL = Max(aL, dL);
            dR = Max(aR, dR);
        }

        double eL = Max(envL, link * envR);
        double eR = Max(envR, link * eL);

        // Left: attack step on a rising (or unordered) level, then the release step always.
        // Right: one step, release or attack. Without the hold the detector jumps from frame to
        // frame and these branches mispredict, so the values are selected instead (choosing the
        // right factor is exact); with the hold the branches predict well and cost less.
        if constexpr (!kHold)
        {
            eL = SelectGreaterEqual(eL, dL, eL, dL + (eL - dL) * att);
            eL = dL + (eL - dL) * rel;
            eR = dR + (eR - dR) * SelectGreaterEqual(eR, dR, rel, att);
        }
        else
        {
            if (!(eL >= dL)) eL = dL + (eL - dL) * att;
            eL = dL + (eL - dL) * rel;
            if (eR >= dR)
                eR = dR + (eR - dR) * rel;
            else
                eR = dR + (eR - dR) * att;
        }
        envL = eL;
        envR = eR;

        // Limiting is the common case in a loud passage, so these branches predict well.
        if (eL > top)
        {
            outL[i] = Finite(sL) * top / eL;
            peakL = Max(peakL, eL);
        }
        else
            outL[i] = sL;
        if (eR > top)
        {
            outR[i] = Finite(sR) * top / eR;
            peakR = Max(peakR, eR);
        }
        else
            outR[i] = sR;
    }

    state.envelope[0] = envL;
    state.envelope[1] = envR;
    state.holdPeakA[0] = aL;
    state.holdPeakA[1] = aR;
    state.holdPeakB[0] = bL;
    state.holdPeakB[1] = bR;
    state.holdCounter = static_cast<int32_t>(counter);
    state.writePos = static_cast<int32_t>(pos);
    return {peakL, peakR};
}

void LimiterEngine::HandOffMeters(const BlockPeaks& peaks, MeterData& meter, HostPosition position) const
{
    bool asked = false;
    int32_t samplePos = 0;
    const double peak[2] = {peaks.left, peaks.right};
    for (int c = 0; c < 2; ++c)
    {
        if (!(peak[c] > 0.0)) continue;
        // 20 log10(peak / ceiling), narrowed to single precision before the sign flips.
        const float reduction =
            -static_cast<float>(maths::Log(std::fabs(state.ceiling / peak[c])) * kLnToDecibel);
        MeterData::Store(meter.currentReduction[c], reduction);
        if (reduction > MeterData::Load(meter.peakReduction[c]))
        {
            if (!asked)
            {
                samplePos = position.query ? position.query(position.context) : 0;
                asked = true;
            }
            MeterData::Store(meter.peakReduction[c], reduction);
            // Without a usable rate there is no time base: the peak is stamped 0 s.
            MeterData::Store(meter.peakTime[c],
                             state.engineRate > 0.0 ? Nint(samplePos / state.engineRate) : 0);
        }
    }
}
