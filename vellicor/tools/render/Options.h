#pragma once
// The command line of vellicor-render, parsed with getopt_long.
#include "vellicor/tools/render/AudioFormat.h"
#include "vellicor/tools/render/PluginHost.h"

#include <string>
#include <vector>

struct option;

enum class PluginFormat
{
    Vst3,
    Vst2,
};

struct RenderOptions
{
    std::vector<std::string> inputs; // one, or several with outDir
    std::string output;              // empty with outDir
    std::string outDir;              // each output keeps its input's name there
    std::string plugin; // empty: the module next to the tool
    PluginFormat format = PluginFormat::Vst3;
    std::string preset;                // empty: none requested
    std::vector<std::string> settings; // NAME=VALUE, in command-line order
    int32_t block = 512;
    Precision precision = Precision::Single;
    SampleFormat sampleFormat = SampleFormat::Default;
    double transportStart = 0.0;
    std::string snapshot; // PNG of the editor at the end of the render; empty: none
    std::string plot;     // PNG of the limiting over time; empty: none
    int32_t plotWidth = 1200;
    int32_t plotHeight = 600;
    bool align = true; // output lined up with the input, the plug-in's delay taken out
    bool json = false;
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
// Below this the labels no longer fit; above it the picture would take gigabytes.
constexpr int32_t kMinPlotSide = 200;
constexpr int32_t kMaxPlotSide = 16384;

// Where --out-dir puts the output of one input: the input's own file name in that folder.
std::string OutputPathIn(const std::string& dir, const std::string& input);
// The output's container follows its extension and must hold the sample format.
bool CheckOutputFormat(const std::string& output, SampleFormat format, std::string& error);

// getopt_long's table, ended by a null name.
const struct option* LongOptions();

ParseResult ParseOptions(int argc, char** argv, RenderOptions& options, std::string& error);
