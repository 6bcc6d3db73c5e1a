#include "vellicor/tools/render/DelayProbe.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
constexpr double kImpulse = 0.001; // -60 dBFS

template <class T>
bool Probe(PluginHost& host, int32_t channels, int32_t block, int64_t searchFrames, ProbedDelay& out,
           std::string& error)
{
    std::vector<std::vector<T>> in(static_cast<size_t>(channels), std::vector<T>(static_cast<size_t>(block)));
    std::vector<std::vector<T>> res(static_cast<size_t>(channels), std::vector<T>(static_cast<size_t>(block)));
    T* inPtr[2] = {nullptr, nullptr};
    T* outPtr[2] = {nullptr, nullptr};
    double loudest = 0.0;
    for (int64_t done = 0; done < searchFrames; done += block)
    {
        const int32_t frames = static_cast<int32_t>(std::min<int64_t>(block, searchFrames - done));
        for (int32_t c = 0; c < channels; ++c)
        {
            std::fill(in[c].begin(), in[c].end(), T(0));
            if (done == 0) in[c][0] = static_cast<T>(kImpulse);
            inPtr[c] = in[c].data();
            outPtr[c] = res[c].data();
        }
        if (!host.Process(inPtr, outPtr, frames))
        {
            error = "the plug-in's process failed while its delay was measured";
            return false;
        }
        for (int32_t i = 0; i < frames; ++i)
        {
            const double v = std::fabs(static_cast<double>(res[0][i]));
            if (v > loudest)
            {
                loudest = v;
                out.frames = done + i;
            }
        }
    }
    if (!(loudest > 0.0))
    {
        error = "the plug-in's delay cannot be measured: a quiet impulse gave no output (see --no-align)";
        return false;
    }
    out.levelGain = loudest / static_cast<double>(static_cast<T>(kImpulse));
    return true;
}
} // namespace

bool ProbeDelay(PluginHost& host, int32_t channels, int32_t block, Precision precision, int64_t searchFrames,
                ProbedDelay& out, std::string& error)
{
    out = ProbedDelay();
    if (precision == Precision::Double) return Probe<double>(host, channels, block, searchFrames, out, error);
    return Probe<float>(host, channels, block, searchFrames, out, error);
}
