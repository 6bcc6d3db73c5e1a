#include "vellicor/engine/LimiterEngine.h"

#include "core/SampleRateRange.h"
#include "vellicor/engine/DoublePair.h"
#include "vellicor/engine/EnvelopeSteps.h"
#include "vellicor/engine/FramePairs.h"
#include "vellicor/engine/Nint.h"
#include "vellicor/engine/SampleChecks.h"
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
using samples::FloatOf;
using samples::kLargestFiniteFloat;
using samples::MagnitudeWord;

namespace
{
constexpr double kHugeLevel = DBL_MAX;
// ln(10) / 20 and its inverse, to every digit the output's bits depend on:
// exp(dB * kDecibelToLn) = 10^(dB / 20).
constexpr double kDecibelToLn = 0.11512925464970228;
constexpr double kLnToDecibel = 8.685889638065037;

// A decaying envelope gets stuck among subnormal numbers, which cost many times a normal
// operation: flush results to zero while the block runs, and give the host its mode back after.
// A 64-bit block also reads subnormal inputs as zero. A 32-bit block keeps the host's own rule for
// inputs, so that its samples widen exactly as the host's mode widens them; no other operand can be
// subnormal there, since every result is flushed.
class FlushSubnormals
{
public:
#if defined(__SSE2__)
    explicit FlushSubnormals(bool inputsToo)
        : saved(_mm_getcsr())
    {
        _mm_setcsr(saved | kFlushToZero | (inputsToo ? kDenormalsAreZero : 0));
    }
    ~FlushSubnormals()
    {
        _mm_setcsr(saved);
    }
    // Whether the host's mode flushes too: then its own narrowing gives what ours gives.
    bool HostFlushes() const
    {
        return (saved & kFlushToZero) != 0;
    }

private:
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    unsigned saved;
#else
    explicit FlushSubnormals(bool) {} // elsewhere the platform's default mode applies
    bool HostFlushes() const { return true; }
#endif
};

// The magnitude word of the largest sample the gain takes without overflowing, halved for margin.
uint32_t TameLimit(double gain)
{
    return MagnitudeWord(kHugeLevel / std::max(gain, 1.0) / 2);
}

// Where a host's mode keeps subnormals, a 32-bit block's output can fall into single precision's
// subnormal range only from a gained sample under kQuietSample, or through an envelope of
// kQuietHeadroom times the ceiling or more: kQuietSample / kQuietHeadroom is twice the least normal
// float.
constexpr double kQuietSample = 0x1p-100;
constexpr double kQuietHeadroom = 0x1p25;

// The magnitude word under which a 32-bit sample's gained value may be under kQuietSample.
uint32_t QuietWord(double gain)
{
    return MagnitudeWord(static_cast<float>(std::min(kQuietSample / gain * 1.001, 0x1p100)));
}

// The magnitude word of the loudest 32-bit sample that, gained, keeps the envelope well under
// kQuietHeadroom times the ceiling (the test below decides; this only has to be near it).
uint32_t CalmWord(double gain, double ceiling)
{
    return std::min(MagnitudeWord(static_cast<float>(ceiling * kQuietHeadroom / 4 / gain)),
                    kLargestFiniteFloat);
}

// A 32-bit block's samples at a glance: whether all are finite (no finite float overflows when
// gained), the loudest magnitude, and whether any is non-zero but under the quiet word. Most blocks
// are zero or within the quiet word and CalmWord, which one cheap pass tells (CalmWord's value then
// standing for the loudest); only the others are surveyed sample by sample.
struct FloatSurvey
{
    bool tame, quiet;
    float loudest;
};

FloatSurvey Survey(const float* l, const float* r, int32_t n, uint32_t quietWord)
{
    FloatSurvey survey{true, false, 0.0f};
    for (int32_t i = 0; i < n; ++i)
        for (const float x : {l[i], r[i]})
        {
            const uint32_t word = MagnitudeWord(x);
            survey.tame &= word <= kLargestFiniteFloat;
            survey.quiet |= word != 0 && word < quietWord;
            survey.loudest = std::max(survey.loudest, std::fabs(x));
        }
    return survey;
}

// The host's narrowing of a double whose single-precision value is subnormal, which the flushing
// mode gives as zero. Adding c rounds v to a multiple of 2^-149, the step of those subnormals (c's
// last place), in the current rounding direction; sum and difference are normal numbers, which the
// flushing leaves alone. The multiple is then the float's bit pattern.
float NarrowSubnormal(double v)
{
    const double c = std::copysign(0x1.8p-97, v);
    const double r = std::fabs((v + c) - c);
    if (r >= 0x1p-126)
        return std::copysign(static_cast<float>(r), static_cast<float>(v)); // up to the least normal
    return FloatOf(static_cast<uint32_t>(r * 0x1p149) | (std::signbit(v) ? 0x80000000u : 0u));
}

// A frame with an output under the least normal float: those outputs are redone.
void NarrowSubnormals(DoublePair x, float* l, float* r)
{
    if (std::fabs(x.Left()) < FLT_MIN) *l = NarrowSubnormal(x.Left());
    if (std::fabs(x.Right()) < FLT_MIN) *r = NarrowSubnormal(x.Right());
}

// Where the loop reads a stretch's frames and writes them back: the host's two buffers of T, or one
// buffer of pairs. kSubnormalsByHand: a 32-bit host whose mode does not flush, whose subnormal
// outputs come from NarrowSubnormal.
template <typename T, bool kSubnormalsByHand = false> struct HostFrames
{
    const T* inL;
    const T* inR;
    T* outL;
    T* outR;

    DoublePair Load(int64_t frame) const { return DoublePair::Load(inL + frame, inR + frame); }
    void Store(int64_t frame, DoublePair x, DoublePair leastNormalFloat) const
    {
        x.Store(outL + frame, outR + frame);
        // Outputs are never subnormal doubles (results flush), so only single precision's
        // subnormal range needs the host's own narrowing: rare, a branch.
        if constexpr (kSubnormalsByHand)
            if (Any(Less(Abs(x), leastNormalFloat))) NarrowSubnormals(x, outL + frame, outR + frame);
    }
};

// A 32-bit block widened into pairs before the loop and narrowed after it: each frame's output
// replaces its input, which the loop has read by then.
struct PairFrames
{
    double* pairs;

