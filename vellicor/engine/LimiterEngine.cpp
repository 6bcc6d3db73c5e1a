#include "vellicor/engine/LimiterEngine.h"

#include "core/SampleRateRange.h"
#include "vellicor/engine/DoublePair.h"
#include "vellicor/engine/EnvelopeSteps.h"
#include "vellicor/engine/Nint.h"
#include "vellicor/engine/SoundMaths.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <new>

#if defined(__SSE2__)
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

// Everything the frame loop reads but never changes, laid out per lane once per block.
struct LoopConstants
{
    DoublePair gain, ceiling, huge, negativeHuge;
    envelope::EnvelopeCoefs<double> envelope;
};

// What one stretch of frames carries to the next.
struct LoopState
{
    envelope::Stereo<double> envelope;
    DoublePair holdA, holdB;
    DoublePair largest; // largest envelope of the block: limited frames have the largest ones
    int rising; // which channels' levels rose in the last frame: bit 0 left, bit 1 right
};

// Frames i to i + n - 1 of the limiter, both channels in one register, with no ring wrap and no hold
// window event among them: the caller cuts the block there. write and read are the ring slots of
// frame i (read is write + 2 except on the frame that wraps). Answers how often the left channel's
// attack decision flipped, the one branch of the branchy form.
template <bool kRing, bool kHold, bool kBranchFree>
int RunFrames(const LoopConstants& constants, LoopState& state, const double* const* in, double* const* out,
              int32_t i, int32_t n, double* write, const double* read)
{
    // Copies in locals: the output stores could alias the references, which would keep the
    // envelope in memory on its way from one frame to the next.
    const LoopConstants c = constants;
    LoopState s = state;
    double* const outL = out[0];
    double* const outR = out[1];
    const double* const inL = in[0];
    const double* const inR = in[1];
    int flips = 0;
    for (const int32_t end = i + n; i < end; ++i)
    {
        // A NaN or infinite sample is silence, so that it cannot poison the envelope or the hold. (A
        // finite one too loud for the input gain is capped at the largest finite level after the gain.)
        // The detector level is the gained sample's magnitude: |x| g and |x g| round alike.
        const DoublePair x = DoublePair::Load(inL + i, inR + i);
        const DoublePair gained = Keep(LessEqual(Abs(x), c.huge), x) * c.gain;
        DoublePair d = Min(Abs(gained), c.huge);

        // The ring holds the samples with the gain applied, so a gain change reaches the detector
        // and the delayed output together.
        DoublePair sample = gained;
        if constexpr (kRing)
        {
            sample.StoreAdjacent(write);
            sample = DoublePair::LoadAdjacent(read);
            write += 2;
            read += 2;
        }
        if constexpr (kHold)
        {
            s.holdA = Max(s.holdA, d);
            s.holdB = Max(s.holdB, d);
            d = Max(s.holdA, s.holdB);
        }

        // The envelopes leave the register for scalars, where the chain needs no shuffle.
        const double dL = d.Left(), dR = d.Right();
        const envelope::Stereo<double> target =
            kBranchFree ? envelope::Link(s.envelope, c.envelope) : envelope::LinkBranchy(s.envelope, c.envelope);
        if constexpr (kBranchFree)
        {
            s.envelope.left = envelope::SmoothLeftBranchFree(target.left, dL, c.envelope);
            s.envelope.right = envelope::SmoothRightBranchFree(target.right, dR, c.envelope);
        }
        else
        {
            s.envelope.left = envelope::SmoothLeftBranchy(target.left, dL, c.envelope);
            s.envelope.right = envelope::SmoothRightBranchy(target.right, dR, c.envelope);
        }
        const int rising = (target.left < dL ? 1 : 0) | (target.right < dR ? 2 : 0);
        flips += rising != s.rising;
        s.rising = rising;
        const DoublePair env = DoublePair::Of(s.envelope.left, s.envelope.right);

        // Both channels' quotients with one divide; a channel at or under the ceiling passes with
        // the input gain alone. A huge sample times the gain may overflow; the limited output then
        // stays finite.
        const DoublePair over = Less(c.ceiling, env);
        const DoublePair limited = Min(Max(sample, c.negativeHuge), c.huge) * c.ceiling / env;
        Select(over, limited, sample).Store(outL + i, outR + i);
        s.largest = Max(s.largest, env);
    }
    state = s;
    return flips;
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
        return state.holdOn ? Run<true, true>(inputs, outputs, frames) : Run<true, false>(inputs, outputs, frames);
    return state.holdOn ? Run<false, true>(inputs, outputs, frames) : Run<false, false>(inputs, outputs, frames);
}

