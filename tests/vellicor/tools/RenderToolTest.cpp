// The built vellicor-render on generated files: its raw (--no-align) 64-bit output equals the
// limiter driven directly, whatever the format, preset, block size or rate, and its aligned output
// equals the same shifted by the plug-in's delay; its 32-bit output is within float rounding of
// that; mono files take the mono configuration; files come out as asked.
#include "drawing/PIX_Png.h"
#include "tests/vellicor/tools/ReferenceRender.h"
#include "tests/vellicor/tools/TestSignals.h"
#include "tests/vellicor/tools/ToolRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

namespace
{
struct Case
{
    const char* format; // "vst3" or "vst2"
    double rate;
    int32_t block;
    int32_t channels;
    const char* preset; // "" for none
    std::vector<std::pair<std::string, double>> params;
};

// Test listings show the case name, not the parameter's raw bytes.
void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.format << " " << c.rate << " Hz, block " << c.block << ", " << c.channels << " ch, preset \""
        << c.preset << "\"";
}

std::string CaseName(const testing::TestParamInfo<Case>& info)
{
    const Case& c = info.param;
    std::string name = std::string(c.format) + "_" + std::to_string(static_cast<int>(c.rate)) + "Hz_block" +
                       std::to_string(c.block) + (c.channels == 1 ? "_mono" : "_stereo");
    std::string preset = *c.preset ? c.preset : "defaults";
    for (char& ch : preset)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name + "_" + preset + (c.params.empty() ? "" : "_set" + std::to_string(c.params.size()));
}

std::vector<std::string> ToolArgs(const Case& c, const std::string& in, const std::string& out)
{
    std::vector<std::string> args = {
        in,         out,
        "--format", c.format,
        "--block",  std::to_string(c.block),
        "--plugin", std::string(c.format) == "vst3" ? VELLICOR_VST3_BUNDLE : VELLICOR_VST2_MODULE};
    if (*c.preset)
    {
        args.push_back("--preset");
        args.push_back(c.preset);
    }
    for (const auto& [name, value] : c.params)
    {
        char text[64];
        std::snprintf(text, sizeof(text), "%s=%.17g", name.c_str(), value);
        args.push_back("--set");
        args.push_back(text);
    }
    return args;
}

ReferenceSetup SetupFor(const Case& c)
{
    ReferenceSetup s;
    s.sampleRate = c.rate;
    s.channels = c.channels;
    s.block = c.block;
    s.preset = c.preset;
    s.params = c.params;
    s.normalisedValues = std::string(c.format) == "vst3";
    return s;
}

// About a second, with a frame count that leaves a short last block for every block size used.
int64_t FramesFor(double rate)
{
    return static_cast<int64_t>(rate) + 77;
}

class RenderMatchesDirectDrive : public testing::TestWithParam<Case>
{
protected:
    const std::vector<double> input =
        HotSignal(GetParam().channels, GetParam().rate, FramesFor(GetParam().rate));

    // The input through the tool at 64 bits into a 64-bit file, with the extra options given.
    FileContents RenderSixtyFourBit(const std::vector<std::string>& extra, ToolResult& run)
    {
        const Case& c = GetParam();
        TempDir dir;
        if (!WriteFile(dir.Path("in.wav"), Container::Wav, SampleFormat::Double, static_cast<int32_t>(c.rate),
                       c.channels, input))
            return {};
        std::vector<std::string> args = ToolArgs(c, dir.Path("in.wav"), dir.Path("out.wav"));
        args.insert(args.end(), {"--precision", "64", "--sample-format", "double"});
        args.insert(args.end(), extra.begin(), extra.end());
        run = RunTool(VELLICOR_RENDER_TOOL, args);
        return ReadFile(dir.Path("out.wav"));
    }
};