    DoublePair Load(int64_t frame) const { return DoublePair::LoadAdjacent(pairs + 2 * frame); }
    void Store(int64_t frame, DoublePair x, DoublePair) const { x.StoreAdjacent(pairs + 2 * frame); }
};

// Everything the frame loop reads but never changes, laid out per lane once per block.
struct LoopConstants
{
    DoublePair gain, ceiling, huge, negativeHuge, leastNormalFloat;
    envelope::EnvelopeCoefs<double> envelope;
};

// What one stretch of frames carries to the next.
struct LoopState
{
    envelope::Stereo<double> envelope;
    // The two hold accumulators are running maxima since their last restarts, so the one restarted
    // earlier (wide) is never below the other (narrow): the held level is the wide one alone.
    DoublePair wide, narrow;
    DoublePair largest;    // largest envelope of the block: limited frames have the largest ones
    envelope::Turns turns; // of the left level; the right one mostly turns with it
};

// Frames i to i + n - 1 (n >= 1) of the limiter, both channels in one register, with no ring wrap
// and no hold window event among them: the caller cuts the block there. write and read are the ring
// slots of frame i (read is write + 2 except on the frame that wraps). Frames: HostFrames or
// PairFrames. kTame: every sample is finite and small enough to gain (see TameLimit), so nothing
// needs cleaning. Answers how often the left level turned from falling to rising, to choose between
// the forms.
template <typename Frames, bool kRing, bool kHold, bool kBranchFree, bool kTame>
int RunFrames(const LoopConstants& constants, LoopState& state, const Frames& frames, int32_t i, int32_t n,
              double* write, const double* read)
{
    // Copies in locals: the output stores could alias the references, which would keep the
    // envelope in memory on its way from one frame to the next.
    const LoopConstants c = constants;
    LoopState s = state;
    const Frames io = frames;
    // Both channels' quotients with one divide; a channel at or under the ceiling passes with the
    // input gain alone. Where decisions are steady, both channels limited is the common case, and
    // a branch that predicts well skips the selection.
    const auto emit = [&](int64_t frame, DoublePair env, DoublePair sample)
    {
        const DoublePair over = Less(c.ceiling, env);
        const DoublePair limited = sample * c.ceiling / env;
        const DoublePair result = !kBranchFree && All(over) ? limited : Select(over, limited, sample);
        io.Store(frame, result, c.leastNormalFloat);
        s.largest = Max(s.largest, env);
    };
    // The branch-free form's left envelope in its parts; a stretch starts with both at the envelope.
    envelope::SplitLeft<double> left{s.envelope.left, s.envelope.left};
    // One frame's envelopes and delayed sample.
    const auto step = [&](int64_t frame, DoublePair& env, DoublePair& sample)
    {
        // A NaN or infinite sample is silence, so that it cannot poison the envelope or the hold, and
        // a finite one too loud for the input gain is capped at the largest finite level after the
        // gain, so that no output overflows either, now or out of the ring. The detector level is the
        // gained sample's magnitude: |x| g and |x g| round alike.
        const DoublePair x = io.Load(frame);
        const DoublePair gained =
            kTame ? x * c.gain
                  : Min(Max(Keep(LessEqual(Abs(x), c.huge), x) * c.gain, c.negativeHuge), c.huge);
        DoublePair d = Abs(gained);

        // The ring holds the samples with the gain applied, so a gain change reaches the detector
        // and the delayed output together.
        sample = gained;
        if constexpr (kRing)
        {
            sample.StoreAdjacent(write);
            sample = DoublePair::LoadAdjacent(read);
            write += 2;
            read += 2;
        }
        if constexpr (kHold)
        {
            s.wide = Max(s.wide, d);
            s.narrow = Max(s.narrow, d);
            d = s.wide;
        }

        // The envelopes leave the register for scalars, where the chain needs no shuffle.
        const double dL = d.Left(), dR = d.Right();
        if constexpr (kBranchFree)
        {
            const envelope::Stereo<double> target = envelope::Link(left, s.envelope.right, c.envelope);
            left = envelope::SmoothLeftBranchFree(target.left, dL, c.envelope);
            s.envelope.left = left.Envelope();
            s.envelope.right = envelope::SmoothRightBranchFree(target.right, dR, c.envelope);
            s.turns.Note(target.left < dL);
        }
        else
        {
            const envelope::Stereo<double> target = envelope::LinkBranchy(s.envelope, c.envelope);
            s.envelope.left = envelope::SmoothLeftBranchy(target.left, dL, c.envelope, s.turns);
            s.envelope.right = envelope::SmoothRightBranchy(target.right, dR, c.envelope);
        }
        env = DoublePair::Of(s.envelope.left, s.envelope.right);
    };

    // The outputs of a frame go out in the next one, after its envelope steps: the processor
    // serves older instructions first, so the envelope chain is not queued behind them.
    DoublePair pendingEnv, pendingSample;
    step(i, pendingEnv, pendingSample);
    for (int64_t frame = i + 1, end = int64_t{i} + n; frame < end; ++frame)
    {
        DoublePair env, sample;
        step(frame, env, sample);
        emit(frame - 1, pendingEnv, pendingSample);
        pendingEnv = env;
        pendingSample = sample;
    }
    emit(int64_t{i} + n - 1, pendingEnv, pendingSample);
    const int turns = s.turns.count - state.turns.count;
    state = s;
    return turns;
}
} // namespace

