// ProcessBlock at 48 kHz stereo in 512-frame blocks, at the defaults, every factory preset and the
// worst settings, on noise and on a music-like signal, with 64-bit and with 32-bit host buffers,
// against the bare loop at the defaults on noise:
// the plain recurrence, kept as the fixed yardstick. Each case runs in repetitions interleaved with
// the others and keeps its best CPU time, since the machine may be shared; one table at the end.
//   engine_bench [benchmark flags]       the table
//   engine_bench --reference <frames>    ProcessBlock against the bare loop, bit for bit, on that many
//                                        frames of varied signals, settings, rates and block sizes
//   engine_bench --host-flushes [...]    the table with the thread flushing subnormals, as audio
//                                        threads usually do (32-bit blocks then skip a per-frame test)
#include "bench/vellicor/engine/BareLoop.h"
#include "vellicor/engine/LimiterEngine.h"
#include "vellicor/engine/MeterData.h"
#include "vellicor/plugin/VellicorParams.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace
{
constexpr int32_t kFrames = 512;
// Fresh signal for every block: a repeating block would let the branch predictor learn it.
constexpr int32_t kBlocks = 192;
constexpr double kRate = 48000.0;

struct Setting
{
    std::string name;
    double values[kVellicorParamCount];
};

std::vector<Setting> Settings()
{
    std::vector<Setting> settings(1);
    settings[0].name = "defaults";
    for (int32_t i = 0; i < kVellicorParamCount; ++i)
        settings[0].values[i] = kVellicorParams[i].defaultValue;
    for (const VellicorPresetInfo& preset : kVellicorPresets)
    {
        settings.push_back({preset.name, {}});
        std::copy(preset.values, preset.values + kVellicorParamCount, settings.back().values);
    }
    Setting worst = settings[0];
    worst.name = "worst: look-ahead, hold 0, release 0.1";
    worst.values[kLookAhead] = 0.0;
    worst.values[kHold] = 0.0;
    worst.values[kRelease] = 0.1;
    settings.push_back(worst);
    return settings;
}

// Loud uniform noise, independent channels: the detector jumps every frame.
void Noise(std::vector<double>& left, std::vector<double>& right)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> noise(-4.0, 4.0);
    for (size_t i = 0; i < left.size(); ++i)
    {
        left[i] = noise(rng);
        right[i] = noise(rng);
    }
}

// A beat at 120 per minute: a decaying low kick, a bass line, a chord with slow tremolo and short
// noise ticks, mixed differently into the two channels; the kicks push it well over the ceiling.
void Music(std::vector<double>& left, std::vector<double>& right)
{
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    const double pi2 = 2 * 3.14159265358979323846;
    for (size_t i = 0; i < left.size(); ++i)
    {
        const double t = static_cast<double>(i) / kRate;
        const double beat = std::fmod(t, 0.5), tick = std::fmod(t, 0.125);
        const double kick = 2.6 * std::exp(-beat / 0.09) * std::sin(pi2 * 55.0 * beat * (1.0 + 2.0 * std::exp(-beat / 0.02)));
        const double bass = 0.5 * std::sin(pi2 * (t < 1.0 ? 110.0 : 98.0) * t);
        const double tremolo = 0.75 + 0.25 * std::sin(pi2 * 0.7 * t);
        double chordL = 0.0, chordR = 0.0;
        for (double f : {261.63, 329.63, 392.0})
        {
            chordL += 0.22 * tremolo * std::sin(pi2 * f * t);
            chordR += 0.22 * tremolo * std::sin(pi2 * f * t + 0.9);
        }
        const double hat = 0.45 * std::exp(-tick / 0.012);
        left[i] = kick + bass + chordL + hat * noise(rng);
        right[i] = kick + 0.8 * bass + 1.2 * chordR + 0.7 * hat * noise(rng);
    }
}

struct Signal
{
    const char* name;
    std::vector<double> left, right;

    Signal(const char* n, void (*make)(std::vector<double>&, std::vector<double>&))
        : name(n), left(kFrames * kBlocks), right(kFrames * kBlocks)
    {
        make(left, right);
    }
};

const std::vector<Signal>& Signals()
{
    static const std::vector<Signal> signals{{"noise", Noise}, {"music", Music}};
    return signals;
}

