#pragma once
// Generated inputs for the tool tests, and file helpers on top of the tool's own reader and writer.
#include "vellicor/tools/render/AudioFormat.h"

#include <cstdint>
#include <string>
#include <vector>

// Interleaved frames well above full scale: sines, a burst train and noise; channels differ.
std::vector<double> HotSignal(int32_t channels, double sampleRate, int64_t frames);

bool WriteFile(const std::string& path, Container container, SampleFormat format, int32_t sampleRate,
               int32_t channels, const std::vector<double>& interleaved);

struct FileContents
{
    bool ok = false;
    int32_t channels = 0;
    int32_t sampleRate = 0;
    int32_t format = 0;          // libsndfile code
    std::vector<double> samples; // interleaved
};
FileContents ReadFile(const std::string& path);
