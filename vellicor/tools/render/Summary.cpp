#include "vellicor/tools/render/Summary.h"

#include <algorithm>
#include <cmath>

std::string FormatDbfs(double peak)
{
    if (!(peak > 0.0)) return "-inf dBFS";
    char text[32];
    std::snprintf(text, sizeof(text), "%+.2f dBFS", 20.0 * std::log10(peak));
    return text;
}

namespace
{
std::string Peaks(const double* peaks, int32_t channels)
{
    if (channels < 2) return FormatDbfs(peaks[0]);
    return FormatDbfs(std::max(peaks[0], peaks[1])) + " (L " + FormatDbfs(peaks[0]) + ", R " +
           FormatDbfs(peaks[1]) + ")";
}
} // namespace

void PrintSummary(std::FILE* out, const SummaryData& d)
{
    const RenderStats& s = d.stats;
    const double duration = d.sampleRate > 0 ? static_cast<double>(s.frames) / d.sampleRate : 0.0;
    std::fprintf(out, "input      %s (%s)\n", d.input.c_str(), d.inputFormat.c_str());
    std::fprintf(out, "output     %s (%s)\n", d.output.c_str(), d.outputFormat.c_str());
    std::fprintf(out, "audio      %d Hz, %s, %lld frames (%.3f s)\n", d.sampleRate,
                 s.channels == 1 ? "mono" : "stereo", static_cast<long long>(s.frames), duration);
    std::fprintf(out, "plug-in    %s\n", d.plugin.c_str());
    std::fprintf(out, "preset     %s\n", d.preset.c_str());
    size_t width = 0;
    for (const auto& p : d.params)
        width = std::max(width, p.first.size());
    const char* head = "parameters ";
    for (const auto& p : d.params)
    {
        std::fprintf(out, "%s%-*s  %s\n", head, static_cast<int>(width), p.first.c_str(), p.second.c_str());
        head = "           ";
    }
    std::fprintf(out, "peak in    %s\n", Peaks(s.peakIn, s.channels).c_str());
    std::fprintf(out, "peak out   %s\n", Peaks(s.peakOut, s.channels).c_str());
    const double total = std::max(d.totalSeconds, 1e-9);
    std::fprintf(out, "time       %.3f s, %.1fx realtime (plug-in process %.3f s, %.1fx realtime)\n",
                 d.totalSeconds, duration / total, s.processSeconds,
                 s.processSeconds > 0.0 ? duration / s.processSeconds : 0.0);
}