LimiterEngine MakeEngine(const double* values, double rate, MeterData& meter)
{
    LimiterEngine engine;
    engine.PrepareRate(rate);
    for (int32_t i = 0; i < kVellicorParamCount; ++i)
        engine.ApplyValue(i, values[i], meter);
    return engine;
}

BareCoefs Coefs(const LimiterEngine& e)
{
    const LimiterEngine::Members& m = e.View();
    return {m.inputGain,  m.ceiling,  m.attackCoef,  m.releaseCoef, m.linkFactor,
            m.holdLength, m.holdHalf, m.delayLength, m.lookAheadOn, m.holdOn};
}

void Report(benchmark::State& state)
{
    state.counters["ns_per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kFrames,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// T: the host's sample type; a 32-bit host's block is converted inside the engine's loop.
template <typename T> void ProcessBlockBench(benchmark::State& state, const Setting& setting, const Signal& signal)
{
    MeterData meter;
    LimiterEngine engine = MakeEngine(setting.values, kRate, meter);
    const std::vector<T> left(signal.left.begin(), signal.left.end()), right(signal.right.begin(), signal.right.end());
    std::vector<T> outL(kFrames), outR(kFrames);
    int32_t block = 0;
    for (auto _ : state)
    {
        T* in[2] = {const_cast<T*>(left.data()) + block * kFrames, const_cast<T*>(right.data()) + block * kFrames};
        T* out[2] = {outL.data(), outR.data()};
        block = (block + 1) % kBlocks;
        engine.HandOffMeters(engine.ProcessBlock(in, out, kFrames), meter, {nullptr, nullptr});
        benchmark::ClobberMemory();
    }
    Report(state);
}

void BareLoopBench(benchmark::State& state, const Setting& setting, const Signal& signal)
{
    MeterData meter;
    const BareCoefs k = Coefs(MakeEngine(setting.values, kRate, meter));
    std::vector<double> ring(static_cast<size_t>(kRate * 0.2 + 2), 0.0), outL(kFrames), outR(kFrames);
    double st[8] = {};
    int32_t block = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(BareLoop(k, signal.left.data() + block * kFrames,
                                          signal.right.data() + block * kFrames, outL.data(), outR.data(),
                                          kFrames, ring.data(), st));
        block = (block + 1) % kBlocks;
        benchmark::ClobberMemory();
    }
    Report(state);
}

// A loud block, then silence long enough for the envelope to decay into the subnormal range.
void DecayedSilenceBench(benchmark::State& state)
{
    MeterData meter;
    LimiterEngine engine = MakeEngine(Settings()[0].values, kRate, meter);
    std::vector<double> inL = Signals()[0].left, inR = Signals()[0].right, outL(kFrames), outR(kFrames);
    double* in[2] = {inL.data(), inR.data()};
    double* out[2] = {outL.data(), outR.data()};
    engine.ProcessBlock(in, out, kFrames);
    std::fill(inL.begin(), inL.end(), 0.0);
    std::fill(inR.begin(), inR.end(), 0.0);
    for (int32_t b = 0; b < 20 * 48000 / kFrames; ++b)
        engine.ProcessBlock(in, out, kFrames);
    for (auto _ : state)
    {
        engine.ProcessBlock(in, out, kFrames);
        benchmark::ClobberMemory();
    }
    Report(state);
}

// The best time of a case's repetitions, and one table of all cases against the yardstick.
class TableReporter : public benchmark::ConsoleReporter
{
public:
    static constexpr const char* kYardstick = "bare loop/defaults/noise";
    // Rows in this order (the runs come interleaved).
    explicit TableReporter(std::vector<std::string> names) : order(std::move(names)) {}

    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
        {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            const auto it = run.counters.find("ns_per_frame");
            if (it == run.counters.end()) continue;
            const double ns = it->second.value * 1e9;
            auto [slot, fresh] = best.emplace(run.run_name.function_name, ns);
            if (!fresh) slot->second = std::min(slot->second, ns);
        }
    }
    void Finalize() override
    {
        const double yard = best.count(kYardstick) ? best[kYardstick] : 0.0;
        std::printf("ns per stereo frame, 48 kHz, %d-frame blocks, best of the repetitions; targets: defaults "
                    "<= 0.75 x bare, every other case <= 1.1 x bare, 32-bit within 5 %% of 64-bit\n",
                    kFrames);
        std::printf("%-40s %-6s %8s %8s %7s %7s  %s\n", "setting", "signal", "64-bit", "32-bit", "x bare", "32/64",
                    "targets");
        for (const std::string& name : order)
        {
            if (!best.count(name) || name.rfind("32-bit/", 0) == 0) continue;
            const double ns = best[name];
            const size_t a = name.find('/'), b = name.rfind('/');
            const std::string what = name.substr(0, a), setting = name.substr(a + 1, b - a - 1);
            const bool engine = what == "64-bit";
            const std::string signal = name.substr(b + 1), single = engine ? "32-bit" + name.substr(a) : "";
            std::printf("%-40s %-6s %8.2f ", (engine ? setting : what + ", " + setting).c_str(), signal.c_str(), ns);
            if (best.count(single))
                std::printf("%8.2f ", best[single]);
            else
                std::printf("%8s ", "");
            std::printf("%7.2f ", yard > 0 ? ns / yard : 0.0);
            if (best.count(single))
                std::printf("%7.3f ", best[single] / ns);
            else
                std::printf("%7s ", "");
            if (engine && yard > 0)
            {
                const bool fast = ns <= (setting == "defaults" ? 0.75 : 1.1) * yard;
                const bool close = !best.count(single) || best[single] <= 1.05 * ns;
                std::printf(" %s", fast && close ? "met" : (fast ? "32-bit MISSED" : "MISSED"));
            }
            std::printf("%s\n", name == kYardstick ? " (yardstick)" : "");
        }
    }

private:
    std::map<std::string, double> best;
    std::vector<std::string> order;
};