LimiterEngine::BlockPeaks LimiterEngine::ProcessBlock(float** inputs, float** outputs, int32_t frames)
{
    // In stretches that stay in the cache, widened and narrowed in the host's own floating-point
    // mode (outside the flushing of the 64-bit block), exactly as around a 64-bit block.
    constexpr int32_t kChunk = 512;
    double left[kChunk], right[kChunk];
    BlockPeaks peaks;
    for (int32_t done = 0; done < frames; done += kChunk)
    {
        const int32_t n = std::min(kChunk, frames - done);
        Widen(inputs[0] + done, left, n);
        Widen(inputs[1] + done, right, n);
        double* io[2] = {left, right};
        const BlockPeaks part = ProcessBlock(io, io, n);
        peaks.left = std::max(peaks.left, part.left);
        peaks.right = std::max(peaks.right, part.right);
        Narrow(left, outputs[0] + done, n);
        Narrow(right, outputs[1] + done, n);
    }
    return peaks;
}

// The whole state lives in locals for the block and is written back once: the envelope
// recurrence is serial, so anything around it shows directly in the cost per frame.
template <bool kRing, bool kHold>
LimiterEngine::BlockPeaks LimiterEngine::Run(const double* const* inputs, double* const* outputs, int32_t frames)
{
    // Stretches are short enough to follow a signal that turns from steady to erratic.
    constexpr int32_t kStretch = 128;
    const double huge = kHugeLevel;
    const LoopConstants c{DoublePair::Both(state.inputGain), DoublePair::Both(state.ceiling),
                          DoublePair::Both(huge), DoublePair::Both(-huge),
                          {state.attackCoef, state.releaseCoef, state.linkFactor,
                           state.attackCoef > state.releaseCoef}};
    LoopState s{{state.envelope[0], state.envelope[1]},
                DoublePair::Of(state.holdPeakA[0], state.holdPeakA[1]),
                DoublePair::Of(state.holdPeakB[0], state.holdPeakB[1]), DoublePair::Both(0.0), 0};
    uint32_t counter = static_cast<uint32_t>(state.holdCounter);
    const uint32_t holdLen = static_cast<uint32_t>(state.holdLength);
    const uint32_t half = static_cast<uint32_t>(state.holdHalf);
    double* const line = state.delayLine.get();
    uint32_t pos = static_cast<uint32_t>(state.writePos);
    const uint32_t wrap = static_cast<uint32_t>(state.delayLength);

    for (int32_t i = 0; i < frames;)
    {
        // Frames up to the next ring wrap or hold window event.
        int64_t n = std::min(frames - i, kStretch);
        if constexpr (kRing) n = std::min<int64_t>(n, pos + 2 < wrap ? (wrap - pos - 1) / 2 : 0);
        if constexpr (kHold)
            n = std::min<int64_t>(n, counter < half ? half - counter - 1 : counter <= holdLen ? holdLen - counter : 0);
        double* const write = kRing ? line + pos : nullptr;
        if (n > 0)
        {
            const int32_t m = static_cast<int32_t>(n);
            // Where the attack decision flips often, a branch would mispredict: run without one.
            const int flips = erratic ? RunFrames<kRing, kHold, true>(c, s, inputs, outputs, i, m, write, write + 2)
                                      : RunFrames<kRing, kHold, false>(c, s, inputs, outputs, i, m, write, write + 2);
            erratic = flips * 4 > m;
            i += m;
            pos += 2 * static_cast<uint32_t>(m);
            counter += static_cast<uint32_t>(m);
            continue;
        }
        // The frame of an event: the hold windows restart, or the ring wraps to its start.
        if constexpr (kHold)
        {
            if (++counter > holdLen)
            {
                counter = 0;
                s.holdA = DoublePair::Both(0.0);
            }
            if (counter == half) s.holdB = DoublePair::Both(0.0);
        }
        const uint32_t next = pos + 2 >= wrap ? 0 : pos + 2;
        const double* const read = kRing ? line + next : nullptr;
        if (erratic)
            RunFrames<kRing, kHold, true>(c, s, inputs, outputs, i, 1, write, read);
        else
            RunFrames<kRing, kHold, false>(c, s, inputs, outputs, i, 1, write, read);
        pos = next;
        ++i;
    }

    state.envelope[0] = s.envelope.left;
    state.envelope[1] = s.envelope.right;
    state.holdPeakA[0] = s.holdA.Left();
    state.holdPeakA[1] = s.holdA.Right();
    state.holdPeakB[0] = s.holdB.Left();
    state.holdPeakB[1] = s.holdB.Right();
    if constexpr (kHold) state.holdCounter = static_cast<int32_t>(counter);
    if constexpr (kRing) state.writePos = static_cast<int32_t>(pos);
    const double top = state.ceiling, largestL = s.largest.Left(), largestR = s.largest.Right();
    return {largestL > top ? largestL : 0.0, largestR > top ? largestR : 0.0};
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