TEST_P(RenderMatchesDirectDrive, SixtyFourBitOutputIsIdenticalSampleForSample)
{
    const Case& c = GetParam();
    ToolResult run;
    const FileContents out = RenderSixtyFourBit({"--quiet", "--no-align"}, run);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "") << "--quiet prints nothing";

    ASSERT_TRUE(out.ok);
    EXPECT_EQ(out.channels, c.channels);
    EXPECT_EQ(out.sampleRate, static_cast<int32_t>(c.rate));
    const std::vector<double> expected = RenderReference(input, SetupFor(c));
    ASSERT_EQ(out.samples.size(), expected.size());
    size_t mismatches = 0, first = 0;
    for (size_t i = 0; i < expected.size(); ++i)
    {
        if (out.samples[i] != expected[i] && mismatches++ == 0) first = i;
    }
    EXPECT_EQ(mismatches, 0u) << "first difference at sample " << first << ": tool " << out.samples[first]
                              << ", direct " << expected[first];
    // Not a trivial match: the limiter changed the signal and did not silence it.
    EXPECT_NE(expected, input);
    double peak = 0.0;
    for (double v : expected)
        peak = std::max(peak, std::fabs(v));
    EXPECT_GT(peak, 0.1);
}

TEST_P(RenderMatchesDirectDrive, AlignedOutputIsTheDirectDriveWithoutItsDelayAndWithItsTail)
{
    const Case& c = GetParam();
    ToolResult run;
    const FileContents out = RenderSixtyFourBit({"--json"}, run);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const nlohmann::json summary = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_FALSE(summary.is_discarded()) << run.out;
    const int64_t delay = summary["alignment"]["delay_frames"].get<int64_t>();

    // The direct drive of the input followed by that much silence, its first `delay` frames dropped.
    std::vector<double> padded = input;
    padded.resize(input.size() + static_cast<size_t>(delay * c.channels), 0.0);
    std::vector<double> expected = RenderReference(padded, SetupFor(c));
    expected.erase(expected.begin(), expected.begin() + delay * c.channels);
    ASSERT_TRUE(out.ok);
    ASSERT_EQ(out.samples.size(), input.size()) << "as long as the input";
    EXPECT_TRUE(out.samples == expected) << "delay " << delay;
}

TEST_P(RenderMatchesDirectDrive, ThirtyTwoBitOutputIsWithinFloatRounding)
{
    const Case& c = GetParam();
    TempDir dir;
    const std::vector<double> input = HotSignal(c.channels, c.rate, FramesFor(c.rate));
    // A float input file: the 32-bit path then starts from the very samples the reference gets.
    std::vector<double> asFloat(input.begin(), input.end());
    for (double& v : asFloat)
        v = static_cast<float>(v);
    ASSERT_TRUE(WriteFile(dir.Path("in.wav"), Container::Wav, SampleFormat::Float,
                          static_cast<int32_t>(c.rate), c.channels, asFloat));
    std::vector<std::string> args = ToolArgs(c, dir.Path("in.wav"), dir.Path("out.wav"));
    args.insert(args.end(), {"--quiet", "--no-align"});
    const ToolResult run = RunTool(VELLICOR_RENDER_TOOL, args);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const FileContents out = ReadFile(dir.Path("out.wav"));
    ASSERT_TRUE(out.ok);
    EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT) << "WAV output defaults to 32-bit float";
    const std::vector<double> expected = RenderReference(asFloat, SetupFor(c));
    ASSERT_EQ(out.samples.size(), expected.size());
    double worst = 0.0;
    for (size_t i = 0; i < expected.size(); ++i)
    {
        // Exactly the reference rounded to float: the plug-in computes in double either way.
        worst =
            std::max(worst, std::fabs(out.samples[i] - static_cast<double>(static_cast<float>(expected[i]))));
    }
    EXPECT_EQ(worst, 0.0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Presets, RenderMatchesDirectDrive, testing::Values(
    Case{"vst3", 48000, 512, 2, "Hard Limiting", {}},
    Case{"vst3", 44100, 1, 2, "Soft Limiting", {}},
    Case{"vst3", 96000, 333, 2, "Clipping", {}},
    Case{"vst3", 44100, 4096, 2, "Real Time Limiting", {{"Release", 50.0}, {"Stereo Link", 100}}},
    Case{"vst3", 96000, 64, 2, "", {{"Input Gain", 6.0}, {"Out Limit", -3.0}, {"Look Ahead", 12.3}}},
    Case{"vst3", 48000, 256, 1, "Medium Dynamic", {}},
    Case{"vst3", 44100, 1000, 1, "", {{"Attack", 2.5}}},
    Case{"vst2", 48000, 512, 2, "Hard Limiting", {}},
    Case{"vst2", 96000, 77, 2, "Very Soft", {{"Release", 50.0}, {"Stereo Link", 100}}},
    Case{"vst2", 44100, 128, 1, "Hard Safe Limiting", {{"Input Gain", -2.5}}}),
    CaseName);
