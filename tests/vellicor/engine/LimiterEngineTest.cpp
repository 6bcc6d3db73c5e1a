// Coefficients, ring, hold, link and input cleaning of the engine on its own.
#include "vellicor/engine/LimiterEngine.h"
#include "tests/vellicor/engine/HostMode.h"
#include "vellicor/engine/Nint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace
{
const double kDefaults[10] = {0.0, 6.0, 6.0, 8.0, 9.0, 70.0, -0.1, 5.0, 0.0, 0.0};

struct Engine
{
    LimiterEngine e;
    MeterData meter;

    explicit Engine(double rate, const double* values = kDefaults)
    {
        e.PrepareRate(rate);
        for (int32_t i = 0; i < 10; ++i)
            e.ApplyValue(i, values[i], meter);
    }
    void Set(int32_t index, double value) { e.ApplyValue(index, value, meter); }

    // One block, out of place; answers left and right.
    std::pair<std::vector<double>, std::vector<double>> Run(std::vector<double> left,
                                                            std::vector<double> right)
    {
        std::vector<double> outL(left.size()), outR(right.size());
        double* in[2] = {left.data(), right.data()};
        double* out[2] = {outL.data(), outR.data()};
        e.ProcessBlock(in, out, static_cast<int32_t>(left.size()));
        return {outL, outR};
    }

    // Runs frame by frame so that the envelope can be watched.
    std::vector<double> RunLeft(const std::vector<double>& left, const std::vector<double>& right,
                                std::vector<double>* envelopes = nullptr)
    {
        std::vector<double> out(left.size()), outR(left.size());
        for (size_t i = 0; i < left.size(); ++i)
        {
            double xl = left[i], xr = right[i];
            double* in[2] = {&xl, &xr};
            double* o[2] = {&out[i], &outR[i]};
            e.ProcessBlock(in, o, 1);
            if (envelopes) envelopes->push_back(e.View().envelope[0]);
        }
        return out;
    }
};

std::vector<double> Sine(size_t frames, double peak, double step)
{
    std::vector<double> x(frames);
    for (size_t i = 0; i < frames; ++i)
        x[i] = peak * std::sin(step * static_cast<double>(i));
    return x;
}
} // namespace

