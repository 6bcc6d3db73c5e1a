#pragma once
// The limiter driven directly, as a host would drive it, through the test binding: the result the
// render tool must reproduce through the module's C interface.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct ReferenceSetup
{
    double sampleRate = 48000.0;
    int32_t channels = 2;
    int32_t block = 512;
    std::string preset;                                 // empty: none
    std::vector<std::pair<std::string, double>> params; // name, real value, applied after the preset
    // VST3 hosts deliver values normalised (a round trip through the parameter's shape); VST2
    // text entry stores the real value itself.
    bool normalisedValues = true;
};

// interleaved in, interleaved out (64-bit processing).
std::vector<double> RenderReference(const std::vector<double>& interleaved, const ReferenceSetup& setup);
