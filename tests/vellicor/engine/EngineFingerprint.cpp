// The limiter's bits for every quantised value of each parameter that shapes the sound or the meter,
// at the common sample rates: coefficients, 64-bit output and meter reading, folded into one hash per
// value. A project moved between Linux and Windows must render the same bits, so the Windows build
// compares its hashes with those the Linux build wrote:
//   engine_fingerprint                   prints "<rate> <parameter> <quantised value> <hash>" lines
//   engine_fingerprint --compare <file>  counts the values whose hash differs from the file's
// On Windows, --build sse2|fma|fma4 first picks the build of exp, pow and log to run.
#include "vellicor/engine/LimiterEngine.h"
#include "vellicor/plugin/VellicorParams.h"
#if defined(_WIN32)
#include "vellicor/engine/platform/win/SoundMathsBuilds.h"
#endif

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace
{
constexpr double kRates[] = {44100.0, 48000.0, 88200.0, 96000.0, 192000.0};
constexpr int kFrames = 2048;

// Every parameter but the two memories, which only carry a number through the state.
constexpr int32_t kSoundParams[] = {kInputGain, kLookAhead,  kAttack,   kHold,
                                    kRelease,   kStereoLink, kOutLimit, kTargetAttenuation};

struct Hash
{
    uint64_t value = 1469598103934665603ull;
    template <typename T> void Add(T x)
    {
        uint64_t bits = 0;
        std::memcpy(&bits, &x, sizeof x);
        value = (value ^ bits) * 1099511628211ull;
    }
};

// No library function may shape the input, or the comparison would measure the signal instead of
// the limiter: integer noise under piecewise-linear bursts, left louder than right.
void MakeSignal(std::vector<double>& left, std::vector<double>& right)
{
    uint32_t state = 2463534242u;
    left.resize(kFrames);
    right.resize(kFrames);
    for (int i = 0; i < kFrames; ++i)
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const double noise = static_cast<double>(static_cast<int32_t>(state)) / 2147483648.0;
        const double ramp = i < kFrames / 2 ? i / (kFrames / 2.0) : (kFrames - i) / (kFrames / 2.0);
        left[static_cast<size_t>(i)] = noise * (0.1 + 2.4 * ramp);
        right[static_cast<size_t>(i)] = -noise * (0.05 + 1.3 * ramp * ramp);
    }
}

struct Range
{
    int32_t first, last;
    double scale; // real value = quantised value * scale
};

Range QuantisedRange(int32_t param)
{
    const VellicorParamInfo& p = kVellicorParams[param];
    const double scale = p.integer ? 1.0 : 0.1;
    return {LimiterEngine::Quantise(param, p.minimum), LimiterEngine::Quantise(param, p.maximum), scale};
}

using Key = std::tuple<int32_t, int32_t, int32_t>; // rate, parameter, quantised value

std::map<Key, uint64_t> Compute()
{
    std::vector<double> inL, inR, outL(kFrames), outR(kFrames);
    MakeSignal(inL, inR);
    std::map<Key, uint64_t> hashes;
    for (double rate : kRates)
    {
        for (int32_t param : kSoundParams)
        {
            const Range range = QuantisedRange(param);
            for (int32_t q = range.first; q <= range.last; ++q)
            {
                // A fresh engine for each value, so that one difference cannot spill into the next.
                LimiterEngine engine;
                MeterData meter;
                engine.PrepareRate(rate);
                for (int32_t i = 0; i < kVellicorParamCount; ++i)
                    engine.ApplyValue(i, i == param ? q * range.scale : kVellicorParams[i].defaultValue,
                                      meter);
                double* in[2] = {inL.data(), inR.data()};
                double* out[2] = {outL.data(), outR.data()};
                const LimiterEngine::BlockPeaks peaks = engine.ProcessBlock(in, out, kFrames);
                engine.HandOffMeters(peaks, meter, {nullptr, nullptr});

                const LimiterEngine::Members& m = engine.View();
                Hash h;
                for (double c : {m.inputGain, m.ceiling, m.attackCoef, m.releaseCoef, m.linkFactor})
                    h.Add(c);
                h.Add(m.delayLength);
                h.Add(m.holdLength);
                h.Add(MeterData::Load(meter.meterCoef));
                h.Add(MeterData::Load(meter.currentReduction[0]));
                h.Add(MeterData::Load(meter.currentReduction[1]));
                for (int i = 0; i < kFrames; ++i)
                {
                    h.Add(outL[static_cast<size_t>(i)]);
                    h.Add(outR[static_cast<size_t>(i)]);
                }
                hashes[{static_cast<int32_t>(rate), param, q}] = h.value;
            }
        }
    }
    return hashes;
}

int Compare(const char* path, const std::map<Key, uint64_t>& ours)
{
    FILE* file = std::fopen(path, "r");
    if (!file)
    {
        std::fprintf(stderr, "cannot read %s: the Linux build writes it (make test-release)\n", path);
        return 2;
    }
    std::map<Key, uint64_t> theirs;
    int rate = 0, param = 0, q = 0;
    uint64_t hash = 0;
    while (std::fscanf(file, "%d %d %d %" SCNx64, &rate, &param, &q, &hash) == 4)
        theirs[{rate, param, q}] = hash;
    std::fclose(file);

    // Differing values per rate and parameter, and the first few of them.
    std::map<std::pair<int32_t, int32_t>, int> differing;
    int total = 0, shown = 0;
    for (const auto& [key, value] : ours)
    {
        const auto it = theirs.find(key);
        if (it != theirs.end() && it->second == value) continue;
        ++total;
        ++differing[{std::get<0>(key), std::get<1>(key)}];
        if (shown++ < 10)
            std::printf("differs: %d Hz, %s, quantised value %d\n", std::get<0>(key),
                        kVellicorParams[std::get<1>(key)].name, std::get<2>(key));
    }
    for (const auto& [where, count] : differing)
        std::printf("%d Hz %-20s %d values differ\n", where.first, kVellicorParams[where.second].name, count);
    const bool complete = theirs.size() == ours.size();
    std::printf("%zu values compared with %s: %d differ%s\n", ours.size(), path, total,
                complete ? "" : " (the file lists another set of values)");
    return total == 0 && complete ? 0 : 1;
}
} // namespace

int main(int argc, char** argv)
{
    const char* compare = nullptr;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--compare" && i + 1 < argc)
        {
            compare = argv[++i];
            continue;
        }
#if defined(_WIN32)
        if (arg == "--build" && i + 1 < argc)
        {
            using vellicor::maths::Build;
            const std::string name = argv[++i];
            if (name == "sse2" || name == "fma" || name == "fma4")
            {
                vellicor::maths::UseBuild(name == "fma"    ? Build::kFma
                                          : name == "fma4" ? Build::kFma4
                                                           : Build::kSse2);
                continue;
            }
        }
#endif
        std::fprintf(stderr, "usage: engine_fingerprint [--build sse2|fma|fma4] [--compare <file>]\n");
        return 2;
    }
    const std::map<Key, uint64_t> hashes = Compute();
    if (compare) return Compare(compare, hashes);
    for (const auto& [key, value] : hashes)
        std::printf("%d %d %d %016" PRIx64 "\n", std::get<0>(key), std::get<1>(key), std::get<2>(key), value);
    return 0;
}