// ---- Reference mode ----

class FlushSubnormals
{
public:
#if defined(__SSE2__)
    FlushSubnormals() : saved(_mm_getcsr()) { _mm_setcsr(saved | 0x8040); }
    ~FlushSubnormals() { _mm_setcsr(saved); }

private:
    unsigned saved;
#endif
};

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Varied stereo material: noise and sines at levels from far under to far over the ceiling, square
// steps (equal levels frame after frame), silence, and hard switches between them.
void VariedSignal(std::mt19937_64& rng, std::vector<double>& left, std::vector<double>& right)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    size_t i = 0;
    while (i < left.size())
    {
        const size_t length = std::min(left.size() - i, static_cast<size_t>(1 + unit(rng) * 20000));
        const int kind = static_cast<int>(unit(rng) * 5);
        const double levelL = std::pow(10.0, unit(rng) * 3.5 - 2.0), levelR = std::pow(10.0, unit(rng) * 3.5 - 2.0);
        const double freq = 0.0005 + unit(rng) * 0.3, phase = unit(rng) * 6.0;
        const size_t period = 1 + static_cast<size_t>(unit(rng) * 400);
        for (size_t j = 0; j < length; ++j, ++i)
        {
            const double t = static_cast<double>(j);
            switch (kind)
            {
            case 0:
                left[i] = levelL * (2 * unit(rng) - 1);
                right[i] = levelR * (2 * unit(rng) - 1);
                break;
            case 1:
                left[i] = levelL * std::sin(freq * t);
                right[i] = levelR * std::sin(freq * t + phase);
                break;
            case 2:
                left[i] = (j / period) % 2 ? levelL : -levelL;
                right[i] = (j / period) % 3 ? levelR : 0.0;
                break;
            case 3:
                left[i] = right[i] = 0.0;
                break;
            default:
                left[i] = levelL * std::sin(freq * t) * (2 * unit(rng) - 1);
                right[i] = left[i] * levelR;
                break;
            }
        }
    }
}

