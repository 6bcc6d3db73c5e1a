#include "vellicor/tools/render/Options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <getopt.h>

namespace
{
enum LongOnly
{
    kPlugin = 256,
    kFormat,
    kPreset,
    kSet,
    kBlock,
    kPrecision,
    kSampleFormat,
    kTransportStart,
    kSnapshot,
    kPlot,
    kPlotSize,
    kOutDir,
    kNoAlign,
    kJson,
    kListPresets,
    kListParams,
    kQuiet,
    kHelp,
    kVersion,
};

bool ParseInt(const char* text, long& out)
{
    char* end = nullptr;
    errno = 0;
    out = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && errno == 0;
}

// "1200x600".
bool ParsePlotSize(const char* text, int32_t& width, int32_t& height)
{
    char* end = nullptr;
    errno = 0;
    const long w = std::strtol(text, &end, 10);
    if (end == text || (*end != 'x' && *end != 'X')) return false;
    const char* second = end + 1;
    const long h = std::strtol(second, &end, 10);
    if (end == second || *end != '\0' || errno != 0) return false;
    if (w < kMinPlotSide || w > kMaxPlotSide || h < kMinPlotSide || h > kMaxPlotSide) return false;
    width = static_cast<int32_t>(w);
    height = static_cast<int32_t>(h);
    return true;
}

bool ParseDouble(const char* text, double& out)
{
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text, &end);
    return end != text && *end == '\0' && errno == 0 && std::isfinite(out);
}
} // namespace