TEST(Nint, RoundsHalvesAwayFromZeroAndSaturates)
{
    EXPECT_EQ(Nint(2.5), 3);
    EXPECT_EQ(Nint(-2.5), -3);
    EXPECT_EQ(Nint(2.4999), 2);
    EXPECT_EQ(Nint(-0.4), 0);
    EXPECT_EQ(Nint(1e300), INT32_MAX);
    EXPECT_EQ(Nint(-1e300), INT32_MIN);
    EXPECT_EQ(Nint(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(LimiterCoefficients, WorkedValuesAt44100WithDefaults)
{
    Engine s(44100.0);
    EXPECT_NEAR(s.e.View().attackCoef, 0.979044, 5e-7);
    EXPECT_NEAR(s.e.View().releaseCoef, 0.988464, 5e-7);
    EXPECT_EQ(s.e.View().holdLength, 529);
    EXPECT_EQ(s.e.View().holdHalf, 264);
    EXPECT_EQ(s.e.View().delayLength, 529);
    EXPECT_NEAR(s.e.View().ceiling, 0.988553, 5e-7);
    EXPECT_NEAR(s.e.View().linkFactor, 0.707946, 5e-7);
    EXPECT_EQ(s.e.View().inputGain, 1.0);
    EXPECT_TRUE(s.e.View().lookAheadOn);
    EXPECT_TRUE(s.e.View().holdOn);
    EXPECT_EQ(MeterData::Load(s.meter.meterCoef), static_cast<float>(s.e.View().attackCoef * 0.5));
    EXPECT_EQ(s.e.RingCapacity(), 8822u); // nint(44100 * 0.2 + 2)
}

TEST(LimiterCoefficients, SinglePrecisionPiecesOfAttackAndCeiling)
{
    Engine s(48000.0);
    s.Set(2, 37.3);
    const float f = 373.0f * 0.030000031f * 0.001f + 0.82f;
    EXPECT_EQ(s.e.View().attackCoef, std::pow(0.01, 1000 / (373 * 48000.0 * static_cast<double>(f) * 0.1)));
    s.Set(6, -7.3);
    EXPECT_EQ(s.e.View().ceiling, std::exp(static_cast<double>(-73.0f * 0.1f) * 0.11512925464970228));
    EXPECT_NE(s.e.View().ceiling, std::exp(-7.3 * 0.11512925464970228)); // the single step is observable
}

TEST(LimiterCoefficients, EdgeValues)
{
    Engine s(44100.0);
    s.Set(2, 0.0);
    EXPECT_EQ(s.e.View().attackCoef, 0.0);
    s.Set(4, 0.1);
    EXPECT_NEAR(s.e.View().releaseCoef, 0.352, 5e-4);
    s.Set(5, 0.0);
    EXPECT_NEAR(s.e.View().linkFactor, 0.31623, 5e-6);
    s.Set(5, 100.0);
    EXPECT_EQ(s.e.View().linkFactor, 1.0);
    s.Set(6, -18.0);
    EXPECT_NEAR(s.e.View().ceiling, 0.125893, 5e-7);
    s.Set(6, 0.0);
    EXPECT_EQ(s.e.View().ceiling, 1.0);
    s.Set(0, 18.0);
    EXPECT_NEAR(s.e.View().inputGain, 7.943282, 5e-7);
}

TEST(LimiterCoefficients, SameTenthSkipsRecomputation)
{
    Engine s(44100.0);
    EXPECT_TRUE(s.e.ApplyValue(0, 1.0, s.meter));
    const double gain = s.e.View().inputGain;
    EXPECT_FALSE(s.e.ApplyValue(0, 1.04, s.meter));
    EXPECT_EQ(s.e.View().inputGain, gain);
    EXPECT_TRUE(s.e.ApplyValue(0, 1.05, s.meter)); // 10.5 rounds away to 11
    EXPECT_GT(s.e.View().inputGain, gain);
    EXPECT_FALSE(s.e.ApplyValue(5, 70.4, s.meter)); // whole percent
    EXPECT_FALSE(s.e.ApplyValue(10, 1.0, s.meter));
}

TEST(LimiterCoefficients, LookAheadAndHoldZeroSwitchOffButKeepTheirLengths)
{
    Engine s(44100.0);
    std::vector<double> loud(300, 3.0);
    s.RunLeft(loud, loud);
    ASSERT_NE(s.e.View().writePos, 0);
    s.Set(1, 0.0);
    EXPECT_FALSE(s.e.View().lookAheadOn);
    EXPECT_EQ(s.e.View().writePos, 0);
    EXPECT_EQ(s.e.View().delayLength, 529);
    const double heldA = s.e.View().holdPeakA[0];
    s.Set(3, 0.0);
    EXPECT_FALSE(s.e.View().holdOn);
    EXPECT_EQ(s.e.View().holdPeakA[0], heldA);
    EXPECT_EQ(s.e.View().holdLength, 529);
    s.Set(3, 2.0);
    EXPECT_EQ(s.e.View().holdCounter, 0);
}

TEST(LimiterEngine, LookAheadDelaysByPMinusOneFrames)
{
    const struct
    {
        double rate;
        int32_t delay;
    } cases[] = {{44100.0, 264}, {48000.0, 287}, {96000.0, 575}};
    for (const auto& c : cases)
    {
        Engine s(c.rate);
        std::vector<double> in(1200, 0.0), zero(1200, 0.0);
        in[100] = 0.5;
        const std::vector<double> out = s.RunLeft(in, zero);
        for (size_t i = 0; i < out.size(); ++i)
            ASSERT_EQ(out[i], i == static_cast<size_t>(100 + c.delay) ? 0.5 : 0.0)
                << c.rate << " Hz, frame " << i;
    }
}

TEST(LimiterEngine, BelowTheCeilingPassesSampleExactWithTheInputGain)
{
    double values[10] = {3.0, 0.0, 6.0, 8.0, 9.0, 70.0, -0.1, 5.0, 0.0, 0.0};
    Engine s(48000.0, values);
    std::vector<double> in(2000), right(2000);
    for (size_t i = 0; i < in.size(); ++i)
    {
        in[i] = 0.6 * std::sin(0.05 * static_cast<double>(i)); // 0.6 * 1.41 stays below 0.9886
        right[i] = -in[i];
    }
    const std::vector<double> out = s.RunLeft(in, right);
    for (size_t i = 0; i < in.size(); ++i)
        ASSERT_EQ(out[i], in[i] * s.e.View().inputGain) << "frame " << i;
    EXPECT_EQ(s.meter.peakReduction[0].load(), 0.0f);
}

TEST(LimiterEngine, HoldKeepsAPeakForHalfToAWholeWindowPlusOne)
{
    double values[10] = {0.0, 0.0, 0.0, 2.0, 0.1, 100.0, -0.1, 5.0, 0.0, 0.0};
    Engine s(44100.0, values);
    const int32_t len = s.e.View().holdLength, half = s.e.View().holdHalf;
    ASSERT_EQ(len, 132);
    int32_t shortest = 1 << 30, longest = 0;
    for (int32_t offset = 0; offset <= len + 1; ++offset)
    {
        s.e.ClearState();
        std::vector<double> in(3 * len, 0.0);
        in[offset] = 0.5;
        std::vector<double> env;
        s.RunLeft(in, in, &env);
        int32_t held = 0;
        for (double e : env)
            held += e == 0.5;
        shortest = std::min(shortest, held);
        longest = std::max(longest, held);
    }
    EXPECT_EQ(shortest, half + 1);
    EXPECT_EQ(longest, len + 1);
}

TEST(LimiterEngine, LeftEnvelopeRisesFasterThanRightWithFullLink)
{
    double values[10] = {0.0, 0.0, 6.0, 0.0, 9.0, 100.0, -0.1, 5.0, 0.0, 0.0};
    for (double release : {1500.0, 9.0, 1.0})
    {
        values[4] = release;
        Engine s(44100.0, values);
        std::vector<double> step(1, 2.0);
        s.RunLeft(step, step);
        // Left moves by attack x release, right by attack alone.
        const double attacked = 2.0 + (0.0 - 2.0) * s.e.View().attackCoef;
        EXPECT_EQ(s.e.View().envelope[0], 2.0 + (attacked - 2.0) * s.e.View().releaseCoef);
        EXPECT_EQ(s.e.View().envelope[1], 2.0 + (0.0 - 2.0) * s.e.View().attackCoef);
        EXPECT_GT(s.e.View().envelope[0], s.e.View().envelope[1]);
        s.RunLeft(step, step);
        EXPECT_GT(s.e.View().envelope[0], s.e.View().envelope[1]) << "release " << release;
    }
}

TEST(LimiterEngine, NoLinkStillPullsTheQuietChannelByMinusTenDecibels)
{
    double values[10] = {0.0, 0.0, 0.0, 0.0, 1500.0, 0.0, -0.1, 5.0, 0.0, 0.0};
    Engine s(44100.0, values);
    std::vector<double> loud(50, 2.0), quiet(50, 0.0);
    s.RunLeft(loud, quiet);
    EXPECT_NEAR(s.e.View().envelope[1] / s.e.View().envelope[0], 0.31623, 1e-3);
}

TEST(LimiterEngine, NonFiniteInputIsSilenceAndDoesNotPoisonTheState)
{
    const double bad[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity()};
    for (double b : bad)
    {
        Engine dirty(44100.0), clean(44100.0);
        std::vector<double> in(2000), cleaned;
        for (size_t i = 0; i < in.size(); ++i)
            in[i] = 1.5 * std::sin(0.01 * static_cast<double>(i));
        cleaned = in;
        in[700] = b;
        cleaned[700] = 0.0;
        std::vector<double> ra = in, rb = cleaned;
        const std::vector<double> a = dirty.RunLeft(in, ra);
        const std::vector<double> c = clean.RunLeft(cleaned, rb);
        for (size_t i = 0; i < a.size(); ++i)
            ASSERT_EQ(a[i], c[i]) << "input " << b << ", frame " << i;
        EXPECT_TRUE(std::isfinite(dirty.e.View().envelope[0]));
    }
    // As one block too, at each place of a group of four frames and at a block's odd last frame,
    // in either channel: the block's check reads four samples to a register, the rest one by one.
    for (double b : bad)
        for (size_t at : {700, 701, 702, 703, 2000})
            for (int channel : {0, 1})
            {
                std::vector<double> signal(2001);
                for (size_t i = 0; i < signal.size(); ++i)
                    signal[i] = 1.5 * std::sin(0.01 * static_cast<double>(i));
                std::vector<double> dirty[2] = {signal, signal}, cleaned[2] = {signal, signal};
                dirty[channel][at] = b;
                cleaned[channel][at] = 0.0;
                ASSERT_EQ(Engine(44100.0).Run(dirty[0], dirty[1]), Engine(44100.0).Run(cleaned[0], cleaned[1]))
                    << "input " << b << " at frame " << at << " of channel " << channel;
            }
}

TEST(LimiterEngine, HugeFiniteSampleKeepsDetectorAndOutputFinite)
{
    // Also with the longest look-ahead and the fastest release, where the sample leaves the ring
    // after the envelope has fallen back under the ceiling.
    const double settings[2][10] = {{18.0, 6.0, 6.0, 8.0, 0.1, 70.0, -0.1, 5.0, 0.0, 0.0},
                                    {18.0, 100.0, 0.0, 0.0, 0.1, 70.0, -0.1, 5.0, 0.0, 0.0}};
    for (const double* values : settings)
    {
        Engine s(44100.0, values);
        std::vector<double> in(6000, 0.1);
        in[10] = 1e308; // times +18 dB overflows
        std::vector<double> env;
        const std::vector<double> out = s.RunLeft(in, in, &env);
        for (size_t i = 0; i < out.size(); ++i)
        {
            ASSERT_TRUE(std::isfinite(env[i])) << "frame " << i;
            ASSERT_TRUE(std::isfinite(out[i])) << "look-ahead " << values[1] << ", frame " << i;
        }
        EXPECT_LT(s.e.View().envelope[0], 1.0); // and it recovers
        // And as one block, where the check reads four samples to a register.
        const auto [left, right] = Engine(44100.0, values).Run(in, in);
        for (size_t i = 0; i < left.size(); ++i)
            ASSERT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i])) << "one block, frame " << i;
    }
}

