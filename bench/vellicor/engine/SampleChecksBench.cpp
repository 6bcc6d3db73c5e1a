// The pass that checks a block's samples before the limiter's loop, at each width the processor
// runs: 512 stereo frames of loud noise, which passes every check, so each pass reads the whole block.
#include "vellicor/engine/SampleChecks.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace
{
constexpr int32_t kFrames = 512;

template <typename T> std::vector<T> Noise(unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> noise(-4.0, 4.0);
    std::vector<T> v(kFrames);
    for (T& x : v)
        x = static_cast<T>(noise(rng));
    return v;
}

template <typename T, bool kQuietToo> void Check(benchmark::State& state, samples::Width width)
{
    const std::vector<T> l = Noise<T>(1), r = Noise<T>(2);
    for (auto _ : state)
    {
        bool passed;
        if constexpr (kQuietToo)
            passed = samples::ZeroOrWithin(l.data(), r.data(), kFrames, samples::MagnitudeWord(0x1p-100f),
                                           samples::MagnitudeWord(0x1p23f), width);
        else
            passed = samples::AllAtMost(l.data(), r.data(), kFrames, samples::kLargestFiniteFloat, width);
        benchmark::DoNotOptimize(passed);
    }
    state.counters["ns_per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kFrames,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Register()
{
    for (const auto& [name, width] :
         {std::pair{"sse2", samples::Width::kSse2}, {"avx2", samples::Width::kAvx2}})
    {
        if (width > samples::Widest()) continue;
        benchmark::RegisterBenchmark((std::string("AllAtMost/double/") + name).c_str(), Check<double, false>,
                                     width);
        benchmark::RegisterBenchmark((std::string("AllAtMost/float/") + name).c_str(), Check<float, false>,
                                     width);
        benchmark::RegisterBenchmark((std::string("ZeroOrWithin/float/") + name).c_str(), Check<float, true>,
                                     width);
    }
}
} // namespace

int main(int argc, char** argv)
{
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
