#pragma once
// Reads an audio file (anything libsndfile knows: WAV, AIFF, FLAC, ...) as interleaved frames,
// scaled to full scale = 1.0. Floating-point files are read as stored, above full scale included.
#include <cstdint>
#include <string>

typedef struct sf_private_tag SNDFILE;

class AudioReader
{
public:
    AudioReader() = default;
    ~AudioReader();
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    bool Open(const std::string& path, std::string& error);
    // Reads up to frames frames; answers the count read (0 at the end or on failure, see Failed).
    int64_t Read(float* interleaved, int64_t frames);
    int64_t Read(double* interleaved, int64_t frames);
    bool Failed() const { return failed; }
    std::string LastError() const;

    int32_t Channels() const { return channels; }
    int32_t SampleRate() const { return sampleRate; }
    int64_t Frames() const { return frames; }
    int32_t Format() const { return format; } // libsndfile code
    const std::string& Path() const { return path; }

private:
    SNDFILE* file = nullptr;
    std::string path;
    int32_t channels = 0;
    int32_t sampleRate = 0;
    int64_t frames = 0;
    int32_t format = 0;
    bool failed = false;
};
