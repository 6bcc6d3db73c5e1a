#pragma once
// Writes an audio file through a temporary file in the same folder, renamed over the final name
// only by Commit: an interrupted or failed render never leaves a file that looks complete.
#include "vellicor/tools/render/AudioFormat.h"

#include <cstdint>
#include <string>

typedef struct sf_private_tag SNDFILE;

class AudioWriter
{
public:
    AudioWriter() = default;
    ~AudioWriter(); // abandons an uncommitted file
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    bool Open(const std::string& finalPath, Container container, SampleFormat format, int32_t sampleRate,
              int32_t channels, std::string& error);
    bool Write(const float* interleaved, int64_t frames);
    bool Write(const double* interleaved, int64_t frames);
    std::string LastError() const;
    bool Commit(std::string& error);
    void Abandon();

    const std::string& TempPath() const { return tempPath; }

private:
    SNDFILE* file = nullptr;
    std::string finalPath;
    std::string tempPath;
};
