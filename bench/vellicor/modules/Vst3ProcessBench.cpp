// Cost per frame of process() through the loaded vellicor_vst3 module against the limiter's own
// ProcessBlock called directly (test binding), in the same run. The module adds the lock, the
// parameter and bus handling and, for 32-bit hosts, the float/double conversions.
#include "vellicor/plugin/CLS_VELLICOR.h"
#include "vellicor/plugin/VellicorIdentity.h"

#include "hostkit/Vst3Instance.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
constexpr const unsigned char* kClassId = vellicor::identity::kVst3ClassId;
constexpr double kRate = 48000.0;

// Loud enough to keep the limiter reducing gain most of the time.
double Signal(int channel, int64_t frame)
{
    return 1.8 * std::sin(0.013 * static_cast<double>(frame) + channel) +
           0.4 * std::sin(0.0007 * static_cast<double>(frame) * (channel + 2));
}

// The signal computed once, so that the timed part holds no sine: a block copies its stretch from
// here, fresh memory for the processor as a host's buffers are.
constexpr size_t kTableFrames = 1 << 13;
template <typename T> const std::vector<T>& SignalTable(int channel)
{
    static const auto tables = []
    {
        std::vector<std::vector<T>> t(2, std::vector<T>(kTableFrames));
        for (int c = 0; c < 2; ++c)
            for (size_t i = 0; i < kTableFrames; ++i)
                t[static_cast<size_t>(c)][i] = static_cast<T>(Signal(c, static_cast<int64_t>(i)));
        return t;
    }();
    return tables[static_cast<size_t>(channel)];
}

// Fills one block of in with the signal from frame pos on, the table repeating.
template <typename T> void FillBlock(std::vector<T> (&in)[2], int64_t pos)
{
    for (int c = 0; c < 2; ++c)
    {
        const T* const table = SignalTable<T>(c).data();
        size_t at = static_cast<size_t>(pos) % kTableFrames;
        for (size_t done = 0, n; done < in[c].size(); done += n, at = 0)
        {
            n = std::min(in[c].size() - done, kTableFrames - at);
            std::copy(table + at, table + at + n, in[c].begin() + static_cast<std::ptrdiff_t>(done));
        }
    }
}

hostkit::Vst3Module& Module()
{
    static hostkit::Vst3Module module;
    std::string error;
    if (!module.Factory()) module.Open(VELLICOR_VST3_MODULE, error);
    return module;
}

template <typename T> struct ModuleInstance
{
    explicit ModuleInstance(int frames) : call(sizeof(T) == 8 ? kSample64 : kSample32, 2)
    {
        if (plugin.Create(Module(), kClassId, nullptr) != kResultOk || !plugin.processor) return;
        processor = plugin.processor;
        ProcessSetup setup{kRealtime, call.data.symbolicSampleSize, frames, kRate};
        processor->setupProcessing(setup);
        plugin.component->activateBus(kAudio, kInput, 0, true);
        plugin.component->activateBus(kAudio, kOutput, 0, true);
        plugin.SetActive(true);

        for (int c = 0; c < 2; ++c)
        {
            in[c].resize(static_cast<size_t>(frames));
            out[c].resize(static_cast<size_t>(frames));
            inPtr[c] = in[c].data();
            outPtr[c] = out[c].data();
        }
        call.SetBuffers(inPtr, outPtr, frames);
    }

    hostkit::Vst3Instance plugin;
    IAudioProcessor* processor = nullptr;
    hostkit::Vst3ProcessCall call;
    std::vector<T> in[2], out[2];
    T* inPtr[2];
    T* outPtr[2];
};

template <typename T> void BM_ModuleProcess(benchmark::State& state)
{
    const int frames = static_cast<int>(state.range(0));
    ModuleInstance<T> m(frames);
    if (!m.processor)
    {
        state.SkipWithError("module not loaded");
        return;
    }
    int64_t pos = 0;
    for (auto _ : state)
    {
        // A fresh block each time, as a host would deliver (outside the timed part would hide the
        // cache effects a host has too, so the copy stays inside for every variant alike).
        FillBlock(m.in, pos);
        m.call.context.projectTimeSamples = pos;
        m.processor->process(m.call.data);
        benchmark::DoNotOptimize(m.out[0].data());
        benchmark::ClobberMemory();
        pos += frames;
    }
    state.SetItemsProcessed(state.iterations() * frames);
}

