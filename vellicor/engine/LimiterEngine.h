#pragma once
// The limiter's signal engine: coefficients from quantised parameter values, the sample-rate
// dependent look-ahead ring, the per-frame limiter and the block-end meter hand-off.
// No host types and no lock: the plug-in class calls every operation with the plug-in lock held,
// so coefficients never change inside a block. Allocation happens in PrepareRate only, and only
// when the ring's size changes.
#include "vellicor/engine/LimiterParams.h"
#include "vellicor/engine/MeterData.h"

#include <cstddef>
#include <cstdint>
#include <memory>

class LimiterEngine
{
public:
    static constexpr int32_t kParamCount = kVellicorParamCount;

    struct BlockPeaks
    {
        double left = 0.0, right = 0.0; // largest envelope above the ceiling, 0 if none
    };

    // The host's transport position in samples, asked only when a new peak is recorded.
    struct HostPosition
    {
        int32_t (*query)(void* context);
        void* context;
    };

    LimiterEngine();

    // Tenths of a dB or ms, whole units for "Stereo Link", the target and the memories.
    static int32_t Quantise(int32_t index, double value);
    // The rate the engine computes with: the host's, or 0 when it is unusable.
    static double UsableRate(double hostRate);

    // Quantises value and, when that differs from the last quantised value of index, recomputes
    // its coefficient (and meter field). Answers whether anything was recomputed.
    bool ApplyValue(int32_t index, double value, MeterData& meter);
    // Makes the next ApplyValue of index recompute whatever its value.
    void ForgetQuantised(int32_t index);

    // First-block rule: answers true once, after which the caller runs its full reset.
    bool StartIfFirstBlock();
    // When the usable rate differs from engineRate (or the ring is missing): adopt it and give it
    // a zeroed ring, rewound. A ring of the right size is zeroed in place; only a ring of another
    // size (or none) is allocated. Answers true only for a new rate, so that the caller recomputes
    // "Look Ahead", "Attack", "Release" and "Hold" in that order. A failed allocation leaves no
    // ring (no look-ahead) and is retried by the next call.
    bool PrepareRate(double hostRate);
    // Envelopes, hold accumulators, hold counter and ring to 0, the ring rewound: afterwards the
    // engine puts out what a fresh one would. Every reset and the end of a bypass come here.
    void ClearState();

    // inputs/outputs: two channels each, in place allowed. Non-finite input samples count as 0.
    BlockPeaks ProcessBlock(double** inputs, double** outputs, int32_t frames);
    // A 32-bit host's buffers: every output bit is the one the 64-bit block on the widened input
    // gives, rounded to single precision in the host's floating-point mode; converted inside the loop
    // or, where the processor does that faster, in passes around it.
    BlockPeaks ProcessBlock(float** inputs, float** outputs, int32_t frames);
    // Gain reduction of the block for each channel that limited; the peak time is asked lazily.
    void HandOffMeters(const BlockPeaks& peaks, MeterData& meter, HostPosition position) const;

    // True when a look-ahead write of the coming block stays inside the ring.
    bool RingUsable() const;
    size_t RingCapacity() const { return ringCapacity; }
    // Test hook: allocations of more doubles than this fail.
    void LimitRingAllocation(size_t doubles) { ringLimit = doubles; }
    // Test hook: 32-bit blocks converted in passes around the loop or inside it (the same bits; the
    // processor decides which is faster).
    void UsePairPasses(bool passes) { pairPasses = passes; }

    // The engine's members, named as in the limiter's design.
    struct Members
    {
        double engineRate = 0.0;
        std::unique_ptr<double[]> delayLine;
        int32_t holdLength = 0;
        int32_t holdHalf = 0;
        int32_t holdCounter = 0;
        int32_t writePos = 0;
        int32_t delayLength = 0;
        double ceiling = 0.0;
        double inputGain = 0.0;
        double attackCoef = 0.0;
        double releaseCoef = 0.0;
        double linkFactor = 0.0;
        double holdPeakA[2] = {0.0, 0.0};
        double holdPeakB[2] = {0.0, 0.0};
        double envelope[2] = {0.0, 0.0};
        bool engineStarted = false;
        bool lookAheadOn = false;
        bool holdOn = false;
        int32_t lastQuantised[kParamCount];
    };
    // Read-only: only the engine's operations change them.
    const Members& View() const { return state; }

private:
    bool UseRing() const;
    BlockPeaks ProcessInPairs(bool ring, float** inputs, float** outputs, int32_t frames);
    // Frames: where the loop reads and writes the block's frames.
    // tame: every sample of the block is finite and small enough to gain, so nothing needs cleaning.
    template <typename Frames> BlockPeaks Run(bool ring, bool tame, const Frames& io, int32_t frames);
    template <typename Frames, bool kRing, bool kHold>
    BlockPeaks Run(bool tame, const Frames& io, int32_t frames);
    // Silence in the whole ring and position 0, so the delay never delivers audio from before.
    void RestartRing();

    Members state;
    size_t ringCapacity = 0; // doubles in delayLine
    size_t ringLimit = SIZE_MAX;
    bool erratic = false; // the attack decisions flipped often lately: run the branch-free form
    // Frames since a block wrote a sample into the ring that a 32-bit block's narrowing would have to
    // watch (see the 32-bit ProcessBlock); long ago for an empty ring.
    static constexpr int64_t kLongAgo = int64_t{1} << 40;
    int64_t framesSinceQuiet = kLongAgo;
    // A 32-bit block's frames as pairs of doubles, where the processor converts faster in passes.
    static constexpr int32_t kPairChunk = 512;
    bool pairPasses; // chosen for the processor at construction
    double pairs[2 * kPairChunk];
};
