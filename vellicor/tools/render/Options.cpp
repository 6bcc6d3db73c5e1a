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

bool ParseDouble(const char* text, double& out)
{
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text, &end);
    return end != text && *end == '\0' && errno == 0 && std::isfinite(out);
}
} // namespace

ParseResult ParseOptions(int argc, char** argv, RenderOptions& options, std::string& error)
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
        {"list-presets", no_argument, nullptr, kListPresets},
        {"list-params", no_argument, nullptr, kListParams},
        {"quiet", no_argument, nullptr, kQuiet},
        {"help", no_argument, nullptr, kHelp},
        {"version", no_argument, nullptr, kVersion},
        {nullptr, 0, nullptr, 0},
    };

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
    if (files.size() > 2)
    {
        error = "too many arguments: \"" + files[2] + "\" (give IN and OUT only)";
        return ParseResult::Error;
    }
    if (files.size() < 2 && !(listing && files.empty()))
    {
        error = files.empty() ? "give an input and an output file: vellicor-render IN OUT (see --help)"
                              : "give an output file after " + files[0];
        return ParseResult::Error;
    }
    if (files.size() == 2)
    {
        options.input = files[0];
        options.output = files[1];
        Container container;
        if (!ContainerForPath(options.output, container))
        {
            error = "cannot tell the format of " + options.output +
                    " from its name: use .wav, .aif, .aiff or .flac";
            return ParseResult::Error;
        }
        if (SndfileFormat(container, options.sampleFormat) == 0)
        {
            error = std::string(ContainerName(container)) + " cannot hold " +
                    SampleFormatName(options.sampleFormat) + " samples (FLAC takes pcm16 or pcm24)";
            return ParseResult::Error;
        }
    }
    return ParseResult::Run;
}