void BM_DirectProcessBlock(benchmark::State& state)
{
    const int frames = static_cast<int>(state.range(0));
    auto plugin = std::make_unique<CLS_VELLICOR>(ITestBinding::InstanceInfo{});
    plugin->NotifyAllParams();
    plugin->SetSampleRate(kRate);
    plugin->SetBlockSize(frames);
    plugin->ResetState();
    std::vector<double> in[2], out[2];
    double* inPtr[2];
    double* outPtr[2];
    for (int c = 0; c < 2; ++c)
    {
        in[c].resize(static_cast<size_t>(frames));
        out[c].resize(static_cast<size_t>(frames));
        inPtr[c] = in[c].data();
        outPtr[c] = out[c].data();
    }
    int64_t pos = 0;
    for (auto _ : state)
    {
        FillBlock(in, pos);
        plugin->SetHostSamplePos(static_cast<int32_t>(pos));
        plugin->ProcessBlock(inPtr, outPtr, frames);
        benchmark::DoNotOptimize(out[0].data());
        benchmark::ClobberMemory();
        pos += frames;
    }
    state.SetItemsProcessed(state.iterations() * frames);
}

// The machine may be shared: the best CPU time of several repetitions is compared.
double Min(const std::vector<double>& v)
{
    return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
}
#define VELLICOR_RUNS                                                                                        \
    ->Arg(64)->Arg(512)->Arg(4096)->Repetitions(9)->ComputeStatistics("min", Min)->DisplayAggregatesOnly(true)
BENCHMARK(BM_DirectProcessBlock) VELLICOR_RUNS;
BENCHMARK_TEMPLATE(BM_ModuleProcess, double) VELLICOR_RUNS;
BENCHMARK_TEMPLATE(BM_ModuleProcess, float) VELLICOR_RUNS;

// Prints the module's extra cost over the direct call after the usual table.
class OverheadReporter : public benchmark::ConsoleReporter
{
public:
    using benchmark::ConsoleReporter::ConsoleReporter;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Aggregate && run.aggregate_name == "min")
            {
                // Per-block time over the frame count (the benchmark's argument).
                const std::string args = run.run_name.args;
                const double frames = std::stod(args);
                const double ns = run.GetAdjustedCPUTime() *
                                  benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond) /
                                  benchmark::GetTimeUnitMultiplier(run.time_unit);
                perFrame[run.run_name.function_name + "/" + args] = ns / frames;
            }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const char* frames : {"64", "512", "4096"})
        {
            const std::string f = std::string("BM_ModuleProcess<float>/") + frames;
            const std::string d = std::string("BM_ModuleProcess<double>/") + frames;
            if (perFrame.count(f) && perFrame.count(d))
                std::printf("%5s frames, 32-bit host against 64-bit host: %+.1f%%%s\n", frames,
                            100.0 * (perFrame[f] - perFrame[d]) / perFrame[d],
                            std::string(frames) == "512"
                                ? (perFrame[f] <= 1.05 * perFrame[d] ? "  (target <= +5%: met)" : "  (target <= +5%: MISSED)")
                                : "");
            const std::string direct = std::string("BM_DirectProcessBlock/") + frames;
            if (!perFrame.count(direct)) continue;
            for (const char* form : {"double", "float"})
            {
                const std::string module = std::string("BM_ModuleProcess<") + form + ">/" + frames;
                if (!perFrame.count(module)) continue;
                const double d = perFrame[direct], m = perFrame[module];
                std::printf("%5s frames, %-6s host buffers: process %.2f ns/frame, ProcessBlock %.2f "
                            "ns/frame (best CPU time), "
                            "%+.1f%%%s\n",
                            frames, form, m, d, 100.0 * (m - d) / d,
                            std::string(frames) == "512"
                                ? (m <= 1.10 * d ? "  (target <= +10%: met)" : "  (target <= +10%: MISSED)")
                                : "");
            }
        }
    }

private:
    std::map<std::string, double> perFrame;
};
} // namespace

int main(int argc, char** argv)
{
    // Repetitions of the variants run interleaved, so that the machine's clock drifting during the
    // run does not favour the variant measured first. A flag given on the command line still wins.
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    OverheadReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
