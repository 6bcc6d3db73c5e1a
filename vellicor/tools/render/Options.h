#pragma once
// The command line of vellicor-render, parsed with getopt_long.
#include "vellicor/tools/render/AudioFormat.h"
#include "vellicor/tools/render/PluginHost.h"

#include <string>
#include <vector>

enum class PluginFormat
{
    Vst3,
    Vst2,
};

struct RenderOptions
{
    std::string input;
    std::string output;
    std::string plugin; // empty: the module next to the tool
    PluginFormat format = PluginFormat::Vst3;
    std::string preset;                // empty: none requested
    std::vector<std::string> settings; // NAME=VALUE, in command-line order
    int32_t block = 512;
    Precision precision = Precision::Single;
    SampleFormat sampleFormat = SampleFormat::Default;
    double transportStart = 0.0;
    std::string snapshot; // PNG of the editor at the end of the render; empty: none
    bool listPresets = false;
    bool listParams = false;
    bool quiet = false;
};

enum class ParseResult
{
    Run,
    Help,
    Version,
    Error, // usage error; the message is in error
};

constexpr int32_t kMaxBlock = 65536;

ParseResult ParseOptions(int argc, char** argv, RenderOptions& options, std::string& error);
