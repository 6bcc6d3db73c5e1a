#include "vellicor/tools/render/Summary.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

std::string FormatDbfs(double peak)
{
    if (!(peak > 0.0)) return "-inf dBFS";
    char text[32];
    std::snprintf(text, sizeof(text), "%+.2f dBFS", 20.0 * std::log10(peak));
    return text;
}

std::string FormatFigure(double value, const char* unit, int decimals, bool sign)
{
    if (std::isnan(value)) return "n/a";
    if (std::isinf(value)) return std::string(value < 0 ? "-inf " : "+inf ") + unit;
    char text[48];
    std::snprintf(text, sizeof(text), sign ? "%+.*f %s" : "%.*f %s", decimals, value, unit);
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
    std::fprintf(out, "true peak  in %s, out %s\n", FormatFigure(d.loudIn.truePeakDbtp, "dBTP", 2).c_str(),
                 FormatFigure(d.loudOut.truePeakDbtp, "dBTP", 2).c_str());
    std::fprintf(out, "loudness   in %s (range %s), out %s (range %s)\n",
                 FormatFigure(d.loudIn.integratedLufs, "LUFS", 1).c_str(),
                 FormatFigure(d.loudIn.rangeLu, "LU", 1, false).c_str(),
                 FormatFigure(d.loudOut.integratedLufs, "LUFS", 1).c_str(),
                 FormatFigure(d.loudOut.rangeLu, "LU", 1, false).c_str());
    if (d.aligned)
        std::fprintf(out, "alignment  aligned: the plug-in's delay of %lld frames taken out, output lines up with input\n",
                     static_cast<long long>(d.delayFrames));
    else
        std::fprintf(out, "alignment  raw (--no-align): output delayed by the plug-in's %lld frames\n",
                     static_cast<long long>(d.delayFrames));
    if (!d.plot.empty()) std::fprintf(out, "plot       %s\n", d.plot.c_str());
    const double total = std::max(d.totalSeconds, 1e-9);
    std::fprintf(out, "time       %.3f s, %.1fx realtime (plug-in process %.3f s, %.1fx realtime)\n",
                 d.totalSeconds, duration / total, s.processSeconds,
                 s.processSeconds > 0.0 ? duration / s.processSeconds : 0.0);
}

namespace
{
using nlohmann::json;

// JSON has no infinities or NaN: an unmeasurable or silent figure is null.
json Number(double v)
{
    return std::isfinite(v) ? json(v) : json(nullptr);
}

json Db(double linear)
{
    return linear > 0.0 ? json(20.0 * std::log10(linear)) : json(nullptr);
}

json Side(const double* peaks, int32_t channels, const LoudnessFigures& loud)
{
    json side;
    side["sample_peak_dbfs"] = Db(channels < 2 ? peaks[0] : std::max(peaks[0], peaks[1]));
    json perChannel = json::array();
    for (int32_t c = 0; c < channels; ++c)
        perChannel.push_back(Db(peaks[c]));
    side["sample_peak_dbfs_per_channel"] = perChannel;
    side["true_peak_dbtp"] = Number(loud.truePeakDbtp);
    side["integrated_lufs"] = Number(loud.integratedLufs);
    side["loudness_range_lu"] = Number(loud.rangeLu);
    return side;
}

json SummaryObject(const SummaryData& d)
{
    const RenderStats& s = d.stats;
    const double duration = d.sampleRate > 0 ? static_cast<double>(s.frames) / d.sampleRate : 0.0;
    json j;
    j["input"] = {{"path", d.input}, {"format", d.inputFormat}};
    j["output"] = {{"path", d.output}, {"format", d.outputFormat}};
    j["audio"] = {{"sample_rate", d.sampleRate}, {"channels", s.channels}, {"frames", s.frames},
                  {"seconds", duration}};
    j["plugin"] = {{"name", d.pluginName}, {"version", d.pluginVersion}, {"format", d.format}, {"precision", d.precision}, {"block", d.block}};
    j["preset"] = d.presetIndex >= 0 ? json{{"index", d.presetIndex}, {"name", d.presetName}} : json(nullptr);
    json params = json::object();
    for (const auto& [name, value] : d.params)
        params[name] = value;
    j["parameters"] = params;
    j["in"] = Side(s.peakIn, s.channels, d.loudIn);
    j["out"] = Side(s.peakOut, s.channels, d.loudOut);
    j["alignment"] = {{"aligned", d.aligned}, {"delay_frames", d.delayFrames}, {"frames_written", s.framesOut}};
    j["timings"] = {{"total_seconds", d.totalSeconds},
                    {"process_seconds", s.processSeconds},
                    {"read_seconds", s.readSeconds},
                    {"write_seconds", s.writeSeconds},
                    {"realtime_factor", Number(duration / std::max(d.totalSeconds, 1e-9))}};
    j["plot"] = d.plot.empty() ? json(nullptr) : json(d.plot);
    return j;
}

std::string Dump(const json& j)
{
    // Replacing what is not UTF-8 (a file name) instead of failing on it.
    return j.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}
} // namespace

std::string SummaryJson(const SummaryData& d)
{
    return Dump(SummaryObject(d));
}

std::string BatchJson(const std::vector<FileOutcome>& outcomes)
{
    json files = json::array();
    int failed = 0;
    for (const FileOutcome& o : outcomes)
    {
        if (o.ok)
            files.push_back(SummaryObject(o.summary));
        else
        {
            files.push_back({{"input", {{"path", o.input}}}, {"error", o.error}});
            ++failed;
        }
    }
    return Dump({{"files", files}, {"succeeded", static_cast<int>(outcomes.size()) - failed}, {"failed", failed}});
}

void PrintBatchTable(std::FILE* out, const std::vector<FileOutcome>& outcomes)
{
    size_t width = 4;
    for (const FileOutcome& o : outcomes)
        width = std::max(width, o.input.size());
    const int w = static_cast<int>(width);
    std::fprintf(out, "%-*s  %9s %7s %8s %8s  %9s %7s %8s %8s\n", w, "file", "in LUFS", "LRA", "peak", "true pk",
                 "out LUFS", "LRA", "peak", "true pk");
    const auto cell = [](double v, int decimals)
    {
        char text[24];
        if (std::isnan(v)) return std::string("n/a");
        if (std::isinf(v)) return std::string("-inf");
        std::snprintf(text, sizeof(text), "%+.*f", decimals, v);
        return std::string(text);
    };
    for (const FileOutcome& o : outcomes)
    {
        if (!o.ok)
        {
            std::fprintf(out, "%-*s  failed: %s\n", w, o.input.c_str(), o.error.c_str());
            continue;
        }
        const SummaryData& d = o.summary;
        const LoudnessFigures& i = d.loudIn;
        const LoudnessFigures& u = d.loudOut;
        std::fprintf(out, "%-*s  %9s %7s %8s %8s  %9s %7s %8s %8s\n", w, o.input.c_str(),
                     cell(i.integratedLufs, 1).c_str(), cell(i.rangeLu, 1).c_str(), cell(i.samplePeakDbfs, 2).c_str(),
                     cell(i.truePeakDbtp, 2).c_str(), cell(u.integratedLufs, 1).c_str(), cell(u.rangeLu, 1).c_str(),
                     cell(u.samplePeakDbfs, 2).c_str(), cell(u.truePeakDbtp, 2).c_str());
    }
}
