#pragma once
// Resolves --preset and --set against what the plug-in reports: names, indexes, ranges and units.
// Every refusal comes with a one-line message that says what is allowed.
#include "vellicor/tools/render/PluginHost.h"

#include <string>
#include <vector>

struct ParamSetting
{
    int32_t index = -1;
    double value = 0.0; // real units
};

// text: a preset index or name (case-insensitive).
bool ResolvePreset(const std::string& text, const std::vector<std::string>& presetNames, int32_t& index,
                   std::string& error);
// text: NAME=VALUE; the name case-insensitive, the value a number in the parameter's real units,
// optionally followed by the parameter's unit ("50 ms").
bool ResolveSetting(const std::string& text, const std::vector<ParamInfo>& params, ParamSetting& out,
                    std::string& error);
// "0.1 to 1500 ms", "whole numbers from 0 to 100 %".
std::string DescribeRange(const ParamInfo& param);
// Shortest text that reads back as the same double where that is short; otherwise %g.
std::string FormatNumber(double v);
