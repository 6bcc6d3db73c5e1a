// ProcessBlock against the bare recurrence, 48 kHz stereo, 512-frame blocks.
#include "bench/vellicor/engine/BareLoop.h"
#include "vellicor/engine/LimiterEngine.h"
#include "vellicor/engine/MeterData.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace
{
constexpr int32_t kFrames = 512;
// Fresh noise for every block: a repeating block would let the branch predictor learn it.
constexpr int32_t kNoiseBlocks = 96;
constexpr double kRate = 48000.0;
const double kDefaults[10] = {0.0, 6.0, 6.0, 8.0, 9.0, 70.0, -0.1, 5.0, 0.0, 0.0};

struct Setup
{
    LimiterEngine engine;
    MeterData meter;
    std::vector<double> inL, inR, outL, outR;
    int32_t block = 0;

    Setup(double lookAhead, double hold, bool loud)
    {
        double values[10];
        std::copy(kDefaults, kDefaults + 10, values);
        values[1] = lookAhead;
        values[3] = hold;
        engine.PrepareRate(kRate);
        for (int32_t i = 0; i < 10; ++i)
            engine.ApplyValue(i, values[i], meter);
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> noise(-4.0, 4.0);
        inL.resize(kFrames * kNoiseBlocks);
        inR.resize(kFrames * kNoiseBlocks);
        outL.resize(kFrames);
        outR.resize(kFrames);
        for (size_t i = 0; i < inL.size(); ++i)
        {
            inL[i] = loud ? noise(rng) : 0.0;
            inR[i] = loud ? noise(rng) : 0.0;
        }
    }

    double* InL() { return inL.data() + block * kFrames; }
    double* InR() { return inR.data() + block * kFrames; }
    void Next() { block = (block + 1) % kNoiseBlocks; }

    void Block()
    {
        double* in[2] = {InL(), InR()};
        Next();
        double* out[2] = {outL.data(), outR.data()};
        const LimiterEngine::BlockPeaks peaks = engine.ProcessBlock(in, out, kFrames);
        engine.HandOffMeters(peaks, meter, {nullptr, nullptr});
    }

    BareCoefs Coefs() const
    {
        const LimiterEngine& e = engine;
        return {e.View().inputGain,   e.View().ceiling,    e.View().attackCoef, e.View().releaseCoef,
                e.View().linkFactor,  e.View().holdLength, e.View().holdHalf,   e.View().delayLength,
                e.View().lookAheadOn, e.View().holdOn};
    }
};

void Report(benchmark::State& state)
{
    state.counters["ns_per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kFrames,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void ProcessBlockBench(benchmark::State& state, double lookAhead, double hold)
{
    Setup s(lookAhead, hold, true);
    for (auto _ : state)
    {
        s.Block();
        benchmark::DoNotOptimize(s.outL.data());
        benchmark::ClobberMemory();
    }
    Report(state);
}

void BareLoopBench(benchmark::State& state, double lookAhead, double hold)
{
    Setup s(lookAhead, hold, true);
    const BareCoefs k = s.Coefs();
    std::vector<double> ring(static_cast<size_t>(kRate * 0.2 + 2), 0.0);
    double st[8] = {};
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(
            BareLoop(k, s.InL(), s.InR(), s.outL.data(), s.outR.data(), kFrames, ring.data(), st));
        s.Next();
        benchmark::ClobberMemory();
    }
    Report(state);
}

// A loud block, then silence long enough for the envelope to decay into the subnormal range.
void DecayedSilenceBench(benchmark::State& state)
{
    Setup s(6.0, 8.0, true);
    s.Block();
    std::fill(s.inL.begin(), s.inL.end(), 0.0);
    std::fill(s.inR.begin(), s.inR.end(), 0.0);
    for (int32_t b = 0; b < 20 * 48000 / kFrames; ++b)
        s.Block();
    state.counters["envelope"] = s.engine.View().envelope[0];
    for (auto _ : state)
    {
        s.Block();
        benchmark::ClobberMemory();
    }
    Report(state);
}

// The same decay through the bare loop, which leaves the floating-point mode alone: the
// envelope stays subnormal and shows what flushing saves.
void BareDecayedSilenceBench(benchmark::State& state)
{
    Setup s(6.0, 8.0, true);
    const BareCoefs k = s.Coefs();
    std::vector<double> ring(static_cast<size_t>(kRate * 0.2 + 2), 0.0);
    std::vector<double> silence(kFrames, 0.0);
    double st[8] = {};
    BareLoop(k, s.InL(), s.InR(), s.outL.data(), s.outR.data(), kFrames, ring.data(), st);
    for (int32_t b = 0; b < 20 * 48000 / kFrames; ++b)
        BareLoop(k, silence.data(), silence.data(), s.outL.data(), s.outR.data(), kFrames, ring.data(), st);
    state.counters["envelope"] = st[0];
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(BareLoop(k, silence.data(), silence.data(), s.outL.data(), s.outR.data(),
                                          kFrames, ring.data(), st));
        benchmark::ClobberMemory();
    }
    Report(state);
}

void FreshSilenceBench(benchmark::State& state)
{
    Setup s(6.0, 8.0, false);
    for (auto _ : state)
    {
        s.Block();
        benchmark::ClobberMemory();
    }
    Report(state);
}
} // namespace

BENCHMARK_CAPTURE(BareLoopBench, defaults, 6.0, 8.0);
BENCHMARK_CAPTURE(ProcessBlockBench, defaults, 6.0, 8.0);
BENCHMARK_CAPTURE(BareLoopBench, lookahead0_hold0, 0.0, 0.0);
BENCHMARK_CAPTURE(ProcessBlockBench, lookahead0_hold0, 0.0, 0.0);
BENCHMARK(DecayedSilenceBench);
BENCHMARK(BareDecayedSilenceBench);
BENCHMARK(FreshSilenceBench);
BENCHMARK_MAIN();
