// The built vellicor-render as mastering uses it: output lined up with the input whatever the
// look-ahead, the JSON summary against the text one, the plot's size, and a folder of files of
// which one fails.
#include "drawing/PIX_Png.h"
#include "tests/vellicor/tools/TestSignals.h"
#include "tests/vellicor/tools/ToolRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

namespace
{
struct AlignCase
{
    const char* format;
    double rate;
    int32_t block;
    std::vector<std::string> settings; // --preset / --set words
    double gain = 1.0;                 // of "Input Gain"
};

// Silence but for an impulse, a burst 6 dB over full scale and a small mark on the second-last frame.
struct Marked
{
    int64_t frames, impulse, burst, burstLength, mark;
    std::vector<double> samples;
    explicit Marked(double rate)
        : frames(static_cast<int64_t>(rate * 0.6)), impulse(static_cast<int64_t>(rate * 0.05) + 3),
          burst(static_cast<int64_t>(rate * 0.3) + 1), burstLength(static_cast<int64_t>(rate * 0.05)),
          mark(frames - 2), samples(static_cast<size_t>(2 * frames), 0.0)
    {
        for (int c = 0; c < 2; ++c)
        {
            samples[static_cast<size_t>(2 * impulse + c)] = 0.5;
            for (int64_t i = 0; i < burstLength; ++i)
                samples[static_cast<size_t>(2 * (burst + i) + c)] = 2.0 * std::sin(0.3 * static_cast<double>(i + 1));
            samples[static_cast<size_t>(2 * mark + c)] = 0.01;
        }
    }
};

// The first frame at or after `from` where either channel is not silent; -1 if none.
int64_t FirstSound(const std::vector<double>& interleaved, int64_t from)
{
    for (size_t i = static_cast<size_t>(2 * from); i < interleaved.size(); ++i)
        if (interleaved[i] != 0.0) return static_cast<int64_t>(i / 2);
    return -1;
}

TEST(RenderAlignment, ImpulseBurstAndLastFramesComeOutWhereTheyWentIn)
{
    // clang-format off
    const AlignCase cases[] = {
        {"vst3", 48000, 512, {}},
        {"vst3", 48000, 512, {"--preset", "Hard Limiting"}},
        {"vst3", 44100, 333, {"--preset", "Very Soft"}},
        {"vst3", 48000, 64, {"--preset", "Clipping"}},
        {"vst3", 96000, 1024, {"--set", "Look Ahead=0"}},
        {"vst3", 48000, 77, {"--set", "Look Ahead=100"}},
        {"vst3", 44100, 4096, {"--set", "Look Ahead=100", "--set", "Input Gain=-6"}, 0.501187},
        {"vst2", 48000, 128, {"--set", "Look Ahead=100"}},
        {"vst2", 96000, 512, {"--preset", "Soft Limiting", "--set", "Look Ahead=12.3"}},
    };
    // clang-format on
    for (const AlignCase& c : cases)
    {
        std::string name = std::string(c.format) + " " + std::to_string(static_cast<int>(c.rate));
        for (const std::string& w : c.settings)
            name += " " + w;
        TempDir dir;
        const Marked in(c.rate);
        ASSERT_TRUE(WriteFile(dir.Path("in.wav"), Container::Wav, SampleFormat::Double, static_cast<int32_t>(c.rate),
                              2, in.samples));
        std::vector<std::string> args = {dir.Path("in.wav"),
                                         dir.Path("out.wav"),
                                         "--quiet",
                                         "--precision",
                                         "64",
                                         "--sample-format",
                                         "double",
                                         "--block",
                                         std::to_string(c.block),
                                         "--format",
                                         c.format,
                                         "--plugin",
                                         std::string(c.format) == "vst3" ? VELLICOR_VST3_BUNDLE : VELLICOR_VST2_MODULE};
        args.insert(args.end(), c.settings.begin(), c.settings.end());
        const ToolResult run = RunTool(VELLICOR_RENDER_TOOL, args);
        ASSERT_EQ(run.exitCode, 0) << name << ": " << run.err;
        const FileContents out = ReadFile(dir.Path("out.wav"));
        ASSERT_TRUE(out.ok) << name;
        ASSERT_EQ(out.samples.size(), in.samples.size()) << name << ": as long as the input";
        EXPECT_EQ(FirstSound(out.samples, 0), in.impulse) << name;
        EXPECT_EQ(FirstSound(out.samples, in.impulse + 1), in.burst) << name;
        // The limiter leaves the quiet mark alone once the burst's release is long over.
        EXPECT_NEAR(out.samples[static_cast<size_t>(2 * in.mark)], 0.01 * c.gain, 1e-6)
            << name << ": the input's last frames are in the output";
        EXPECT_EQ(FirstSound(out.samples, in.mark + 1), -1) << name;
    }
}

class RenderReport : public testing::Test
{
protected:
    TempDir dir;
    void SetUp() override
    {
        ASSERT_TRUE(WriteFile(dir.Path("in.wav"), Container::Wav, SampleFormat::Float, 48000, 2,
                              HotSignal(2, 48000.0, 48000)));
    }
    ToolResult Run(std::vector<std::string> args)
    {
        args.insert(args.end(), {"--plugin", VELLICOR_VST3_BUNDLE, "--preset", "Hard Limiting"});
        return RunTool(VELLICOR_RENDER_TOOL, args);
    }
};

// The number after `label` on the text summary's line that starts with `line`.
double TextFigure(const std::string& text, const std::string& line, const std::string& label)
{
    const size_t at = text.find("\n" + line);
    const size_t found = text.find(label, at);
    if (at == std::string::npos || found == std::string::npos) return NAN;
    return std::strtod(text.c_str() + found + label.size(), nullptr);
}

TEST_F(RenderReport, JsonParsesAndCarriesTheTextSummarysValues)
{
    const ToolResult text = Run({dir.Path("in.wav"), dir.Path("a.wav"), "--no-align"});
    const ToolResult json = Run({dir.Path("in.wav"), dir.Path("b.wav"), "--no-align", "--json"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const nlohmann::json j = nlohmann::json::parse(json.out, nullptr, false);
    ASSERT_TRUE(j.is_object()) << json.out;
    const struct
    {
        const char* line;
        const char* label;
        nlohmann::json value;
        double rounding;
    } figures[] = {
        {"peak in ", "peak in    ", j["in"]["sample_peak_dbfs"], 0.005},
        {"peak out", "peak out   ", j["out"]["sample_peak_dbfs"], 0.005},
        {"true peak", "in ", j["in"]["true_peak_dbtp"], 0.005},
        {"true peak", "out ", j["out"]["true_peak_dbtp"], 0.005},
        {"loudness", "in ", j["in"]["integrated_lufs"], 0.05},
        {"loudness", "out ", j["out"]["integrated_lufs"], 0.05},
        {"loudness", "(range ", j["in"]["loudness_range_lu"], 0.05},
        {"alignment", "plug-in's ", j["alignment"]["delay_frames"], 0.0},
        {"audio", "stereo, ", j["audio"]["frames"], 0.0},
    };
    for (const auto& f : figures)
    {
        ASSERT_TRUE(f.value.is_number()) << f.line << " " << f.label;
        EXPECT_NEAR(TextFigure(text.out, f.line, f.label), f.value.get<double>(), f.rounding + 1e-9)
            << f.line << " " << f.label << "\n" << text.out;
    }
    EXPECT_EQ(j["alignment"]["aligned"], false);
    EXPECT_EQ(j["preset"]["name"], "Hard Limiting");
    EXPECT_EQ(j["parameters"]["Release"], "1.0 ms");
    EXPECT_GT(j["timings"]["total_seconds"].get<double>(), 0.0);
}

TEST_F(RenderReport, PlotHasTheSizeAsked)
{
    for (const auto& [size, width, height] :
         {std::tuple{"", 1200, 600}, std::tuple{"640x360", 640, 360}, std::tuple{"1920x1080", 1920, 1080}})
    {
        std::vector<std::string> args = {dir.Path("in.wav"), dir.Path("out.wav"), "--plot", dir.Path("plot.png")};
        if (*size) args.insert(args.end(), {"--plot-size", size});
        const ToolResult run = Run(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.out.find("plot       " + dir.Path("plot.png")), std::string::npos) << run.out;
        std::ifstream in(dir.Path("plot.png"), std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::unique_ptr<PIX_IBitmap> picture(LoadPngFromMemory(bytes.data(), bytes.size(), nullptr));
        ASSERT_TRUE(picture) << size;
        EXPECT_EQ(picture->PixelWidth(), width);
        EXPECT_EQ(picture->PixelHeight(), height);
    }
}

TEST_F(RenderReport, OneUnreadableFileOfThreeFailsAloneAndIsNamed)
{
    ASSERT_TRUE(WriteFile(dir.Path("mono.flac"), Container::Flac, SampleFormat::Pcm24, 44100, 1,
                          std::vector<double>(4410, 0.25)));
    {
        std::ofstream(dir.Path("broken.wav")) << "not audio";
    }
    const ToolResult run = Run({dir.Path("in.wav"), dir.Path("broken.wav"), dir.Path("mono.flac"), "--out-dir",
                                dir.Path("limited")});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("broken.wav"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    const FileContents wav = ReadFile(dir.Path("limited/in.wav"));
    const FileContents flac = ReadFile(dir.Path("limited/mono.flac"));
    EXPECT_TRUE(wav.ok && wav.samples.size() == 2u * 48000u);
    EXPECT_TRUE(flac.ok && flac.channels == 1 && flac.sampleRate == 44100) << "keeps the container and rate";
    EXPECT_FALSE(ReadFile(dir.Path("limited/broken.wav")).ok);
    // The final table: a row per file, the failed one saying so.
    std::istringstream lines(run.out);
    std::string line;
    int rows = 0, failedRows = 0;
    while (std::getline(lines, line))
    {
        rows += line.rfind(dir.Path(""), 0) == 0 && line.find(" -> ") == std::string::npos;
        failedRows += line.find("broken.wav") != std::string::npos && line.find("failed: ") != std::string::npos;
    }
    EXPECT_EQ(rows, 3) << run.out;
    EXPECT_EQ(failedRows, 1) << run.out;
}
} // namespace
