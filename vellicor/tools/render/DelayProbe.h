#pragma once
// Measures what a started plug-in instance does to a quiet signal: an impulse at about -60 dBFS,
// too low for any limiting, comes out delayed by the plug-in's delay and scaled by its level gain.
// Measured rather than computed, so the tool trusts no formula of the plug-in's; the instance is
// one of its own, so the render's instance never sees the impulse.
#include "vellicor/tools/render/PluginHost.h"

#include <cstdint>
#include <string>

struct ProbedDelay
{
    int64_t frames = 0;     // the output frame where the impulse appears
    double levelGain = 1.0; // output over input at that frame
};

// The host is started with this channel count, block size and precision; searchFrames bounds
// the delay looked for.
bool ProbeDelay(PluginHost& host, int32_t channels, int32_t block, Precision precision, int64_t searchFrames,
                ProbedDelay& out, std::string& error);