TEST(LimiterEngine, LongSilenceAfterLimitingFlushesTheEnvelopeToZero)
{
    Engine s(48000.0);
    std::vector<double> loud(512, 4.0), silence(48000 * 4, 0.0);
    double* in[2] = {loud.data(), loud.data()};
    std::vector<double> outL(silence.size()), outR(silence.size());
    double* out[2] = {outL.data(), outR.data()};
    s.e.ProcessBlock(in, out, 512);
    double* quiet[2] = {silence.data(), silence.data()};
    s.e.ProcessBlock(quiet, out, static_cast<int32_t>(silence.size()));
    EXPECT_EQ(s.e.View().envelope[0], 0.0);
    EXPECT_EQ(s.e.View().envelope[1], 0.0);
    EXPECT_EQ(outL.back(), 0.0);
}

TEST(LimiterEngine, BrokenSampleRatesGiveAWorkingLimiterWithoutLookAhead)
{
    const double rates[] = {0.0, -44100.0, std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::infinity(), 1e12};
    for (double rate : rates)
    {
        Engine s(rate);
        EXPECT_EQ(s.e.View().engineRate, 0.0) << rate;
        EXPECT_LE(s.e.RingCapacity(), 2u) << rate;
        EXPECT_FALSE(s.e.PrepareRate(rate)) << "unchanged broken rate reallocates: " << rate;
        std::vector<double> in(400, 0.0);
        in[5] = 3.0;
        in[6] = 0.5;
        const std::vector<double> out = s.RunLeft(in, in);
        EXPECT_NEAR(out[5], s.e.View().ceiling, 1e-12) << rate; // instant attack and release, no delay
        EXPECT_EQ(out[6], 0.5) << rate;
        s.meter.peakTime[0] = 99;
        s.e.HandOffMeters({3.0, 0.0}, s.meter, {nullptr, nullptr});
        EXPECT_EQ(s.meter.peakTime[0].load(), 0);
    }
}

