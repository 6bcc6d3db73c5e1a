#pragma once
// Containers and sample formats the tool reads and writes, and their libsndfile format codes.
#include <string>

enum class Container
{
    Wav,
    Aiff,
    Flac,
};

enum class SampleFormat
{
    Default, // float for WAV and AIFF, 24-bit PCM for FLAC
    Pcm16,
    Pcm24,
    Pcm32,
    Float,
    Double,
};

// "pcm16", "pcm24", "pcm32", "float", "double".
bool ParseSampleFormat(const std::string& text, SampleFormat& out);
const char* SampleFormatName(SampleFormat format);
// From the file name's extension (.wav, .aif, .aiff, .flac; any case).
bool ContainerForPath(const std::string& path, Container& out);
const char* ContainerName(Container container);
SampleFormat ResolveSampleFormat(Container container, SampleFormat format);
// The libsndfile major|subtype code, or 0 when the container cannot hold the sample format.
int SndfileFormat(Container container, SampleFormat format);
// "WAV, 24-bit PCM" etc. for a libsndfile format code as read from a file.
std::string DescribeSndfileFormat(int format);
