// What the render reports besides the audio: loudness and true peak against signals with known
// answers, the gain reduction the trace finds, and where the plot draws it.
#include "drawing/PIX_MemBitmap.h"
#include "vellicor/tools/render/LimitingPlot.h"
#include "vellicor/tools/render/LimitingTrace.h"
#include "vellicor/tools/render/LoudnessMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace
{
constexpr int32_t kRate = 48000;

// Interleaved stereo, both channels the same.
std::vector<double> Stereo(int64_t frames, const std::function<double(int64_t)>& sample)
{
    std::vector<double> v(static_cast<size_t>(2 * frames));
    for (int64_t i = 0; i < frames; ++i)
        v[static_cast<size_t>(2 * i)] = v[static_cast<size_t>(2 * i + 1)] = sample(i);
    return v;
}

double FromDb(double db)
{
    return std::pow(10.0, db / 20.0);
}

TEST(Loudness, KnownSignalsGiveTheirKnownFigures)
{
    const double pi = std::numbers::pi;
    const struct
    {
        const char* name;
        std::function<double(int64_t)> sample;
        double lufs;          // expected integrated loudness, +-0.1
        double truePeakAbove; // true peak minus sample peak, dB, +-0.2 (the 4x interpolator's ripple)
    } cases[] = {
        // The recommendation's own check: a 1 kHz sine at -23 dBFS in both channels reads -23 LUFS.
        {"1 kHz at -23 dBFS", [&](int64_t i) { return FromDb(-23.0) * std::sin(2 * pi * 1000.0 * i / kRate); },
         -23.0, 0.0},
        // A quarter of the rate sampled at 45 degrees: every sample at 0.707 of the crest, 3 dB below it.
        {"fs/4 at 45 degrees", [&](int64_t i) { return 0.5 * std::sin(pi / 2 * i + pi / 4); }, NAN,
         20.0 * std::log10(std::sqrt(2.0))},
    };
    for (const auto& c : cases)
    {
        LoudnessMeter meter(2, kRate);
        const std::vector<double> signal = Stereo(10 * kRate, c.sample);
        meter.Add(signal.data(), 10 * kRate);
        const LoudnessFigures f = meter.Figures();
        if (!std::isnan(c.lufs))
        {
            EXPECT_NEAR(f.integratedLufs, c.lufs, 0.1) << c.name;
        }
        EXPECT_NEAR(f.truePeakDbtp - f.samplePeakDbfs, c.truePeakAbove, 0.2) << c.name;
        EXPECT_NEAR(f.rangeLu, 0.0, 0.1) << c.name << ": a steady signal has no loudness range";
    }
    LoudnessMeter silent(1, kRate);
    const std::vector<float> zeros(kRate, 0.0f);
    silent.Add(zeros.data(), kRate);
    EXPECT_TRUE(std::isinf(silent.Figures().integratedLufs) && silent.Figures().integratedLufs < 0);
}

// A "limiter" of known gain: halves the second half of a tone, delayed by `shift` frames.
struct KnownLimiting
{
    int64_t frames = 4800;
    std::vector<double> in = Stereo(frames, [](int64_t i) { return 0.9 * std::sin(1.3 * static_cast<double>(i)); });
    std::vector<double> Out(int64_t shift) const
    {
        std::vector<double> out(in.size(), 0.0);
        for (int64_t i = 0; i + shift < frames; ++i)
            for (int c = 0; c < 2; ++c)
                out[static_cast<size_t>(2 * (i + shift) + c)] =
                    in[static_cast<size_t>(2 * i + c)] * (i < frames / 2 ? 1.0 : 0.5);
        return out;
    }
};

TEST(LimitingTrace, FindsTheReductionWhereTheLimiterWorkedAndNoneElsewhere)
{
    const KnownLimiting k;
    for (const int64_t shift : {int64_t{0}, int64_t{37}})
    {
        const std::vector<double> out = k.Out(shift);
        LimitingTrace trace(100, k.frames, 2, 1.0, shift);
        // In uneven pieces, the input ahead of the output as in a render.
        for (int64_t done = 0; done < k.frames; done += 700)
        {
            const int64_t n = std::min<int64_t>(700, k.frames - done);
            trace.AddInput(k.in.data() + 2 * done, n);
            trace.AddOutput(out.data() + 2 * done, n);
        }
        const std::vector<TraceColumn> columns = trace.Columns();
        ASSERT_EQ(columns.size(), 100u);
        for (size_t c = 0; c < 100; ++c)
        {
            // Columns are by input frame: the second half of the input was halved, whatever the shift.
            EXPECT_NEAR(columns[c].reductionDb, c < 50 ? 0.0 : 6.02, 0.01) << "column " << c << ", shift " << shift;
            EXPECT_NEAR(columns[c].inMax, 0.9, 0.02) << c;
        }
        EXPECT_NEAR(columns[99].outMax, 0.45, 0.02);
    }
}

TEST(LimitingPlot, DrawsTheCeilingAtItsRowAndReductionOnlyWhereThereWasSome)
{
    const KnownLimiting k;
    const std::vector<double> out = k.Out(0);
    for (const auto& [width, height] : {std::pair{1200, 600}, std::pair{640, 360}})
    {
        const PlotLayout columnsOnly = PlotLayout::For(width, height, PlotScales());
        LimitingTrace trace(columnsOnly.Columns(), k.frames, 2, 1.0, 0);
        trace.AddInput(k.in.data(), k.frames);
        trace.AddOutput(out.data(), k.frames);
        const PlotScales scales = ScalesFor(trace, 0.1, -1.0);
        EXPECT_EQ(scales.reductionDb, 9.0) << "6 dB of reduction on a scale of 3 dB steps";
        PIX_MemBitmap picture;
        DrawLimitingPlot(picture, width, height, trace, scales, "test");
        ASSERT_EQ(picture.PixelWidth(), width);
        ASSERT_EQ(picture.PixelHeight(), height);

        const PlotLayout l = PlotLayout::For(width, height, scales);
        const auto pixel = [&](int32_t x, int32_t y) { return picture.PixelData()[y * picture.RowSpanPixels() + x]; };
        const int32_t ceilingRow = l.WaveRow(FromDb(-1.0));
        const int32_t reductionRow = l.ReductionRow(3.0);
        int32_t ceilingPixels = 0, reductionFirstHalf = 0, reductionSecondHalf = 0;
        for (int32_t x = l.left + 1; x < l.right - 1; ++x)
        {
            ceilingPixels += pixel(x, ceilingRow) == kPlotCeilingColour;
            (x - l.left < l.Columns() / 2 ? reductionFirstHalf : reductionSecondHalf) +=
                pixel(x, reductionRow) == kPlotReductionColour;
        }
        // The label over the line may cover nothing of it; the envelope is drawn beneath it.
        EXPECT_EQ(ceilingPixels, l.Columns() - 2) << width;
        EXPECT_EQ(reductionFirstHalf, 0) << width;
        EXPECT_GE(reductionSecondHalf, l.Columns() / 2 - 3) << width;
        EXPECT_NE(pixel(l.left + 5, ceilingRow + 2), kPlotCeilingColour) << "one row only";
    }
}
} // namespace
