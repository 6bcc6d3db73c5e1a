// Every refusal of vellicor-render: one line on stderr that says why, a non-zero exit code, and no
// output file (nor a stray temporary one) left behind; an existing output stays as it was.
#include "tests/vellicor/tools/TestSignals.h"
#include "tests/vellicor/tools/ToolRunner.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <limits>
#include <unistd.h>

namespace
{
class RenderErrors : public testing::Test
{
protected:
    TempDir dir;

    void SetUp() override
    {
        ASSERT_TRUE(WriteFile(dir.Path("in.wav"), Container::Wav, SampleFormat::Float, 48000, 2,
                              HotSignal(2, 48000.0, 4800)));
    }

    // Runs the tool and checks the common promises; answers stderr.
    std::string Refused(std::vector<std::string> args, int expectedCode, const std::string& plugin = "")
    {
        const std::vector<std::string> before = dir.Entries();
        args.push_back("--plugin");
        args.push_back(plugin.empty() ? VELLICOR_VST3_BUNDLE : plugin);
        const ToolResult run = RunTool(VELLICOR_RENDER_TOOL, args);
        EXPECT_EQ(run.exitCode, expectedCode) << run.err;
        EXPECT_EQ(run.err.rfind("vellicor-render: ", 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << "one line: " << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(dir.Entries(), before) << "no file written or left behind";
        return run.err;
    }
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST_F(RenderErrors, CommandLineMistakesExitWithTwo)
{
    const std::string in = dir.Path("in.wav"), out = dir.Path("out.wav");
    EXPECT_TRUE(Contains(Refused({in}, 2), "output file"));
    EXPECT_TRUE(Contains(Refused({}, 2), "IN OUT"));
    EXPECT_TRUE(Contains(Refused({in, out, dir.Path("third.wav")}, 2), "too many"));
    EXPECT_TRUE(Contains(Refused({in, out, "--block", "0"}, 2), "1 to 65536"));
    EXPECT_TRUE(Contains(Refused({in, out, "--block", "12x"}, 2), "--block"));
    EXPECT_TRUE(Contains(Refused({in, out, "--precision", "48"}, 2), "32 or 64"));
    EXPECT_TRUE(Contains(Refused({in, out, "--format", "au"}, 2), "vst3 or vst2"));
    EXPECT_TRUE(Contains(Refused({in, out, "--sample-format", "pcm8"}, 2), "pcm16, pcm24"));
    EXPECT_TRUE(Contains(Refused({in, out, "--transport-start", "-1"}, 2), "--transport-start"));
    EXPECT_TRUE(Contains(Refused({in, out, "--frobnicate"}, 2), "--frobnicate"));
    EXPECT_TRUE(Contains(Refused({in, dir.Path("out.mp3")}, 2), ".wav, .aif, .aiff or .flac"));
    EXPECT_TRUE(Contains(Refused({in, dir.Path("out.flac"), "--sample-format", "float"}, 2), "FLAC"));
}

TEST_F(RenderErrors, UnknownPresetsAndParametersListWhatIsAllowed)
{
    const std::string in = dir.Path("in.wav"), out = dir.Path("out.wav");
    const std::string preset = Refused({in, out, "--preset", "Brickwall"}, 1);
    EXPECT_TRUE(Contains(preset, "\"Brickwall\"") && Contains(preset, "\"Hard Limiting\"") &&
                Contains(preset, "0 to 23"))
        << preset;
    EXPECT_TRUE(Contains(Refused({in, out, "--preset", "24"}, 1), "0 to 23"));

    const std::string name = Refused({in, out, "--set", "Threshold=3"}, 1);
    EXPECT_TRUE(Contains(name, "\"Threshold\"") && Contains(name, "\"Release\"") &&
                Contains(name, "\"Stereo Link\""))
        << name;
    EXPECT_TRUE(Contains(Refused({in, out, "--set", "Release=2000"}, 1), "Release takes 0.1 to 1500 ms"));
    EXPECT_TRUE(Contains(Refused({in, out, "--set", "Out Limit=0.5"}, 1), "-18 to 0 dB"));
    EXPECT_TRUE(Contains(Refused({in, out, "--set", "Stereo Link=50.5"}, 1), "whole numbers from 0 to 100"));
    EXPECT_TRUE(Contains(Refused({in, out, "--set", "Release=fast"}, 1), "not a value"));
    EXPECT_TRUE(Contains(Refused({in, out, "--set", "Release=50 dB"}, 1), "not a value"));
    EXPECT_TRUE(Contains(Refused({in, out, "--set", "Release"}, 1), "NAME=VALUE"));
    // The same checks through the VST2 module, whose ranges come from its own display texts.
    EXPECT_TRUE(
        Contains(Refused({in, out, "--format", "vst2", "--set", "Release=0"}, 1, VELLICOR_VST2_MODULE),
                 "Release takes 0.1 to 1500 ms"));
}

TEST_F(RenderErrors, BadInputFilesAreRefused)
{
    const std::string out = dir.Path("out.wav");
    EXPECT_TRUE(Contains(Refused({dir.Path("missing.wav"), out}, 1), "missing.wav"));
    {
        std::ofstream(dir.Path("text.wav")) << "this is not audio\n";
    }
    EXPECT_TRUE(Contains(Refused({dir.Path("text.wav"), out}, 1), "cannot read"));
    EXPECT_TRUE(Contains(Refused({dir.Path(""), out}, 1), "directory"));

    ASSERT_TRUE(WriteFile(dir.Path("six.wav"), Container::Wav, SampleFormat::Pcm16, 48000, 6,
                          std::vector<double>(6 * 100, 0.1)));
    EXPECT_TRUE(Contains(Refused({dir.Path("six.wav"), out}, 1), "6 channels"));
}

TEST_F(RenderErrors, BadModulesAreRefused)
{
    const std::string in = dir.Path("in.wav"), out = dir.Path("out.wav");
    EXPECT_TRUE(Contains(Refused({in, out}, 1, dir.Path("nowhere.vst3")), "no VST3 module"));
    {
        std::ofstream(dir.Path("fake.so")) << "not a library";
    }
    const std::string fake = Refused({in, out}, 1, dir.Path("fake.so"));
    EXPECT_TRUE(Contains(fake, "cannot load")) << fake;
    EXPECT_EQ(fake.find(dir.Path("fake.so")), fake.rfind(dir.Path("fake.so"))) << "the path once: " << fake;
    // A module of the other format says which --format would host it.
    const std::string vst2 = Refused({in, out}, 1, VELLICOR_VST2_MODULE);
    EXPECT_TRUE(Contains(vst2, "not a VST3 module") && Contains(vst2, "--format vst2")) << vst2;
    const std::string bundle = Refused({in, out, "--format", "vst2"}, 1, VELLICOR_VST3_BUNDLE);
    EXPECT_TRUE(Contains(bundle, "no VST2 module") && Contains(bundle, "--format vst3")) << bundle;
    const std::string inner = std::string(VELLICOR_VST3_BUNDLE) + "/Contents/x86_64-linux/vellicor.so";
    EXPECT_TRUE(Contains(Refused({in, out, "--format", "vst2"}, 1, inner), "--format vst3"));
}

TEST_F(RenderErrors, OutputThatIsTheInputIsRefusedAndTheInputKept)
{
    std::ifstream original(dir.Path("in.wav"), std::ios::binary);
    const std::string before((std::istreambuf_iterator<char>(original)), std::istreambuf_iterator<char>());
    // Under its own name, another spelling and a link: the rename would have replaced the input.
    EXPECT_TRUE(Contains(Refused({dir.Path("in.wav"), dir.Path("in.wav")}, 1), "is the input file"));
    EXPECT_TRUE(Contains(Refused({dir.Path("in.wav"), dir.Path("./in.wav")}, 1), "is the input file"));
    ASSERT_EQ(symlink(dir.Path("in.wav").c_str(), dir.Path("link.wav").c_str()), 0);
    EXPECT_TRUE(Contains(Refused({dir.Path("in.wav"), dir.Path("link.wav")}, 1), "is the input file"));
    std::ifstream after(dir.Path("in.wav"), std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()), before);
}

TEST_F(RenderErrors, UnwritableOutputLeavesNothing)
{
    const std::string err = Refused({dir.Path("in.wav"), dir.Path("no/such/folder/out.wav")}, 1);
    EXPECT_TRUE(Contains(err, "cannot write")) << err;
}

TEST_F(RenderErrors, FailureDuringTheRenderKeepsAnExistingOutput)
{
    // A NaN in the middle of the input stops the render after part of the output was written.
    std::vector<double> poisoned = HotSignal(2, 48000.0, 48000);
    poisoned[2 * 30000 + 1] = std::numeric_limits<double>::quiet_NaN();
    ASSERT_TRUE(WriteFile(dir.Path("nan.wav"), Container::Wav, SampleFormat::Double, 48000, 2, poisoned));
    {
        std::ofstream(dir.Path("out.wav")) << "previous result";
    }
    const std::string err = Refused({dir.Path("nan.wav"), dir.Path("out.wav")}, 1);
    EXPECT_TRUE(Contains(err, "non-finite") && Contains(err, "channel 2") && Contains(err, "frame 30000"))
        << err;
    std::ifstream kept(dir.Path("out.wav"));
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "previous result");
}
TEST_F(RenderErrors, InterruptedRenderLeavesNothing)
{
    // A minute at one frame per block takes the tool well over the delay below.
    ASSERT_TRUE(WriteFile(dir.Path("long.wav"), Container::Wav, SampleFormat::Float, 48000, 2,
                          HotSignal(2, 48000.0, 60 * 48000)));
    const std::vector<std::string> before = dir.Entries();
    const ToolResult run =
        RunTool(VELLICOR_RENDER_TOOL,
                {dir.Path("long.wav"), dir.Path("out.wav"), "--block", "1", "--plugin", VELLICOR_VST3_BUNDLE},
                300, SIGTERM);
    EXPECT_EQ(run.exitCode, 130) << run.err;
    EXPECT_EQ(run.err, "vellicor-render: interrupted\n");
    EXPECT_EQ(dir.Entries(), before);
}
} // namespace