TEST(LimiterEngine, FailedRingAllocationRunsWithoutDelay)
{
    LimiterEngine e;
    MeterData meter;
    e.LimitRingAllocation(100);
    EXPECT_TRUE(e.PrepareRate(44100.0));
    for (int32_t i = 0; i < 10; ++i)
        e.ApplyValue(i, kDefaults[i], meter);
    EXPECT_EQ(e.View().delayLine, nullptr);
    EXPECT_TRUE(e.View().lookAheadOn);
    EXPECT_FALSE(e.RingUsable());
    double l = 0.25, r = -0.25, ol = 0.0, orr = 0.0;
    double* in[2] = {&l, &r};
    double* out[2] = {&ol, &orr};
    e.ProcessBlock(in, out, 1);
    EXPECT_EQ(ol, 0.25);
    EXPECT_EQ(orr, -0.25);
    e.LimitRingAllocation(SIZE_MAX);
    // The next reset tries again; the rate is the same, so nothing needs recomputing.
    EXPECT_FALSE(e.PrepareRate(44100.0));
    EXPECT_TRUE(e.RingUsable());
    EXPECT_EQ(e.RingCapacity(), 8822u);
}

// A reset is a fresh start: nothing of the audio before it may come out after it.
TEST(LimiterEngine, ResetAtTheSameRateEqualsAFreshEngine)
{
    const double settings[][10] = {
        {0.0, 6.0, 6.0, 8.0, 9.0, 70.0, -0.1, 5.0, 0.0, 0.0},
        {0.0, 100.0, 20.0, 0.0, 300.0, 100.0, -3.0, 5.0, 0.0, 0.0},
        {4.0, 0.0, 0.0, 0.0, 0.1, 0.0, 0.0, 5.0, 0.0, 0.0},
    };
    for (double rate : {44100.0, 96000.0})
        for (const double* values : settings)
        {
            Engine used(rate, values), fresh(rate, values);
            const std::vector<double> loudL = Sine(4096, 2.0, 0.03), loudR = Sine(4096, 1.5, 0.05);
            used.Run(loudL, loudR);
            EXPECT_FALSE(used.e.PrepareRate(rate));
            used.e.ClearState();
            const auto [outL, outR] = used.Run(loudL, loudR);
            const auto [wantL, wantR] = fresh.Run(loudL, loudR);
            for (size_t i = 0; i < outL.size(); ++i)
            {
                ASSERT_EQ(outL[i], wantL[i]) << rate << " Hz, look-ahead " << values[1] << ", frame " << i;
                ASSERT_EQ(outR[i], wantR[i]) << rate << " Hz, look-ahead " << values[1] << ", frame " << i;
            }
        }
}