LimiterEngine::LimiterEngine()
    : pairPasses(framepairs::PassesPay())
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
    framesSinceQuiet = kLongAgo;
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
    const bool ring = UseRing();
    const FlushSubnormals flush(true);
    if (ring) framesSinceQuiet = 0; // its samples reach the ring unsurveyed
    const bool tame = samples::AllAtMost(inputs[0], inputs[1], frames, TameLimit(state.inputGain));
    return Run(ring, tame, HostFrames<double>{inputs[0], inputs[1], outputs[0], outputs[1]}, frames);
}

// A 32-bit block gives the 64-bit block's outputs on the widened inputs, narrowed in the host's mode.
// Where that mode flushes as ours does, the loop's own narrowing is it; where it does not, an output
// in single precision's subnormal range is narrowed by hand, at the cost of a test per frame. Outputs
// are delayed samples divided by at most the envelope over the ceiling, so a block cannot give one
// while its envelope stays under kQuietHeadroom times the ceiling (twice the largest level it starts
// with or meets bounds it) and every delayed sample, the ring's included, is zero or at least
// kQuietSample.
LimiterEngine::BlockPeaks LimiterEngine::ProcessBlock(float** inputs, float** outputs, int32_t frames)
{
    if (frames < 1) return {};
    const bool ring = UseRing();
    if (pairPasses) return ProcessInPairs(ring, inputs, outputs, frames);
    const FlushSubnormals flush(false);
    const HostFrames<float> host{inputs[0], inputs[1], outputs[0], outputs[1]};
    if (flush.HostFlushes())
    {
        if (ring) framesSinceQuiet = 0; // unsurveyed
        const bool tame = samples::AllAtMost(inputs[0], inputs[1], frames, kLargestFiniteFloat);
        return Run(ring, tame, host, frames);
    }
    const double gain = state.inputGain;
    const uint32_t quietWord = QuietWord(gain), calmWord = CalmWord(gain, state.ceiling);
    const FloatSurvey survey = samples::ZeroOrWithin(inputs[0], inputs[1], frames, quietWord, calmWord)
                                   ? FloatSurvey{true, false, FloatOf(calmWord)}
                                   : Survey(inputs[0], inputs[1], frames, quietWord);
    const double top = std::max({state.envelope[0], state.envelope[1], state.holdPeakA[0], state.holdPeakA[1],
                                 state.holdPeakB[0], state.holdPeakB[1], survey.loudest * gain});
    const bool byHand = !survey.tame || survey.quiet || !(2 * top <= state.ceiling * kQuietHeadroom) ||
                        (ring && framesSinceQuiet <= (state.delayLength + 1) / 2);
    // A ring of P frames still delivers a quiet sample for P frames after the block that wrote it.
    framesSinceQuiet = survey.quiet || !survey.tame ? 0 : std::min<int64_t>(framesSinceQuiet + frames, kLongAgo);
    return byHand ? Run(ring, survey.tame, HostFrames<float, true>{host.inL, host.inR, host.outL, host.outR},
                        frames)
                  : Run(ring, survey.tame, host, frames);
}

