#include "vellicor/tools/render/RenderApp.h"

#include "vellicor/plugin/VellicorIdentity.h"
#include "vellicor/tools/render/AudioReader.h"
#include "vellicor/tools/render/AudioWriter.h"
#include "vellicor/tools/render/DelayProbe.h"
#include "vellicor/tools/render/Help.h"
#include "vellicor/tools/render/LimitingPlot.h"
#include "vellicor/tools/render/LimitingTrace.h"
#include "vellicor/tools/render/LoudnessMeter.h"
#include "vellicor/tools/render/Options.h"
#include "vellicor/tools/render/ParamSettings.h"
#include "vellicor/tools/render/ProgressBar.h"
#include "vellicor/tools/render/Renderer.h"
#include "vellicor/tools/render/Summary.h"
#include "vellicor/tools/render/Vst2Host.h"
#include "vellicor/tools/render/Vst3Host.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnSignal(int)
{
    interrupted = 1;
}

int Fail(const std::string& message, int code = kExitFailure)
{
    std::fprintf(stderr, "vellicor-render: %s\n", message.c_str());
    return code;
}

std::string ProgramDir()
{
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (n <= 0) return ".";
    std::string path(buffer, static_cast<size_t>(n));
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// The same file under any spelling (./x.wav, a link): the rename at the end would replace the input.
bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa
    {
    };
    struct stat sb
    {
    };
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Next to the program, as in dist/ and the build tree; else where the package (or an install under
// a prefix) puts it beside PREFIX/bin: PREFIX/lib/vst3 or PREFIX/lib/lxvst.
std::string DefaultPluginPath(PluginFormat format)
{
    const bool vst3 = format == PluginFormat::Vst3;
    const std::string beside = ProgramDir() + (vst3 ? "/vellicor.vst3" : "/vellicor_vst2.so");
    const std::string system = ProgramDir() + (vst3 ? "/../lib/vst3/vellicor.vst3" : "/../lib/lxvst/vellicor_vst2.so");
    struct stat info
    {
    };
    return stat(beside.c_str(), &info) != 0 && stat(system.c_str(), &info) == 0 ? system : beside;
}

// What every file of a run shares: the module, and the settings checked against it.
struct RunContext
{
    RenderOptions options;
    std::string pluginPath;
    int32_t presetIndex = -1;
    std::vector<std::string> presetNames;
    std::vector<ParamInfo> params;
    std::vector<ParamSetting> settings;
    ProgressBar* progress = nullptr;
};

std::unique_ptr<PluginHost> NewHost(PluginFormat format)
{
    if (format == PluginFormat::Vst3) return std::make_unique<Vst3Host>();
    return std::make_unique<Vst2Host>();
}

// A loaded instance with the run's preset and values requested, started for a file.
std::unique_ptr<PluginHost> StartedHost(const RunContext& run, double rate, int32_t channels, std::string& error)
{
    std::unique_ptr<PluginHost> host = NewHost(run.options.format);
    if (!host->Load(run.pluginPath, error)) return nullptr;
    if (run.presetIndex >= 0) host->RequestPreset(run.presetIndex);
    for (const ParamSetting& s : run.settings)
        host->RequestParam(s.index, s.value);
    if (!host->Start(rate, channels, run.options.block, run.options.precision, run.options.transportStart, error))
        return nullptr;
    return host;
}

// The ceiling the plot draws: "Out Limit" as the plug-in displays it. NaN when there is none.
double CeilingDbfs(const PluginHost& host)
{
    for (int32_t i = 0; i < host.ParamCount(); ++i)
    {
        if (host.Param(i).name != "Out Limit") continue;
        const std::string text = host.ParamDisplay(i);
        char* end = nullptr;
        const double v = std::strtod(text.c_str(), &end);
        if (end != text.c_str()) return v;
    }
    return std::nan("");
}

std::string FileName(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Renders one file; false with the error (and exit code) set when it failed.
bool RenderFile(const RunContext& run, size_t index, const std::string& output, SummaryData& summary,
                std::string& error, int& code)
{
    const RenderOptions& options = run.options;
    const std::string& input = options.inputs[index];
    code = kExitFailure;
    const auto start = std::chrono::steady_clock::now();
    if (!options.outDir.empty() && !CheckOutputFormat(output, options.sampleFormat, error)) return false;
    AudioReader reader;
    if (!reader.Open(input, error)) return false;
    if (reader.Channels() > 2)
    {
        error = input + " has " + std::to_string(reader.Channels()) +
                " channels; the limiter takes mono or stereo files";
        return false;
    }
    if (SameFile(input, output))
    {
        error = output + " is the input file; write the result to another file";
        return false;
    }

    // The delay, measured by a fresh instance with the same settings before the render's own is
    // loaded: one instance of the module at a time.
    ProbedDelay delay;
    {
        std::unique_ptr<PluginHost> probe = StartedHost(run, reader.SampleRate(), reader.Channels(), error);
        if (!probe) return false;
        // The look-ahead reaches 100 ms; twice that and a block more leaves room for any rounding.
        const int64_t search = static_cast<int64_t>(reader.SampleRate()) / 5 + options.block + 1;
        const bool probed =
            ProbeDelay(*probe, reader.Channels(), options.block, options.precision, search, delay, error);
        probe->Stop();
        if (!probed) return false;
    }

    Container container = Container::Wav;
    ContainerForPath(output, container); // checked by the option parser or above
    AudioWriter writer;
    if (!writer.Open(output, container, options.sampleFormat, reader.SampleRate(), reader.Channels(), error))
        return false;
    std::unique_ptr<PluginHost> host = StartedHost(run, reader.SampleRate(), reader.Channels(), error);
    if (!host) return false;

    Renderer renderer(*host, options.block, options.precision);
    renderer.SetCancelFlag(&interrupted);
    if (options.align) renderer.SetAlignment(delay.frames);
    LoudnessMeter loudIn(reader.Channels(), reader.SampleRate()), loudOut(reader.Channels(), reader.SampleRate());
    std::unique_ptr<LimitingTrace> trace;
    if (!options.plot.empty())
        trace = std::make_unique<LimitingTrace>(
            PlotLayout::For(options.plotWidth, options.plotHeight, PlotScales()).Columns(), reader.Frames(),
            reader.Channels(), delay.levelGain, options.align ? 0 : delay.frames);
    renderer.SetAnalysis(&loudIn, &loudOut, trace.get());
    if (!options.snapshot.empty())
    {
        // The editor's 24 frames a second, over the last second of audio through the plug-in.
        const int32_t tickFrames = std::max(1, static_cast<int32_t>(reader.SampleRate() / 24));
        const int64_t processed = reader.Frames() + (options.align ? delay.frames : 0);
        renderer.SetEditorTicks(std::max<int64_t>(0, processed - 24 * int64_t{tickFrames}), tickFrames);
    }
    if (run.progress)
    {
        run.progress->StartFile(static_cast<int32_t>(index), static_cast<int32_t>(options.inputs.size()),
                                reader.Frames(), reader.SampleRate());
        renderer.SetProgress(run.progress);
    }
    RenderStats stats;
    const bool rendered = renderer.Run(reader, writer, stats, error);
    host->Stop();
    if (!rendered)
    {
        writer.Abandon();
        if (interrupted) code = kExitInterrupted;
        return false;
    }
    if (!writer.Commit(error)) return false;
    // One more frame, written: what the window shows at the end of the render.
    if (!options.snapshot.empty() && !host->EditorSnapshot(1, options.snapshot.c_str(), error)) return false;

    summary.input = input;
    summary.output = output;
    summary.inputFormat = DescribeSndfileFormat(reader.Format());
    summary.outputFormat = DescribeSndfileFormat(SndfileFormat(container, options.sampleFormat));
    summary.sampleRate = reader.SampleRate();
    summary.pluginName = host->PluginName();
    summary.pluginVersion = host->PluginVersion();
    summary.format = host->FormatName();
    summary.precision = static_cast<int32_t>(options.precision);
    summary.block = options.block;
    summary.plugin = host->PluginName() + " " + host->PluginVersion() + " (" + host->FormatName() + ", " +
                     std::to_string(summary.precision) + "-bit, block " + std::to_string(options.block) + ")";
    summary.presetIndex = run.presetIndex;
    if (run.presetIndex >= 0) summary.presetName = run.presetNames[static_cast<size_t>(run.presetIndex)];
    summary.preset = run.presetIndex >= 0 ? std::to_string(run.presetIndex) + " \"" + summary.presetName + "\""
                                          : "none (the plug-in's defaults)";
    for (int32_t i = 0; i < host->ParamCount(); ++i)
        summary.params.emplace_back(run.params[static_cast<size_t>(i)].name, host->ParamDisplay(i));
    summary.stats = stats;
    summary.aligned = options.align;
    summary.delayFrames = delay.frames;
    summary.loudIn = loudIn.Figures();
    summary.loudOut = loudOut.Figures();
    if (trace)
    {
        const double seconds = static_cast<double>(reader.Frames()) / reader.SampleRate();
        const std::string title = FileName(input) + " > " + FileName(output) + ", preset " +
                                  (run.presetIndex >= 0 ? summary.presetName : std::string("none"));
        if (!WriteLimitingPlot(options.plot, options.plotWidth, options.plotHeight, *trace,
                               ScalesFor(*trace, seconds, CeilingDbfs(*host)), title))
        {
            error = "cannot write " + options.plot;
            return false;
        }
        summary.plot = options.plot;
    }
    summary.totalSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return true;
}

void ListPresets(const PluginHost& host)
{
    for (int32_t i = 0; i < host.PresetCount(); ++i)
        std::printf("%3d  %s\n", i, host.PresetName(i).c_str());
}

void ListParams(const PluginHost& host)
{
    size_t width = 4, rangeWidth = 5;
    for (int32_t i = 0; i < host.ParamCount(); ++i)
    {
        width = std::max(width, host.Param(i).name.size());
        rangeWidth = std::max(rangeWidth, DescribeRange(host.Param(i)).size());
    }
    std::printf("%-*s  %-*s  %s\n", static_cast<int>(width), "name", static_cast<int>(rangeWidth), "range",
                "default");
    for (int32_t i = 0; i < host.ParamCount(); ++i)
    {
        const ParamInfo p = host.Param(i);
        std::string def = p.defaultText;
        if (!p.units.empty() && !def.empty()) def += " " + p.units;
        std::printf("%-*s  %-*s  %s\n", static_cast<int>(width), p.name.c_str(), static_cast<int>(rangeWidth),
                    DescribeRange(p).c_str(), def.c_str());
    }
}
} // namespace

int RunRenderApp(int argc, char** argv)
{
    // From the start, so that an interrupt at any moment ends in the same clean way.
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    RunContext run;
    RenderOptions& options = run.options;
    std::string error;
    switch (ParseOptions(argc, argv, options, error))
    {
    case ParseResult::Error:
        return Fail(error, kExitUsage);
    case ParseResult::Help:
        std::fputs(HelpText(), stdout);
        return 0;
    case ParseResult::Version:
        std::printf("vellicor-render %s\n", vellicor::identity::kVersionText);
        return 0;
    case ParseResult::Run:
        break;
    }

    run.pluginPath = options.plugin.empty() ? DefaultPluginPath(options.format) : options.plugin;
    {
        // This instance lists and checks; each file gets instances of its own.
        std::unique_ptr<PluginHost> host = NewHost(options.format);
        if (!host->Load(run.pluginPath, error)) return Fail(error);
        // Refused before any file is touched when the module cannot draw its editor.
        if (!options.snapshot.empty() && !host->EditorSnapshot(0, nullptr, error)) return Fail(error);

        if (options.listPresets || options.listParams)
        {
            if (options.listPresets) ListPresets(*host);
            if (options.listPresets && options.listParams) std::printf("\n");
            if (options.listParams) ListParams(*host);
            if (options.inputs.empty()) return 0;
        }

        // Everything the command line asks of the plug-in is checked before any file is touched.
        for (int32_t i = 0; i < host->PresetCount(); ++i)
            run.presetNames.push_back(host->PresetName(i));
        for (int32_t i = 0; i < host->ParamCount(); ++i)
            run.params.push_back(host->Param(i));
    }
    if (!options.preset.empty() && !ResolvePreset(options.preset, run.presetNames, run.presetIndex, error))
        return Fail(error);
    for (const std::string& text : options.settings)
    {
        ParamSetting s;
        if (!ResolveSetting(text, run.params, s, error)) return Fail(error);
        run.settings.push_back(s);
    }

    std::unique_ptr<ProgressBar> bar;
    if (ProgressBar::Wanted(stderr, options.quiet))
    {
        bar = std::make_unique<ProgressBar>(stderr);
        run.progress = bar.get();
    }
    // The folder is made when missing; a failure to make it shows at each file.
    if (!options.outDir.empty()) mkdir(options.outDir.c_str(), 0777);
    std::vector<FileOutcome> outcomes;
    for (size_t i = 0; i < options.inputs.size(); ++i)
    {
        FileOutcome outcome;
        outcome.input = options.inputs[i];
        const std::string output =
            options.outDir.empty() ? options.output : OutputPathIn(options.outDir, options.inputs[i]);
        int code = kExitFailure;
        outcome.ok = RenderFile(run, i, output, outcome.summary, outcome.error, code);
        if (!outcome.ok)
        {
            if (bar) bar->Finish();
            // One file alone ends as before; of several, the others still get their turn.
            if (options.inputs.size() == 1 || code == kExitInterrupted) return Fail(outcome.error, code);
            std::fprintf(stderr, "vellicor-render: %s\n", outcome.error.c_str());
        }
        outcomes.push_back(outcome);
    }
    bar.reset();

    const bool allDone =
        std::all_of(outcomes.begin(), outcomes.end(), [](const FileOutcome& o) { return o.ok; });
    const int status = allDone ? 0 : kExitFailure;
    if (options.quiet) return status;
    if (outcomes.size() == 1)
    {
        if (options.json)
            std::fputs(SummaryJson(outcomes.front().summary).c_str(), stdout);
        else
            PrintSummary(stdout, outcomes.front().summary);
        return status;
    }
    if (options.json)
    {
        std::fputs(BatchJson(outcomes).c_str(), stdout);
        return status;
    }
    for (const FileOutcome& o : outcomes)
        if (o.ok) std::printf("%s -> %s\n", o.input.c_str(), o.summary.output.c_str());
    std::printf("\n");
    PrintBatchTable(stdout, outcomes);
    return status;
}