// After a change of "Look Ahead" the delay restarts from silence, so a quiet passage comes out
// no louder than it went in, whatever loud audio the ring held from before.
TEST(LimiterEngine, LookAheadChangeNeverDeliversAudioFromBefore)
{
    struct Step
    {
        double lookAhead, level; // ms, sine peak
        int32_t frames;
    };
    const struct
    {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"up from 0", {{6.0, 2.0, 4800}, {0.0, 0.05, 4800}, {1.0, 0.05, 4800}}},
        {"up from 1 ms", {{100.0, 4.0, 9600}, {1.0, 0.05, 2400}, {100.0, 0.05, 9600}}},
        {"down from 100 ms after 40 ms", {{100.0, 4.0, 9600}, {100.0, 0.05, 1920}, {1.0, 0.05, 4800}}},
        {"down from 100 ms after 130 ms", {{100.0, 4.0, 9600}, {100.0, 0.05, 6240}, {1.0, 0.05, 4800}}},
    };
    for (const auto& c : cases)
    {
        Engine s(48000.0);
        double worst = 0.0, current = c.steps.front().lookAhead;
        bool changed = false; // only what comes out after the first change is checked
        for (const Step& step : c.steps)
        {
            changed = changed || step.lookAhead != current;
            current = step.lookAhead;
            s.Set(kLookAhead, step.lookAhead);
            const auto [outL, outR] =
                s.Run(Sine(step.frames, step.level, 0.13), Sine(step.frames, step.level, 0.07));
            for (size_t i = 0; changed && i < outL.size(); ++i)
                worst = std::max({worst, std::fabs(outL[i]), std::fabs(outR[i])});
        }
        EXPECT_LE(worst, 0.05) << c.name;
    }
}