std::string OutputPathIn(const std::string& dir, const std::string& input)
{
    const size_t slash = input.find_last_of('/');
    const std::string name = slash == std::string::npos ? input : input.substr(slash + 1);
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool CheckOutputFormat(const std::string& output, SampleFormat format, std::string& error)
{
    Container container;
    if (!ContainerForPath(output, container))
    {
        error = "cannot tell the format of " + output + " from its name: use .wav, .aif, .aiff or .flac";
        return false;
    }
    if (SndfileFormat(container, format) == 0)
    {
        error = std::string(ContainerName(container)) + " cannot hold " + SampleFormatName(format) +
                " samples (FLAC takes pcm16 or pcm24)";
        return false;
    }
    return true;
}

const option* LongOptions()
{
    static const option longOptions[] = {
        {"plugin", required_argument, nullptr, kPlugin},
        {"format", required_argument, nullptr, kFormat},
        {"preset", required_argument, nullptr, kPreset},
        {"set", required_argument, nullptr, kSet},
        {"block", required_argument, nullptr, kBlock},
        {"precision", required_argument, nullptr, kPrecision},
        {"sample-format", required_argument, nullptr, kSampleFormat},
        {"transport-start", required_argument, nullptr, kTransportStart},
        {"snapshot", required_argument, nullptr, kSnapshot},
        {"plot", required_argument, nullptr, kPlot},
        {"plot-size", required_argument, nullptr, kPlotSize},
        {"out-dir", required_argument, nullptr, kOutDir},
        {"no-align", no_argument, nullptr, kNoAlign},
        {"json", no_argument, nullptr, kJson},
        {"list-presets", no_argument, nullptr, kListPresets},
        {"list-params", no_argument, nullptr, kListParams},
        {"quiet", no_argument, nullptr, kQuiet},
        {"help", no_argument, nullptr, kHelp},
        {"version", no_argument, nullptr, kVersion},
        {nullptr, 0, nullptr, 0},
    };
    return longOptions;
}

ParseResult ParseOptions(int argc, char** argv, RenderOptions& options, std::string& error)
{
    const option* longOptions = LongOptions();

    optind = 0; // full re-initialisation: the parser may run more than once per process
    opterr = 0; // our own one-line messages instead of getopt's
    bool help = false, version = false;
    for (;;)
    {
        const int c = getopt_long(argc, argv, ":hqV", longOptions, nullptr);
        if (c == -1) break;
        const char* arg = optarg;
        // The offending word for messages: getopt has stepped past it.
        const std::string given = optind > 0 && optind <= argc ? argv[optind - 1] : "";
        long n = 0;
        switch (c)
        {
        case kPlugin:
            options.plugin = arg;
            break;
        case kFormat:
            if (std::string(arg) == "vst3")
                options.format = PluginFormat::Vst3;
            else if (std::string(arg) == "vst2")
                options.format = PluginFormat::Vst2;
            else
            {
                error = "--format takes vst3 or vst2, not \"" + std::string(arg) + "\"";
                return ParseResult::Error;
            }
            break;
        case kPreset:
            if (*arg == '\0')
            {
                error = "--preset takes a preset name or index";
                return ParseResult::Error;
            }
            options.preset = arg;
            break;
        case kSet:
            options.settings.push_back(arg);
            break;
        case kBlock:
            if (!ParseInt(arg, n) || n < 1 || n > kMaxBlock)
            {
                error = "--block takes a frame count from 1 to " + std::to_string(kMaxBlock) + ", not \"" +
                        std::string(arg) + "\"";
                return ParseResult::Error;
            }
            options.block = static_cast<int32_t>(n);
            break;
        case kPrecision:
            if (!ParseInt(arg, n) || (n != 32 && n != 64))
            {
                error = "--precision takes 32 or 64, not \"" + std::string(arg) + "\"";
                return ParseResult::Error;
            }
            options.precision = n == 64 ? Precision::Double : Precision::Single;
            break;
        case kSampleFormat:
            if (!ParseSampleFormat(arg, options.sampleFormat))
            {
                error = "--sample-format takes pcm16, pcm24, pcm32, float or double, not \"" +
                        std::string(arg) + "\"";
                return ParseResult::Error;
            }
            break;
        case kTransportStart:
        {
            double seconds = 0.0;
            if (!ParseDouble(arg, seconds) || seconds < 0.0 || seconds > 86400.0)
            {
                error = "--transport-start takes seconds from 0 to 86400, not \"" + std::string(arg) + "\"";
                return ParseResult::Error;
            }
            options.transportStart = seconds;
            break;
        }
        case kSnapshot:
            if (*arg == '\0')
            {
                error = "--snapshot takes the path of a PNG file";
                return ParseResult::Error;
            }
            options.snapshot = arg;
            break;
        case kPlot:
            if (*arg == '\0')
            {
                error = "--plot takes the path of a PNG file";
                return ParseResult::Error;
            }
            options.plot = arg;
            break;
        case kPlotSize:
            if (!ParsePlotSize(arg, options.plotWidth, options.plotHeight))
            {
                error = "--plot-size takes WIDTHxHEIGHT, each from " + std::to_string(kMinPlotSide) + " to " +
                        std::to_string(kMaxPlotSide) + ", not \"" + std::string(arg) + "\"";
                return ParseResult::Error;
            }
            break;
        case kOutDir:
            if (*arg == '\0')
            {
                error = "--out-dir takes a folder";
                return ParseResult::Error;
            }
            options.outDir = arg;
            break;
        case kNoAlign:
            options.align = false;
            break;
        case kJson:
            options.json = true;
            break;
        case kListPresets:
            options.listPresets = true;
            break;
        case kListParams:
            options.listParams = true;
            break;
        case 'q':
        case kQuiet:
            options.quiet = true;
            break;
        case 'h':
        case kHelp:
            help = true;
            break;
        case 'V':
        case kVersion:
            version = true;
            break;
        case ':':
            error = "option " + given + " needs a value";
            return ParseResult::Error;
        default:
            error = "unknown option " + given + " (see --help)";
            return ParseResult::Error;
        }
    }
    if (help) return ParseResult::Help;
    if (version) return ParseResult::Version;

    std::vector<std::string> files(argv + optind, argv + argc);
    const bool listing = options.listPresets || options.listParams;
    if (!options.outDir.empty())
    {
        if (files.empty())
        {
            error = "give the input files to write into " + options.outDir;
            return ParseResult::Error;
        }
        options.inputs = files;
        // Two inputs of the same name would be written to the same output, the second over the first.
        for (size_t i = 0; i < files.size(); ++i)
            for (size_t j = i + 1; j < files.size(); ++j)
                if (OutputPathIn(options.outDir, files[i]) == OutputPathIn(options.outDir, files[j]))
                {
                    error = files[i] + " and " + files[j] + " would both be written to " +
                            OutputPathIn(options.outDir, files[i]);
                    return ParseResult::Error;
                }
    }
    else if (files.size() > 2)
    {
        error = "too many arguments: \"" + files[2] + "\" (give IN and OUT, or IN... --out-dir DIR)";
        return ParseResult::Error;
    }
    else if (files.size() < 2 && !(listing && files.empty()))
    {
        error = files.empty() ? "give an input and an output file: vellicor-render IN OUT (see --help)"
                              : "give an output file after " + files[0];
        return ParseResult::Error;
    }
    else if (files.size() == 2)
    {
        options.inputs = {files[0]};
        options.output = files[1];
    }
    if (options.inputs.size() > 1 && (!options.plot.empty() || !options.snapshot.empty()))
    {
        error = std::string(options.plot.empty() ? "--snapshot" : "--plot") +
                " draws one render: give one input file";
        return ParseResult::Error;
    }
    // The output's container and sample format are checked before any file is touched; with
    // --out-dir each input's is checked as its turn comes, so that one does not stop the others.
    if (!options.output.empty() && !CheckOutputFormat(options.output, options.sampleFormat, error))
        return ParseResult::Error;
    return ParseResult::Run;
}