// The same block widened into pairs before the loop and narrowed after it, a chunk at a time. The
// narrowing runs in the host's own mode, which is what defines the outputs, so no survey and no
// narrowing by hand is needed.
LimiterEngine::BlockPeaks LimiterEngine::ProcessInPairs(bool ring, float** inputs, float** outputs,
                                                        int32_t frames)
{
    if (ring) framesSinceQuiet = 0; // unsurveyed
    const bool tame = samples::AllAtMost(inputs[0], inputs[1], frames, kLargestFiniteFloat);
    BlockPeaks peaks;
    for (int32_t i = 0, n = 0; i < frames; i += n)
    {
        n = std::min(frames - i, kPairChunk);
        // Widening is exact; in the host's own mode it reads subnormal inputs as the block does.
        framepairs::Widen(inputs[0] + i, inputs[1] + i, pairs, n);
        BlockPeaks chunk;
        {
            const FlushSubnormals flush(false);
            chunk = Run(ring, tame, PairFrames{pairs}, n);
        }
        framepairs::Narrow(pairs, outputs[0] + i, outputs[1] + i, n);
        peaks.left = std::max(peaks.left, chunk.left);
        peaks.right = std::max(peaks.right, chunk.right);
    }
    return peaks;
}

// Without a usable ring (no memory, broken rate) the limiter runs without look-ahead.
bool LimiterEngine::UseRing() const
{
    return state.lookAheadOn && RingUsable();
}

template <typename Frames>
LimiterEngine::BlockPeaks LimiterEngine::Run(bool ring, bool tame, const Frames& io, int32_t frames)
{
    if (ring)
        return state.holdOn ? Run<Frames, true, true>(tame, io, frames)
                            : Run<Frames, true, false>(tame, io, frames);
    return state.holdOn ? Run<Frames, false, true>(tame, io, frames)
                        : Run<Frames, false, false>(tame, io, frames);
}

