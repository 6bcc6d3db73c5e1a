#pragma once
// The short report printed after a render.
#include "vellicor/tools/render/LoudnessMeter.h"
#include "vellicor/tools/render/Renderer.h"

#include <cstdio>
#include <string>
#include <vector>

struct SummaryData
{
    std::string input, output;
    std::string inputFormat, outputFormat; // "WAV, 32-bit float"
    int32_t sampleRate = 0;
    std::string plugin;                                      // "<name> <version> (VST3, 32-bit, block 512)"
    std::string preset;                                      // "2 \"Hard Limiting\"" or "none"
    std::vector<std::pair<std::string, std::string>> params; // name, value as the plug-in shows it
    std::string pluginName, pluginVersion;
    std::string format;    // "VST3"
    int32_t precision = 32; // bits
    int32_t block = 0;
    int32_t presetIndex = -1;
    std::string presetName;
    RenderStats stats;
    bool aligned = true;
    int64_t delayFrames = 0; // the plug-in's delay as measured
    LoudnessFigures loudIn, loudOut;
    std::string plot; // the picture written, if any
    double totalSeconds = 0.0; // from opening the files to the renamed output
};

// The outcome of one file of several.
struct FileOutcome
{
    std::string input;
    bool ok = false;
    std::string error;
    SummaryData summary;
};

// "-0.10 dBFS", "-inf dBFS".
std::string FormatDbfs(double linearPeak);
// "-23.0 LUFS", "-inf LUFS", "n/a" for NaN.
std::string FormatFigure(double value, const char* unit, int decimals, bool sign = true);
void PrintSummary(std::FILE* out, const SummaryData& data);
// One JSON object with everything the text summary says, in numbers rather than texts.
std::string SummaryJson(const SummaryData& data);
// Several files: one JSON object with each file's summary or error.
std::string BatchJson(const std::vector<FileOutcome>& outcomes);
// Several files: one row per file with its loudness and peaks, or its error.
void PrintBatchTable(std::FILE* out, const std::vector<FileOutcome>& outcomes);
