#include "vellicor/tools/render/Options.h"

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
    EXPECT_EQ(p.options.input, "in.wav");
    EXPECT_EQ(p.options.output, "out.wav");
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
                            "-q"});
    ASSERT_EQ(p.result, ParseResult::Run) << p.error;
    EXPECT_EQ(p.options.input, "in.aiff");
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
    };
    for (const auto& c : cases)
    {
        const Parsed p = Parse(c.words);
        EXPECT_EQ(p.result, ParseResult::Error) << c.words.back();
        EXPECT_NE(p.error.find(c.mentions), std::string::npos) << p.error;
        EXPECT_EQ(p.error.find('\n'), std::string::npos) << "one line: " << p.error;
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