// The whole state lives in locals for the block and is written back once: the envelope
// recurrence is serial, so anything around it shows directly in the cost per frame.
template <typename Frames, bool kRing, bool kHold>
LimiterEngine::BlockPeaks LimiterEngine::Run(bool tame, const Frames& io, int32_t frames)
{
    // Stretches are short enough to follow a signal that turns from steady to erratic.
    constexpr int32_t kStretch = 128;
    const double huge = kHugeLevel;
    const LoopConstants c{
        DoublePair::Both(state.inputGain),
        DoublePair::Both(state.ceiling),
        DoublePair::Both(huge),
        DoublePair::Both(-huge),
        DoublePair::Both(FLT_MIN),
        {state.attackCoef, state.releaseCoef, state.linkFactor, state.attackCoef > state.releaseCoef}};
    // Which accumulator is the wide one: a running maximum over a longer stretch is never smaller.
    bool aWide = state.holdPeakA[0] >= state.holdPeakB[0] && state.holdPeakA[1] >= state.holdPeakB[1];
    const DoublePair a = DoublePair::Of(state.holdPeakA[0], state.holdPeakA[1]);
    const DoublePair b = DoublePair::Of(state.holdPeakB[0], state.holdPeakB[1]);
    LoopState s{
        {state.envelope[0], state.envelope[1]}, aWide ? a : b, aWide ? b : a, DoublePair::Both(0.0), {}};
    uint32_t counter = static_cast<uint32_t>(state.holdCounter);
    const uint32_t holdLen = static_cast<uint32_t>(state.holdLength);
    const uint32_t half = static_cast<uint32_t>(state.holdHalf);
    double* const line = state.delayLine.get();
    uint32_t pos = static_cast<uint32_t>(state.writePos);
    const uint32_t wrap = static_cast<uint32_t>(state.delayLength);

    // One stretch of m frames in the form the block's samples and the recent decisions ask for.
    const auto stretch = [&](int32_t i, int32_t m, double* write, const double* read)
    {
        if (!tame) return RunFrames<Frames, kRing, kHold, false, false>(c, s, io, i, m, write, read);
        // Where the attack decision flips often, a branch would mispredict: run without one.
        if (erratic) return RunFrames<Frames, kRing, kHold, true, true>(c, s, io, i, m, write, read);
        return RunFrames<Frames, kRing, kHold, false, true>(c, s, io, i, m, write, read);
    };

    for (int32_t i = 0; i < frames;)
    {
        // Frames up to the next ring wrap or hold window event.
        int64_t n = std::min(frames - i, kStretch);
        if constexpr (kRing) n = std::min<int64_t>(n, pos + 2 < wrap ? (wrap - pos - 1) / 2 : 0);
        if constexpr (kHold)
            n = std::min<int64_t>(n, counter < half       ? half - counter - 1
                                     : counter <= holdLen ? holdLen - counter
                                                          : 0);
        double* const write = kRing ? line + pos : nullptr;
        if (n > 0)
        {
            const int32_t m = static_cast<int32_t>(n);
            erratic = stretch(i, m, write, write + 2) * 8 > m; // a turn is two flips of the decision
            i += m;
            pos += 2 * static_cast<uint32_t>(m);
            counter += static_cast<uint32_t>(m);
            continue;
        }
        // The frame of an event: a hold window restarts, the other accumulator becoming the wide
        // one, or the ring wraps to its start.
        if constexpr (kHold)
        {
            if (++counter > holdLen)
            {
                counter = 0;
                if (aWide) s.wide = s.narrow;
                s.narrow = DoublePair::Both(0.0);
                aWide = false;
            }
            if (counter == half)
            {
                if (!aWide) s.wide = s.narrow;
                s.narrow = DoublePair::Both(0.0);
                aWide = true;
            }
        }
        const uint32_t next = pos + 2 >= wrap ? 0 : pos + 2;
        stretch(i, 1, write, kRing ? line + next : nullptr);
        pos = next;
        ++i;
    }

    state.envelope[0] = s.envelope.left;
    state.envelope[1] = s.envelope.right;
    const DoublePair heldA = aWide ? s.wide : s.narrow, heldB = aWide ? s.narrow : s.wide;
    state.holdPeakA[0] = heldA.Left();
    state.holdPeakA[1] = heldA.Right();
    state.holdPeakB[0] = heldB.Left();
    state.holdPeakB[1] = heldB.Right();
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
