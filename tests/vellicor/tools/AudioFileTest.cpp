#include "vellicor/tools/render/AudioFormat.h"
#include "vellicor/tools/render/AudioReader.h"
#include "vellicor/tools/render/AudioWriter.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace
{
namespace fs = std::filesystem;

class AudioFiles : public testing::Test
{
protected:
    fs::path dir;
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "vellicor-audiofile-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const char* name) const { return (dir / name).string(); }
    size_t EntryCount() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {})); }
};

TEST(AudioFormat, ContainerComesFromTheExtension)
{
    Container c{};
    EXPECT_TRUE(ContainerForPath("a/b.WAV", c));
    EXPECT_EQ(c, Container::Wav);
    EXPECT_TRUE(ContainerForPath("x.aif", c));
    EXPECT_EQ(c, Container::Aiff);
    EXPECT_TRUE(ContainerForPath("x.Aiff", c));
    EXPECT_EQ(c, Container::Aiff);
    EXPECT_TRUE(ContainerForPath("x.flac", c));
    EXPECT_EQ(c, Container::Flac);
    EXPECT_FALSE(ContainerForPath("x.mp3", c));
    EXPECT_FALSE(ContainerForPath("dir.wav/noext", c));
    EXPECT_FALSE(ContainerForPath("wav", c));
}

TEST(AudioFormat, DefaultsAndWhatFlacCanHold)
{
    EXPECT_EQ(SndfileFormat(Container::Wav, SampleFormat::Default), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(SndfileFormat(Container::Aiff, SampleFormat::Default), SF_FORMAT_AIFF | SF_FORMAT_FLOAT);
    EXPECT_EQ(SndfileFormat(Container::Flac, SampleFormat::Default), SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(SndfileFormat(Container::Flac, SampleFormat::Pcm16), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    EXPECT_EQ(SndfileFormat(Container::Flac, SampleFormat::Float), 0);
    EXPECT_EQ(SndfileFormat(Container::Flac, SampleFormat::Pcm32), 0);
    EXPECT_EQ(SndfileFormat(Container::Wav, SampleFormat::Double), SF_FORMAT_WAV | SF_FORMAT_DOUBLE);
    EXPECT_EQ(DescribeSndfileFormat(SF_FORMAT_AIFF | SF_FORMAT_PCM_24), "AIFF, 24-bit PCM");
    SampleFormat f{};
    EXPECT_TRUE(ParseSampleFormat("PCM24", f));
    EXPECT_EQ(f, SampleFormat::Pcm24);
    EXPECT_FALSE(ParseSampleFormat("pcm8", f));
}

TEST_F(AudioFiles, DoublesRoundTripExactlyAndAboveFullScale)
{
    const std::vector<double> frames = {0.1, -0.2, 1.75, -3.5, 1e-300, 0.0};
    AudioWriter writer;
    std::string error;
    ASSERT_TRUE(writer.Open(Path("d.wav"), Container::Wav, SampleFormat::Double, 96000, 2, error)) << error;
    ASSERT_TRUE(writer.Write(frames.data(), 3));
    ASSERT_TRUE(writer.Commit(error)) << error;

    AudioReader reader;
    ASSERT_TRUE(reader.Open(Path("d.wav"), error)) << error;
    EXPECT_EQ(reader.Channels(), 2);
    EXPECT_EQ(reader.SampleRate(), 96000);
    EXPECT_EQ(reader.Frames(), 3);
    std::vector<double> back(20);
    EXPECT_EQ(reader.Read(back.data(), 10), 3);
    back.resize(6);
    EXPECT_EQ(back, frames);
    EXPECT_EQ(reader.Read(back.data(), 3), 0);
    EXPECT_FALSE(reader.Failed());
}

TEST_F(AudioFiles, OutputAppearsOnlyOnCommit)
{
    {
        std::ofstream(Path("out.wav")) << "old";
    }
    AudioWriter writer;
    std::string error;
    ASSERT_TRUE(writer.Open(Path("out.wav"), Container::Wav, SampleFormat::Float, 48000, 1, error)) << error;
    const float samples[4] = {0.5f, 0.25f, -0.5f, 0.0f};
    ASSERT_TRUE(writer.Write(samples, 4));
    EXPECT_EQ(EntryCount(), 2u) << "the old output plus a hidden temporary file";
    EXPECT_EQ(fs::file_size(Path("out.wav")), 3u) << "the old output is untouched until the commit";
    ASSERT_TRUE(writer.Commit(error)) << error;
    EXPECT_EQ(EntryCount(), 1u);
    AudioReader reader;
    ASSERT_TRUE(reader.Open(Path("out.wav"), error)) << error;
    EXPECT_EQ(reader.Frames(), 4);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(static_cast<unsigned>(fs::status(Path("out.wav")).permissions() & fs::perms::all),
              static_cast<unsigned>(0666 & ~mask))
        << "not left private like a temporary file";
}

TEST_F(AudioFiles, AbandonedOutputLeavesNoTrace)
{
    {
        AudioWriter writer;
        std::string error;
        ASSERT_TRUE(writer.Open(Path("a.flac"), Container::Flac, SampleFormat::Default, 44100, 2, error))
            << error;
        const double frames[4] = {0.1, 0.2, 0.3, 0.4};
        ASSERT_TRUE(writer.Write(frames, 2));
    } // destroyed without a commit
    EXPECT_EQ(EntryCount(), 0u);

    AudioWriter writer;
    std::string error;
    EXPECT_FALSE(writer.Open(Path("missing/a.wav"), Container::Wav, SampleFormat::Float, 44100, 2, error));
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_FALSE(writer.Open(Path("b.flac"), Container::Flac, SampleFormat::Double, 44100, 2, error));
    EXPECT_EQ(EntryCount(), 0u);
}

TEST_F(AudioFiles, IntegerOutputClipsAtFullScaleInsteadOfWrapping)
{
    const double frames[3] = {1.5, -1.5, 0.5};
    AudioWriter writer;
    std::string error;
    ASSERT_TRUE(writer.Open(Path("c.wav"), Container::Wav, SampleFormat::Pcm16, 48000, 1, error)) << error;
    ASSERT_TRUE(writer.Write(frames, 3));
    ASSERT_TRUE(writer.Commit(error)) << error;
    AudioReader reader;
    ASSERT_TRUE(reader.Open(Path("c.wav"), error));
    double back[3] = {};
    ASSERT_EQ(reader.Read(back, 3), 3);
    EXPECT_NEAR(back[0], 1.0, 1e-4);
    EXPECT_NEAR(back[1], -1.0, 1e-4);
    EXPECT_NEAR(back[2], 0.5, 1e-4);
}

TEST_F(AudioFiles, UnreadableInputsSayWhy)
{
    AudioReader reader;
    std::string error;
    EXPECT_FALSE(reader.Open(Path("none.wav"), error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    {
        std::ofstream(Path("junk.wav")) << "RIFF....junk";
    }
    AudioReader junk;
    EXPECT_FALSE(junk.Open(Path("junk.wav"), error));
    EXPECT_NE(error.find("junk.wav"), std::string::npos) << error;
}
} // namespace
