// The audio thread's longest process() call through the loaded vellicor_vst3 module while a second
// thread redraws the instance's editor as fast as it can (every control, meters moving with the
// audio), next to the same figure with the editor closed, and with the editor closed but a thread
// spinning as busily (what sharing the processor alone costs). The editor takes what it reads of the
// plug-in under the plug-in lock and draws after releasing it, so drawing should cost the audio
// thread no more than the busy thread does.
#include "vellicor/editor/EditorSnapshotAbi.h"
#include "vellicor/plugin/VellicorIdentity.h"

#include "hostkit/Vst3Instance.h"
#include "hostkit/Vst3Module.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
using Clock = std::chrono::steady_clock;
constexpr int kFrames = 512;
constexpr double kRate = 48000.0;

hostkit::Vst3Module& Module()
{
    static hostkit::Vst3Module module;
    std::string error;
    if (!module.Factory()) module.Open(VELLICOR_VST3_MODULE, error);
    return module;
}

// arg 0: editor closed; 1: a driver thread redraws it without pause; 2: editor closed, a thread
// spinning without pause.
void BM_LongestProcessCall(benchmark::State& state)
{
    const int64_t mode = state.range(0);
    hostkit::Vst3Instance plugin;
    hostkit::Vst3ProcessCall call(kSample32, 2);
    const auto snapshot = Module().Library().Entry<EditorSnapshotAbi::Entry>(EditorSnapshotAbi::kEntryName);
    if (plugin.Create(Module(), vellicor::identity::kVst3ClassId, nullptr) != kResultOk ||
        !plugin.processor || !snapshot)
    {
        state.SkipWithError("module or its snapshot entry not loaded");
        return;
    }
    ProcessSetup setup{kRealtime, kSample32, kFrames, kRate};
    plugin.processor->setupProcessing(setup);
    plugin.component->activateBus(kAudio, kInput, 0, true);
    plugin.component->activateBus(kAudio, kOutput, 0, true);
    plugin.SetActive(true);
    std::vector<float> in[2], out[2];
    float* inPtr[2];
    float* outPtr[2];
    for (int c = 0; c < 2; ++c)
    {
        in[c].resize(kFrames);
        out[c].resize(kFrames);
        inPtr[c] = in[c].data();
        outPtr[c] = out[c].data();
    }
    call.SetBuffers(inPtr, outPtr, kFrames);

    std::atomic<bool> stop{false};
    std::atomic<int64_t> frames{0};
    std::thread driver;
    if (mode == 1)
        driver = std::thread(
            [&]
            {
                while (!stop.load(std::memory_order_relaxed))
                    if (snapshot(EditorSnapshotAbi::kVersion, plugin.component, 1, nullptr) ==
                        EditorSnapshotAbi::kOk)
                        frames.fetch_add(1, std::memory_order_relaxed);
            });
    if (mode == 2)
        driver = std::thread(
            [&]
            {
                double x = 1.0;
                while (!stop.load(std::memory_order_relaxed))
                    benchmark::DoNotOptimize(x = std::sqrt(x + 1.0));
            });

    std::vector<double> callUs;
    callUs.reserve(static_cast<size_t>(state.max_iterations));
    int64_t pos = 0;
    const auto start = Clock::now();
    for (auto _ : state)
    {
        // Loud bursts keep the meters moving.
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < kFrames; ++i)
                in[c][static_cast<size_t>(i)] =
                    static_cast<float>(1.8 * std::sin(0.013 * static_cast<double>(pos + i) + c) *
                                       (((pos + i) / 24000) % 2 ? 1.0 : 0.2));
        call.context.projectTimeSamples = pos;
        const auto before = Clock::now();
        plugin.processor->process(call.data);
        callUs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - before).count());
        benchmark::DoNotOptimize(out[0].data());
        pos += kFrames;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    stop = true;
    if (driver.joinable()) driver.join();

    std::sort(callUs.begin(), callUs.end());
    auto at = [&](double q)
    { return callUs[static_cast<size_t>(q * static_cast<double>(callUs.size() - 1))]; };
    state.counters["median_us"] = at(0.5);
    state.counters["p99.9_us"] = at(0.999);
    state.counters["longest_us"] = callUs.back();
    state.counters["editor_fps"] = static_cast<double>(frames.load()) / seconds;
}
BENCHMARK(BM_LongestProcessCall)
    ->ArgName("neighbour")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(40000)
    ->Repetitions(5);
} // namespace

BENCHMARK_MAIN();