// Riding the input gain up: the ring holds gained samples, so the louder audio reaches the
// detector a look-ahead before it comes out, as any other rise in level does. By then the slower
// (right) envelope has closed all but attackCoef^(P - 1) of the rise, which bounds the over
// (about 0.03 dB with the defaults; before, a +12 dB step let 3.4 through).
TEST(LimiterEngine, InputGainStepStaysWithinTheAttackTailOfTheCeiling)
{
    for (double step : {3.0, 6.0, 12.0})
    {
        Engine s(48000.0);
        const double tail = std::pow(s.e.View().attackCoef, (s.e.View().delayLength + 1) / 2 - 1);
        const double bound = s.e.View().ceiling / (1.0 - tail);
        const std::vector<double> sine = Sine(24000, 1.0, 2 * 3.141592653589793 * 997 / 48000.0);
        double worst = 0.0;
        for (size_t pos = 0; pos < sine.size(); pos += 512)
        {
            if (pos == 4 * 512) s.Set(kInputGain, step);
            const std::vector<double> part(sine.begin() + pos,
                                           sine.begin() + std::min(pos + 512, sine.size()));
            const auto [outL, outR] = s.Run(part, part);
            for (size_t i = 0; i < outL.size(); ++i)
                worst = std::max({worst, std::fabs(outL[i]), std::fabs(outR[i])});
        }
        EXPECT_LE(worst, bound) << "+" << step << " dB";
        EXPECT_LT(bound, s.e.View().ceiling * 1.004); // a hundredth of the old over, not a loophole
    }
}

TEST(LimiterEngine, FirstBlockResetZeroesThePreparedRingWithoutAllocating)
{
    Engine s(44100.0);
    std::vector<double> in(100, 0.3);
    s.RunLeft(in, in);
    s.e.LimitRingAllocation(0); // any allocation from here on fails and leaves no ring
    ASSERT_TRUE(s.e.StartIfFirstBlock());
    EXPECT_TRUE(s.e.PrepareRate(44100.0)) << "the forced reset still recomputes the rate-dependent values";
    ASSERT_NE(s.e.View().delayLine, nullptr) << "the ring prepared for this rate was replaced";
    EXPECT_EQ(s.e.View().writePos, 0);
    for (size_t i = 0; i < s.e.RingCapacity(); ++i)
        ASSERT_EQ(s.e.View().delayLine[i], 0.0) << "ring not zeroed at " << i;
    // A rate needing another size still gets (here: fails to get) a ring of its own.
    EXPECT_TRUE(s.e.PrepareRate(48000.0));
    EXPECT_EQ(s.e.View().delayLine, nullptr);
}

#if defined(__SSE2__)
// The block flushes subnormals only while it runs: the host's thread gets its own mode back, whichever
// path the block took (a 32-bit block in a mode that keeps subnormals narrows some by hand, or it
// converts in passes chunk by chunk).
TEST(LimiterEngine, BlocksGiveTheHostItsFloatingPointModeBack)
{
    std::vector<float> l(300), r(300);
    for (size_t i = 0; i < l.size(); ++i)
        l[i] = r[i] = static_cast<float>(std::sin(i * 0.37) * 3.0) * (i % 5 == 0 ? 1e-40f : 1.0f);
    std::vector<double> wideL(l.begin(), l.end()), wideR(r.begin(), r.end());
    for (const unsigned hostMode : {0x0000u, 0x6000u, 0x8000u, 0x8040u})
        for (const bool passes : {false, true})
        {
            const HostMode mode(hostMode);
            const unsigned before = _mm_getcsr() & ~0x3Fu; // the exception flags may be raised
            Engine e(48000.0, kDefaults);
            e.e.UsePairPasses(passes);
            float* f[2] = {l.data(), r.data()};
            double* d[2] = {wideL.data(), wideR.data()};
            e.e.ProcessBlock(f, f, static_cast<int32_t>(l.size()));
            EXPECT_EQ(_mm_getcsr() & ~0x3Fu, before) << "after a 32-bit block, host mode " << hostMode;
            e.e.ProcessBlock(d, d, static_cast<int32_t>(l.size()));
            EXPECT_EQ(_mm_getcsr() & ~0x3Fu, before) << "after a 64-bit block, host mode " << hostMode;
        }
}
#endif