int Reference(long long total)
{
    std::mt19937_64 rng(2026);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double rates[] = {44100.0, 48000.0, 88200.0, 96000.0, 192000.0};
    const std::vector<Setting> presets = Settings();
    constexpr size_t kPool = 1 << 20;
    std::vector<double> poolL(kPool), poolR(kPool);
    long long done = 0, segments = 0;
    while (done < total)
    {
        if (segments % 64 == 0) VariedSignal(rng, poolL, poolR);
        ++segments;
        // Half the segments run a factory setting, half random values across every range.
        double values[kVellicorParamCount];
        const Setting& preset = presets[static_cast<size_t>(unit(rng) * presets.size())];
        for (int32_t p = 0; p < kVellicorParamCount; ++p)
        {
            const VellicorParamInfo& info = kVellicorParams[p];
            values[p] = segments % 2 ? preset.values[p] : info.minimum + unit(rng) * (info.maximum - info.minimum);
        }
        const double rate = rates[static_cast<size_t>(unit(rng) * 5)];
        MeterData meter;
        LimiterEngine engine = MakeEngine(values, rate, meter);
        const BareCoefs k = Coefs(engine);
        std::vector<double> ring(static_cast<size_t>(rate * 0.2 + 2), 0.0);
        double st[8] = {};
        const size_t length = std::min<size_t>(static_cast<size_t>(total - done), 50000 + static_cast<size_t>(unit(rng) * 200000));
        const size_t start = static_cast<size_t>(unit(rng) * (kPool - length));
        const double scale = std::pow(10.0, unit(rng) * 2 - 1);
        std::vector<double> inL(length), inR(length), outL(length), outR(length), refL(length), refR(length);
        for (size_t i = 0; i < length; ++i)
        {
            inL[i] = poolL[start + i] * scale;
            inR[i] = poolR[start + i] * scale;
        }
        for (size_t pos = 0; pos < length;)
        {
            const int32_t n = static_cast<int32_t>(std::min<size_t>(length - pos, 1 + static_cast<size_t>(unit(rng) * 1024)));
            double* in[2] = {&inL[pos], &inR[pos]};
            double* out[2] = {&outL[pos], &outR[pos]};
            const LimiterEngine::BlockPeaks peaks = engine.ProcessBlock(in, out, n);
            double refPeaks;
            {
                const FlushSubnormals flush; // as the engine runs
                refPeaks = BareLoop(k, &inL[pos], &inR[pos], &refL[pos], &refR[pos], n, ring.data(), st);
            }
            if (!SameBits(peaks.left + peaks.right, refPeaks))
            {
                std::printf("segment %lld: block peaks differ at frame %zu\n", segments, pos);
                return 1;
            }
            pos += static_cast<size_t>(n);
        }
        for (size_t i = 0; i < length; ++i)
            if (!SameBits(outL[i], refL[i]) || !SameBits(outR[i], refR[i]))
            {
                std::printf("segment %lld (%g Hz, values", segments, rate);
                for (double v : values)
                    std::printf(" %g", v);
                std::printf("): frame %zu differs: %a %a, expected %a %a\n", i, outL[i], outR[i], refL[i], refR[i]);
                return 1;
            }
        done += static_cast<long long>(length);
    }
    std::printf("%lld frames in %lld segments: every output bit and block peak equal to the bare loop\n", done,
                segments);
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--reference") return Reference(std::atoll(argv[2]));
    if (argc >= 2 && std::string(argv[1]) == "--host-flushes")
    {
        static const FlushSubnormals hostMode; // for the whole run
        std::copy(argv + 2, argv + argc, argv + 1);
        --argc;
    }

    const std::vector<Setting> settings = Settings();
    std::vector<std::string> names{TableReporter::kYardstick};
    benchmark::RegisterBenchmark(names.back().c_str(), BareLoopBench, settings[0], Signals()[0]);
    for (const Setting& setting : settings)
        for (const Signal& signal : Signals())
        {
            names.push_back("64-bit/" + setting.name + "/" + signal.name);
            benchmark::RegisterBenchmark(names.back().c_str(), ProcessBlockBench<double>, setting, signal);
            names.push_back("32-bit/" + setting.name + "/" + signal.name);
            benchmark::RegisterBenchmark(names.back().c_str(), ProcessBlockBench<float>, setting, signal);
        }
    names.push_back("silence after limiting/defaults/zeros");
    benchmark::RegisterBenchmark(names.back().c_str(), DecayedSilenceBench);

    // Defaults first, so that flags given on the command line win.
    std::vector<char*> args{argv[0]};
    std::string defaults[] = {"--benchmark_repetitions=12", "--benchmark_min_time=0.02",
                              "--benchmark_enable_random_interleaving=true"};
    for (std::string& d : defaults)
        args.push_back(d.data());
    args.insert(args.end(), argv + 1, argv + argc);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    TableReporter reporter(names);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