// clang-format on

class RenderTool : public testing::Test
{
protected:
    TempDir dir;
    std::vector<double> input = HotSignal(2, 48000.0, 24000);

    void SetUp() override
    {
        ASSERT_TRUE(WriteFile(dir.Path("in.wav"), Container::Wav, SampleFormat::Float, 48000, 2, input));
    }
    ToolResult Run(std::vector<std::string> args)
    {
        args.insert(args.end(), {"--plugin", VELLICOR_VST3_BUNDLE});
        return RunTool(VELLICOR_RENDER_TOOL, args);
    }
};

TEST_F(RenderTool, OutputContainerFollowsExtensionAndSampleFormatItsOption)
{
    struct Expect
    {
        const char* name;
        std::vector<std::string> extra;
        int format;
    };
    const Expect cases[] = {
        {"out.aiff", {}, SF_FORMAT_AIFF | SF_FORMAT_FLOAT},
        {"out.aif", {"--sample-format", "pcm24"}, SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
        {"out.flac", {}, SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
        {"out16.flac", {"--sample-format", "pcm16"}, SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
        {"out.WAV", {"--sample-format", "pcm32"}, SF_FORMAT_WAV | SF_FORMAT_PCM_32},
        {"out64.wav", {"--sample-format", "double"}, SF_FORMAT_WAV | SF_FORMAT_DOUBLE},
    };
    for (const Expect& e : cases)
    {
        std::vector<std::string> args = {dir.Path("in.wav"), dir.Path(e.name), "--quiet"};
        args.insert(args.end(), e.extra.begin(), e.extra.end());
        const ToolResult run = Run(args);
        ASSERT_EQ(run.exitCode, 0) << e.name << ": " << run.err;
        const FileContents out = ReadFile(dir.Path(e.name));
        ASSERT_TRUE(out.ok) << e.name;
        EXPECT_EQ(out.format & (SF_FORMAT_TYPEMASK | SF_FORMAT_SUBMASK), e.format) << e.name;
        EXPECT_EQ(out.sampleRate, 48000) << e.name;
        EXPECT_EQ(out.samples.size(), input.size()) << e.name;
    }
}

TEST_F(RenderTool, PcmInputAtAnyRateKeepsItsRateAndLength)
{
    const std::vector<double> quiet = []
    {
        std::vector<double> v = HotSignal(1, 22050.0, 5000);
        for (double& x : v)
            x *= 0.3;
        return v;
    }();
    ASSERT_TRUE(WriteFile(dir.Path("in16.wav"), Container::Wav, SampleFormat::Pcm16, 22050, 1, quiet));
    const ToolResult run = Run({dir.Path("in16.wav"), dir.Path("out.flac"), "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const FileContents out = ReadFile(dir.Path("out.flac"));
    ASSERT_TRUE(out.ok);
    EXPECT_EQ(out.sampleRate, 22050);
    EXPECT_EQ(out.channels, 1);
    EXPECT_EQ(out.samples.size(), quiet.size());
}

TEST_F(RenderTool, SummaryNamesPresetValuesPeaksAndSpeed)
{
    const ToolResult run =
        Run({dir.Path("in.wav"), dir.Path("out.wav"), "--preset", "hard limiting", "--set", "Release=50"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("2 \"Hard Limiting\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("48000 Hz, stereo, 24000 frames"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Release             50.0 ms"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Stereo Link         70 %"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("peak in    +"), std::string::npos) << "the input is above full scale:\n"
                                                               << run.out;
    EXPECT_NE(run.out.find("peak out   -0."), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("x realtime"), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "") << "no progress bar when stderr is not a terminal";
}

TEST_F(RenderTool, SnapshotShowsTheEditorAtTheEndOfTheRender)
{
    const struct
    {
        const char* format;
        const char* plugin;
    } modules[] = {{"vst3", VELLICOR_VST3_BUNDLE}, {"vst2", VELLICOR_VST2_MODULE}};
    // A tone 6 dB over full scale to the last frame.
    std::vector<double> loud(2 * 24000);
    for (size_t i = 0; i < loud.size(); ++i)
        loud[i] = 2.0 * std::sin(0.05 * static_cast<double>(i / 2));
    ASSERT_TRUE(WriteFile(dir.Path("loud.wav"), Container::Wav, SampleFormat::Float, 48000, 2, loud));
    // Drawing text loads fontconfig with the module, and its once-per-process configuration goes with
    // the module at unload, where the leak checker can no longer name it: the tool runs without the
    // checker here (the module tests draw the same snapshot with it).
    struct NoLeakCheck
    {
        const char* asan = std::getenv("ASAN_OPTIONS");
        const std::string saved = asan ? asan : "";
        NoLeakCheck()
        {
            if (asan) setenv("ASAN_OPTIONS", (saved + ":detect_leaks=0").c_str(), 1);
        }
        ~NoLeakCheck()
        {
            if (asan) setenv("ASAN_OPTIONS", saved.c_str(), 1);
        }
    } noLeakCheck;
    for (const auto& m : modules)
    {
        const std::string png = dir.Path(std::string(m.format) + ".png");
        const ToolResult run = RunTool(
            VELLICOR_RENDER_TOOL, {dir.Path("loud.wav"), dir.Path("out.wav"), "--quiet", "--format", m.format,
                                   "--plugin", m.plugin, "--preset", "Hard Limiting", "--snapshot", png});
        ASSERT_EQ(run.exitCode, 0) << m.format << ": " << run.err;
        std::ifstream in(png, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::unique_ptr<PIX_IBitmap> picture(LoadPngFromMemory(bytes.data(), bytes.size(), nullptr));
        ASSERT_TRUE(picture) << m.format;
        EXPECT_EQ(picture->PixelWidth(), 562);
        EXPECT_EQ(picture->PixelHeight(), 270);
        // Limited to the last frame: the left bar is lit at its 0 dB end.
        EXPECT_EQ(picture->PixelData()[169 * picture->RowSpanPixels() + 430] & 0xFFFFFF, 0xFF0000u)
            << m.format;
    }
}

TEST_F(RenderTool, ListsPresetsAndParametersWithoutFiles)
{
    const ToolResult presets = Run({"--list-presets"});
    ASSERT_EQ(presets.exitCode, 0) << presets.err;
    EXPECT_NE(presets.out.find("  2  Hard Limiting\n"), std::string::npos) << presets.out;
    EXPECT_NE(presets.out.find(" 16  Clipping\n"), std::string::npos) << presets.out;
    EXPECT_EQ(std::count(presets.out.begin(), presets.out.end(), '\n'), 24);

    const ToolResult params = Run({"--list-params", "--format", "vst3"});
    ASSERT_EQ(params.exitCode, 0) << params.err;
    EXPECT_NE(params.out.find("0.1 to 1500 ms"), std::string::npos) << params.out;
    EXPECT_NE(params.out.find("whole numbers from 0 to 100 %"), std::string::npos) << params.out;

    const ToolResult vst2 = RunTool(VELLICOR_RENDER_TOOL,
                                    {"--list-params", "--format", "vst2", "--plugin", VELLICOR_VST2_MODULE});
    ASSERT_EQ(vst2.exitCode, 0) << vst2.err;
    EXPECT_EQ(vst2.out, params.out) << "both formats report the same parameters";
}

TEST_F(RenderTool, HelpIsGnuStyleForTheManualPage)
{
    const ToolResult run = RunTool(VELLICOR_RENDER_TOOL, {"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.rfind("Usage: vellicor-render", 0), 0u) << run.out;
    for (const char* section : {"Options:", "Exit status:", "Examples:"})
        EXPECT_NE(run.out.find(std::string("\n") + section + "\n"), std::string::npos) << section;
}
} // namespace
