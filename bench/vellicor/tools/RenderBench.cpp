// Rendering 10 minutes of 48 kHz stereo float WAV through the VST3 module, as the tool does it
// (read, convert, process, convert, write), against the plug-in's process calls alone in the same
// run: the counters show the tool's own share.
#include "vellicor/tools/render/AudioReader.h"
#include "vellicor/tools/render/AudioWriter.h"
#include "vellicor/tools/render/Renderer.h"
#include "vellicor/tools/render/Vst3Host.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <sys/resource.h>
#include <time.h>
#include <vector>

namespace
{
constexpr int32_t kRate = 48000;
constexpr int64_t kFrames = 10LL * 60 * kRate;

struct BenchFiles
{
    std::filesystem::path dir;
    std::string input, output;
    BenchFiles()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vellicor-render-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        dir = pattern;
        input = (dir / "in.wav").string();
        output = (dir / "out.wav").string();
        // Music-like level with regular peaks above the ceiling, so the limiter works throughout.
        AudioWriter writer;
        std::string error;
        if (!writer.Open(input, Container::Wav, SampleFormat::Float, kRate, 2, error)) std::abort();
        std::vector<float> chunk(2 * 48000);
        for (int64_t start = 0; start < kFrames; start += 48000)
        {
            for (int64_t i = 0; i < 48000; ++i)
            {
                const double t = static_cast<double>(start + i) / kRate;
                const double burst = 1.4 * std::exp(-std::fmod(t, 0.5) * 20.0);
                chunk[2 * i] = static_cast<float>(burst * std::sin(2.0 * std::numbers::pi * 110.0 * t));
                chunk[2 * i + 1] =
                    static_cast<float>(0.8 * burst * std::sin(2.0 * std::numbers::pi * 165.0 * t));
            }
            if (!writer.Write(chunk.data(), 48000)) std::abort();
        }
        if (!writer.Commit(error)) std::abort();
    }
    ~BenchFiles() { std::filesystem::remove_all(dir); }
};

// CPU time of all the process's threads (user and system), in seconds.
double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t)
    { return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec); };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// CPU time of the calling thread alone: the render loop's own work, whatever else the machine runs.
double ThreadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

BenchFiles& Files()
{
    static BenchFiles files;
    return files;
}

bool StartHost(Vst3Host& host, int32_t block)
{
    std::string error;
    if (!host.Load(VELLICOR_VST3_BUNDLE, error)) return false;
    host.RequestPreset(2); // "Hard Limiting"
    return host.Start(kRate, 2, block, Precision::Single, 0.0, error);
}

void BM_RenderWavFloat10Minutes(benchmark::State& state)
{
    const int32_t block = static_cast<int32_t>(state.range(0));
    BenchFiles& files = Files();
    double total = 0.0, process = 0.0, reading = 0.0, writing = 0.0, cpu = 0.0, loop = 0.0;
    for (auto _ : state)
    {
        Vst3Host host;
        if (!StartHost(host, block))
        {
            state.SkipWithError("cannot start the VST3 module");
            return;
        }
        // A first render, not a replacement: freeing an old output's pages is no cost of the tool.
        std::filesystem::remove(files.output);
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuSeconds();
        const double loopStart = ThreadCpuSeconds();
        AudioReader reader;
        AudioWriter writer;
        std::string error;
        RenderStats stats;
        Renderer renderer(host, block, Precision::Single);
        if (!reader.Open(files.input, error) ||
            !writer.Open(files.output, Container::Wav, SampleFormat::Float, kRate, 2, error) ||
            !renderer.Run(reader, writer, stats, error) || !writer.Commit(error))
        {
            state.SkipWithError(error.c_str());
            return;
        }
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpu += ProcessCpuSeconds() - cpuStart;
        loop += ThreadCpuSeconds() - loopStart;
        process += stats.processSeconds;
        reading += stats.readSeconds;
        writing += stats.writeSeconds;
    }
    const double audioSeconds =
        static_cast<double>(kFrames) / kRate * static_cast<double>(state.iterations());
    state.counters["realtime_x"] = audioSeconds / total;
    state.counters["plugin_realtime_x"] = audioSeconds / process;
    state.counters["process_s"] = process / static_cast<double>(state.iterations());
    state.counters["total_s"] = total / static_cast<double>(state.iterations());
    state.counters["read_s"] = reading / static_cast<double>(state.iterations());
    state.counters["write_s"] = writing / static_cast<double>(state.iterations());
    // Wall clock: what the user waits for beyond the plug-in. CPU: the work the tool adds on all
    // its threads, which the wall clock hides when the reader and writer threads get a core.
    state.counters["tool_overhead_pct"] = 100.0 * (total - process) / process;
    state.counters["tool_cpu_pct"] = 100.0 * (cpu - process) / process;
    // The render loop's thread beyond the plug-in (conversions, peaks, hand-offs): the part the
    // file threads cannot hide, and the steadiest figure on a busy machine.
    state.counters["loop_cpu_pct"] = 100.0 * (loop - process) / process;
}
BENCHMARK(BM_RenderWavFloat10Minutes)->Arg(512)->Arg(4096)->Iterations(3)->Unit(benchmark::kMillisecond);

// The same audio through process alone, from memory: the plug-in's cost with no tool around it.
void BM_PluginProcessOnly10Minutes(benchmark::State& state)
{
    const int32_t block = static_cast<int32_t>(state.range(0));
    std::vector<float> inL(kFrames / 10), inR(kFrames / 10), outL(kFrames / 10), outR(kFrames / 10);
    for (size_t i = 0; i < inL.size(); ++i)
    {
        const double t = static_cast<double>(i) / kRate;
        const double burst = 1.4 * std::exp(-std::fmod(t, 0.5) * 20.0);
        inL[i] = static_cast<float>(burst * std::sin(2.0 * std::numbers::pi * 110.0 * t));
        inR[i] = static_cast<float>(0.8 * burst * std::sin(2.0 * std::numbers::pi * 165.0 * t));
    }
    for (auto _ : state)
    {
        state.PauseTiming();
        Vst3Host host;
        if (!StartHost(host, block))
        {
            state.SkipWithError("cannot start the VST3 module");
            return;
        }
        state.ResumeTiming();
        // Ten passes over one minute: 10 minutes of audio without holding it all in memory.
        for (int pass = 0; pass < 10; ++pass)
        {
            for (size_t offset = 0; offset < inL.size(); offset += static_cast<size_t>(block))
            {
                const int32_t n = static_cast<int32_t>(std::min<size_t>(block, inL.size() - offset));
                float* in[2] = {inL.data() + offset, inR.data() + offset};
                float* out[2] = {outL.data() + offset, outR.data() + offset};
                host.Process(in, out, n);
            }
        }
        benchmark::DoNotOptimize(outL.data());
        state.PauseTiming();
        host.Stop();
        state.ResumeTiming();
    }
    state.counters["realtime_x"] = benchmark::Counter(static_cast<double>(kFrames) / kRate,
                                                      benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_PluginProcessOnly10Minutes)->Arg(512)->Iterations(3)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
