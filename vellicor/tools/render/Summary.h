#pragma once
// The short report printed after a render.
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
    RenderStats stats;
    double totalSeconds = 0.0; // from opening the files to the renamed output
};

// "-0.10 dBFS", "-inf dBFS".
std::string FormatDbfs(double linearPeak);
void PrintSummary(std::FILE* out, const SummaryData& data);
