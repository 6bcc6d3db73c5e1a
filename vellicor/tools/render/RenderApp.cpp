#include "vellicor/tools/render/RenderApp.h"

#include "vellicor/plugin/VellicorIdentity.h"
#include "vellicor/tools/render/AudioReader.h"
#include "vellicor/tools/render/AudioWriter.h"
#include "vellicor/tools/render/Help.h"
#include "vellicor/tools/render/Options.h"
#include "vellicor/tools/render/ParamSettings.h"
#include "vellicor/tools/render/ProgressBar.h"
#include "vellicor/tools/render/Renderer.h"
#include "vellicor/tools/render/Summary.h"
#include "vellicor/tools/render/Vst2Host.h"
#include "vellicor/tools/render/Vst3Host.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
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

std::string DefaultPluginPath(PluginFormat format)
{
    return ProgramDir() + (format == PluginFormat::Vst3 ? "/vellicor.vst3" : "/vellicor_vst2.so");
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

    RenderOptions options;
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

    const std::string pluginPath =
        options.plugin.empty() ? DefaultPluginPath(options.format) : options.plugin;
    std::unique_ptr<PluginHost> host;
    if (options.format == PluginFormat::Vst3)
        host = std::make_unique<Vst3Host>();
    else
        host = std::make_unique<Vst2Host>();
    if (!host->Load(pluginPath, error)) return Fail(error);
    // Refused before any file is touched when the module cannot draw its editor.
    if (!options.snapshot.empty() && !host->EditorSnapshot(0, nullptr, error)) return Fail(error);

    if (options.listPresets || options.listParams)
    {
        if (options.listPresets) ListPresets(*host);
        if (options.listPresets && options.listParams) std::printf("\n");
        if (options.listParams) ListParams(*host);
        if (options.input.empty()) return 0;
    }

    // Everything the command line asks of the plug-in is checked before any file is touched.
    std::vector<std::string> presetNames;
    for (int32_t i = 0; i < host->PresetCount(); ++i)
        presetNames.push_back(host->PresetName(i));
    std::vector<ParamInfo> params;
    for (int32_t i = 0; i < host->ParamCount(); ++i)
        params.push_back(host->Param(i));
    int32_t presetIndex = -1;
    if (!options.preset.empty() && !ResolvePreset(options.preset, presetNames, presetIndex, error))
        return Fail(error);
    std::vector<ParamSetting> settings;
    for (const std::string& text : options.settings)
    {
        ParamSetting s;
        if (!ResolveSetting(text, params, s, error)) return Fail(error);
        settings.push_back(s);
    }

    const auto start = std::chrono::steady_clock::now();
    AudioReader reader;
    if (!reader.Open(options.input, error)) return Fail(error);
    if (reader.Channels() > 2)
        return Fail(options.input + " has " + std::to_string(reader.Channels()) +
                    " channels; the limiter takes mono or stereo files");
    if (SameFile(options.input, options.output))
        return Fail(options.output + " is the input file; write the result to another file");

    Container container = Container::Wav;
    ContainerForPath(options.output, container); // checked by the option parser
    AudioWriter writer;
    if (!writer.Open(options.output, container, options.sampleFormat, reader.SampleRate(), reader.Channels(),
                     error))
        return Fail(error);

    if (presetIndex >= 0) host->RequestPreset(presetIndex);
    for (const ParamSetting& s : settings)
        host->RequestParam(s.index, s.value);
    if (!host->Start(reader.SampleRate(), reader.Channels(), options.block, options.precision,
                     options.transportStart, error))
        return Fail(error);

    Renderer renderer(*host, options.block, options.precision);
    renderer.SetCancelFlag(&interrupted);
    if (!options.snapshot.empty())
    {
        // The editor's 24 frames a second, over the last second of audio.
        const int32_t tickFrames = std::max(1, static_cast<int32_t>(reader.SampleRate() / 24));
        renderer.SetEditorTicks(std::max<int64_t>(0, reader.Frames() - 24 * int64_t{tickFrames}), tickFrames);
    }
    std::unique_ptr<ProgressBar> bar;
    if (ProgressBar::Wanted(stderr, reader.Frames(), reader.SampleRate(), options.quiet))
    {
        bar = std::make_unique<ProgressBar>(stderr, reader.Frames(), reader.SampleRate());
        renderer.SetProgress(bar.get());
    }
    RenderStats stats;
    const bool rendered = renderer.Run(reader, writer, stats, error);
    bar.reset();
    host->Stop();
    if (!rendered)
    {
        writer.Abandon();
        return Fail(error, interrupted ? kExitInterrupted : kExitFailure);
    }
    if (!writer.Commit(error)) return Fail(error);
    // One more frame, written: what the window shows at the end of the render.
    if (!options.snapshot.empty() && !host->EditorSnapshot(1, options.snapshot.c_str(), error))
        return Fail(error);
    const double totalSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    if (options.quiet) return 0;
    SummaryData summary;
    summary.input = options.input;
    summary.output = options.output;
    summary.inputFormat = DescribeSndfileFormat(reader.Format());
    summary.outputFormat = DescribeSndfileFormat(SndfileFormat(container, options.sampleFormat));
    summary.sampleRate = reader.SampleRate();
    summary.plugin = host->PluginName() + " " + host->PluginVersion() + " (" + host->FormatName() + ", " +
                     std::to_string(static_cast<int>(options.precision)) + "-bit, block " +
                     std::to_string(options.block) + ")";
    summary.preset = presetIndex >= 0 ? std::to_string(presetIndex) + " \"" + presetNames[presetIndex] + "\""
                                      : "none (the plug-in's defaults)";
    for (int32_t i = 0; i < host->ParamCount(); ++i)
        summary.params.emplace_back(params[static_cast<size_t>(i)].name, host->ParamDisplay(i));
    summary.stats = stats;
    summary.totalSeconds = totalSeconds;
    PrintSummary(stdout, summary);
    return 0;
}
