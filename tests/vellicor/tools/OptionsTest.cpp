#include "vellicor/tools/render/Options.h"

#include "vellicor/tools/render/Help.h"

#include <getopt.h>

#include <gtest/gtest.h>

namespace
{
struct Parsed
{
    ParseResult result;
    RenderOptions options;
    std::string error;
};

Parsed Parse(std::vector<std::string> words)
{
    words.insert(words.begin(), "vellicor-render");
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    Parsed p;
    p.result = ParseOptions(static_cast<int>(words.size()), argv.data(), p.options, p.error);
    return p;
}

TEST(Options, DefaultsAreVst3At32BitWithBlocksOf512)
{
    const Parsed p = Parse({"in.wav", "out.wav"});
    ASSERT_EQ(p.result, ParseResult::Run) << p.error;
    EXPECT_EQ(p.options.inputs, std::vector<std::string>{"in.wav"});
    EXPECT_EQ(p.options.output, "out.wav");
    EXPECT_TRUE(p.options.align);
    EXPECT_EQ(p.options.plotWidth, 1200);
    EXPECT_EQ(p.options.plotHeight, 600);
    EXPECT_EQ(p.options.format, PluginFormat::Vst3);
    EXPECT_EQ(p.options.precision, Precision::Single);
    EXPECT_EQ(p.options.block, 512);
    EXPECT_EQ(p.options.sampleFormat, SampleFormat::Default);
    EXPECT_TRUE(p.options.plugin.empty());
    EXPECT_TRUE(p.options.preset.empty());
}

TEST(Options, EveryOptionIsReadAndMayFollowTheFiles)
{
    const Parsed p = Parse({"in.aiff",
                            "--set",
                            "Release=50",
                            "out.flac",
                            "--plugin=/x/v.vst3",
                            "--format",
                            "vst2",
                            "--preset",
                            "Hard Limiting",
                            "--set",
                            "Stereo Link=100",
                            "--block",
                            "64",
                            "--precision",
                            "64",
                            "--sample-format",
                            "pcm16",
                            "--transport-start",
                            "1.5",
                            "--no-align",
                            "--json",
                            "--plot",
                            "p.png",
                            "--plot-size",
                            "800x400",
                            "-q"});
    ASSERT_EQ(p.result, ParseResult::Run) << p.error;
    EXPECT_EQ(p.options.inputs, std::vector<std::string>{"in.aiff"});
    EXPECT_EQ(p.options.output, "out.flac");
    EXPECT_EQ(p.options.plugin, "/x/v.vst3");
    EXPECT_EQ(p.options.format, PluginFormat::Vst2);
    EXPECT_EQ(p.options.preset, "Hard Limiting");
    EXPECT_EQ(p.options.settings, (std::vector<std::string>{"Release=50", "Stereo Link=100"}));
    EXPECT_EQ(p.options.block, 64);
    EXPECT_EQ(p.options.precision, Precision::Double);
    EXPECT_EQ(p.options.sampleFormat, SampleFormat::Pcm16);
    EXPECT_DOUBLE_EQ(p.options.transportStart, 1.5);
    EXPECT_TRUE(p.options.quiet);
    EXPECT_FALSE(p.options.align);
    EXPECT_TRUE(p.options.json);
    EXPECT_EQ(p.options.plot, "p.png");
    EXPECT_EQ(p.options.plotWidth, 800);
    EXPECT_EQ(p.options.plotHeight, 400);
}

TEST(Options, OutDirTakesEveryFileAsAnInputAndKeepsItsName)
{
    const Parsed p = Parse({"a/x.wav", "y.flac", "--out-dir", "limited", "z.aiff"});
    ASSERT_EQ(p.result, ParseResult::Run) << p.error;
    EXPECT_EQ(p.options.inputs, (std::vector<std::string>{"a/x.wav", "y.flac", "z.aiff"}));
    EXPECT_EQ(OutputPathIn("limited", "a/x.wav"), "limited/x.wav");
    EXPECT_EQ(OutputPathIn("/tmp/out/", "y.flac"), "/tmp/out/y.flac");
    EXPECT_EQ(Parse({"--out-dir", "d"}).result, ParseResult::Error);
}

TEST(Options, ListingNeedsNoFilesButRenderingNeedsBoth)
{
    EXPECT_EQ(Parse({"--list-presets"}).result, ParseResult::Run);
    EXPECT_EQ(Parse({"--list-params"}).result, ParseResult::Run);
    EXPECT_EQ(Parse({"--list-params", "in.wav"}).result, ParseResult::Error);
    EXPECT_EQ(Parse({"in.wav"}).result, ParseResult::Error);
    EXPECT_EQ(Parse({}).result, ParseResult::Error);
    EXPECT_EQ(Parse({"a.wav", "b.wav", "c.wav"}).result, ParseResult::Error);
}

TEST(Options, HelpAndVersionWinOverEverythingElse)
{
    EXPECT_EQ(Parse({"--help"}).result, ParseResult::Help);
    EXPECT_EQ(Parse({"in.wav", "-h", "--block", "9"}).result, ParseResult::Help);
    EXPECT_EQ(Parse({"-V"}).result, ParseResult::Version);
}

TEST(Options, BadValuesAreUsageErrorsNamingTheOption)
{
    const struct
    {
        std::vector<std::string> words;
        const char* mentions;
    } cases[] = {
        {{"i.wav", "o.wav", "--block", "0"}, "--block"},
        {{"i.wav", "o.wav", "--block", "65537"}, "--block"},
        {{"i.wav", "o.wav", "--block", "5k"}, "--block"},
        {{"i.wav", "o.wav", "--precision", "16"}, "--precision"},
        {{"i.wav", "o.wav", "--format", "VST3x"}, "--format"},
        {{"i.wav", "o.wav", "--sample-format", "int8"}, "--sample-format"},
        {{"i.wav", "o.wav", "--transport-start", "nan"}, "--transport-start"},
        {{"i.wav", "o.wav", "--preset", ""}, "--preset"},
        {{"i.wav", "o.wav", "--bogus"}, "--bogus"},
        {{"i.wav", "o.wav", "--block"}, "--block"},
        {{"i.wav", "o.ogg"}, "o.ogg"},
        {{"i.wav", "o.flac", "--sample-format", "double"}, "FLAC"},
        {{"i.wav", "o.wav", "--plot-size", "1200"}, "--plot-size"},
        {{"i.wav", "o.wav", "--plot-size", "199x600"}, "--plot-size"},
        {{"i.wav", "o.wav", "--plot-size", "1200x600x2"}, "--plot-size"},
        {{"i.wav", "j.wav", "--out-dir", "d", "--plot", "p.png"}, "--plot"},
        {{"a/i.wav", "b/i.wav", "--out-dir", "d"}, "both be written to d/i.wav"},
        {{"i.wav", "j.wav", "--out-dir", "d", "--snapshot", "p.png"}, "--snapshot"},
    };
    for (const auto& c : cases)
    {
        const Parsed p = Parse(c.words);
        EXPECT_EQ(p.result, ParseResult::Error) << c.words.back();
        EXPECT_NE(p.error.find(c.mentions), std::string::npos) << p.error;
        EXPECT_EQ(p.error.find('\n'), std::string::npos) << "one line: " << p.error;
    }
}

// The manual page is made from --help: an option missing there is missing from the manual.
TEST(Options, HelpDescribesEveryOption)
{
    const std::string help = HelpText();
    EXPECT_EQ(help.rfind("Usage: vellicor-render ", 0), 0u) << "GNU style, for help2man";
    for (const option* o = LongOptions(); o->name; ++o)
    {
        const std::string name = o->name;
        EXPECT_TRUE(help.find("\n      --" + name) != std::string::npos || help.find(", --" + name + " ") != std::string::npos)
            << "--" << name << " is not in --help";
    }
}

TEST(Options, ParsingTwiceInOneProcessStartsAfresh)
{
    EXPECT_EQ(Parse({"--bogus"}).result, ParseResult::Error);
    const Parsed p = Parse({"in.wav", "out.wav", "--block", "7"});
    ASSERT_EQ(p.result, ParseResult::Run) << p.error;
    EXPECT_EQ(p.options.block, 7);
}
} // namespace