TEST(LimiterEngine, SinglePrecisionBlocksEqualTheDoubleBlockRoundedAfterwards)
{
    // Loud noise, single precision's subnormals in and out (gain -18 dB makes some), NaN and
    // infinity among them, and silence: each through the 32-bit path and through the 64-bit one
    // with the conversions outside, as the plug-in base does them, in the host's mode: IEEE, rounding
    // down, up or toward zero (the subnormals narrowed by hand follow it), flushing results, or
    // flushing results and inputs. Both ways of converting: inside the loop and in passes around it.
    const float tiny = std::numeric_limits<float>::denorm_min(), least = std::numeric_limits<float>::min();
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    // Also a spike near the largest float (the envelope then divides quiet samples into subnormals)
    // and a fade-in from subnormals, which the ring delivers into blocks of loud input.
    std::vector<float> loud(3000), small(3000), broken(3000), silence(3000, 0.0f), spike(3000), fade(3000);
    for (size_t i = 0; i < loud.size(); ++i)
    {
        loud[i] = static_cast<float>(std::sin(i * 0.37) * 3.0 + std::sin(i * 0.011));
        small[i] = (i % 7) * least * 0.37f + (i % 3 == 0 ? tiny * static_cast<float>(i % 11) : -least);
        broken[i] = i % 50 == 0 ? nan : (i % 77 == 0 ? -inf : loud[i] * 1e-38f);
        spike[i] = i == 0 ? 3e38f : loud[i] * 1e-3f;
        fade[i] = i < 400 ? small[i] : loud[i];
    }
    const double quiet[10] = {-18.0, 6.0, 6.0, 8.0, 9.0, 70.0, -18.0, 5.0, 0.0, 0.0};
    const double clipping[10] = {0.0, 0.0, 0.0, 0.0, 0.1, 0.0, 0.0, 5.0, 0.0, 0.0};
    const std::vector<float>* signals[] = {&loud, &small, &broken, &silence, &spike, &fade};
    for (const unsigned hostMode : {0x0000u, 0x2000u, 0x4000u, 0x6000u, 0x8000u, 0x8040u})
        for (const double* values : {kDefaults, quiet, clipping})
            for (const std::vector<float>* signal : signals)
                for (const bool passes : {false, true})
                {
                    const HostMode mode(hostMode);
                    Engine single(48000.0, values), twice(48000.0, values);
                    single.e.UsePairPasses(passes);
                    std::vector<float> inL = *signal, inR(signal->rbegin(), signal->rend()), outL(inL.size()),
                                       outR(inL.size());
                    std::vector<double> wideL(inL.begin(), inL.end()), wideR(inR.begin(), inR.end()),
                        wideOutL(inL.size()), wideOutR(inL.size());
                    for (size_t pos = 0, n = 1; pos < inL.size();
                         pos += n, n = std::min(n * 3 + 1, inL.size() - pos))
                    {
                        float* in[2] = {&inL[pos], &inR[pos]};
                        float* out[2] = {&outL[pos], &outR[pos]};
                        double* wideIn[2] = {&wideL[pos], &wideR[pos]};
                        double* wideOut[2] = {&wideOutL[pos], &wideOutR[pos]};
                        const LimiterEngine::BlockPeaks a =
                            single.e.ProcessBlock(in, out, static_cast<int32_t>(n));
                        const LimiterEngine::BlockPeaks b =
                            twice.e.ProcessBlock(wideIn, wideOut, static_cast<int32_t>(n));
                        ASSERT_EQ(a.left, b.left);
                        ASSERT_EQ(a.right, b.right);
                    }
                    for (size_t i = 0; i < inL.size(); ++i)
                    {
                        const float wantL = static_cast<float>(wideOutL[i]),
                                    wantR = static_cast<float>(wideOutR[i]);
                        ASSERT_EQ(std::memcmp(&outL[i], &wantL, sizeof wantL), 0)
                            << "frame " << i << ": " << outL[i] << " for " << wantL;
                        ASSERT_EQ(std::memcmp(&outR[i], &wantR, sizeof wantR), 0)
                            << "frame " << i << ": " << outR[i] << " for " << wantR;
                    }
                }
}
