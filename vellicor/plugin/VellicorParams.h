#pragma once
// The limiter's ten parameters and sixteen factory presets: the one table that the plug-in
// definition, the engine, the bindings and the editor read. Order is identity (state chunks,
// host automation, presets), so never reorder.
#include "vellicor/engine/LimiterParams.h"

#include <cstdint>

struct VellicorParamInfo
{
    const char* name;
    bool integer; // InitInteger, else InitReal
    double defaultValue, minimum, maximum, step;
    const char* label;
    double shape; // SetShape right after the initialisation when not 1
};

// clang-format off
inline constexpr VellicorParamInfo kVellicorParams[kVellicorParamCount] = {
//    name                  integer default  min    max         step  label  shape
    {"Input Gain",          false,  0.0,   -18.0,  18.0,       0.1,  "dB",  1.0},
    {"Look Ahead",          false,  6.0,    0.0,   100.0,      0.1,  "ms",  2.0},
    {"Attack",              false,  6.0,    0.0,   100.0,      0.1,  "ms",  2.0},
    {"Hold",                false,  8.0,    0.0,   100.0,      0.1,  "ms",  2.0},
    {"Release",             false,  9.0,    0.1,   1500.0,     0.1,  "ms",  2.0},
    {"Stereo Link",         true,   70.0,   0.0,   100.0,      1.0,  "%",   1.0},
    {"Out Limit",           false, -0.1,   -18.0,  0.0,        0.1,  "dB",  1.0},
    {"Target Attenuation",  true,   5.0,    0.0,   15.0,       1.0,  "dB",  1.0},
    {"Meml",                true,   0.0,    0.0,   12006000.0, 1.0,  "",    1.0},
    {"Memr",                true,   0.0,    0.0,   12006000.0, 1.0,  "",    1.0},
};
// clang-format on

struct VellicorPresetInfo
{
    const char* name;
    double values[kVellicorParamCount];
};

inline constexpr const char* kVellicorDefaultPresetName = "---- default ----";
inline constexpr int32_t kVellicorPresetSlots = 24;

// "Look Ahead" equals "Attack" everywhere but "Real Time Limiting" (no delay) and "Clipping".
// clang-format off
inline constexpr VellicorPresetInfo kVellicorPresets[] = {
//    name                     gain  look  attack hold  release link  limit  target meml memr
    {"Hard Dynamic",         {0.0,  0.7,  0.7,   0.9,  1.0,    50.0, -0.1,  8.0,   0.0, 0.0}},
    {"Hard Limiting",        {0.0,  1.0,  1.0,   1.3,  1.0,    70.0, -0.1,  8.0,   0.0, 0.0}},
    {"Hard Safe Limiting",   {0.0,  1.0,  1.0,   1.5,  1.5,    70.0, -0.1,  7.0,   0.0, 0.0}},
    {"Medium Dynamic",       {0.0,  3.0,  3.0,   3.9,  4.5,    50.0, -0.1,  6.0,   0.0, 0.0}},
    {"Medium Limiting",      {0.0,  5.0,  5.0,   6.4,  9.0,    70.0, -0.1,  6.0,   0.0, 0.0}},
    {"Medium Safe Limiting", {0.0,  5.0,  5.0,   7.0,  10.0,   70.0, -0.1,  5.0,   0.0, 0.0}},
    {"Soft Dynamic",         {0.0,  15.0, 15.0,  19.0, 25.0,   50.0, -0.1,  5.0,   0.0, 0.0}},
    {"Soft Limiting",        {0.0,  16.0, 16.0,  22.0, 26.0,   70.0, -0.1,  5.0,   0.0, 0.0}},
    {"Soft Safe Limiting",   {0.0,  20.0, 20.0,  30.0, 36.0,   70.0, -0.1,  5.0,   0.0, 0.0}},
    {"Very Soft Dynamic",    {0.0,  50.0, 50.0,  62.0, 80.0,   60.0, -0.1,  5.0,   0.0, 0.0}},
    {"Very Soft",            {0.0,  60.0, 60.0,  73.0, 90.0,   75.0, -0.1,  5.0,   0.0, 0.0}},
    {"Very Soft Safe",       {0.0,  60.0, 60.0,  80.0, 100.0,  75.0, -0.1,  5.0,   0.0, 0.0}},
    {"Real Time Limiting",   {0.0,  0.0,  50.0,  70.0, 200.0,  70.0, -0.1,  5.0,   0.0, 0.0}},
    {"Stereo by Peaks",      {0.0,  15.0, 15.0,  20.0, 300.0,  100.0,-0.1,  5.0,   0.0, 0.0}},
    {"Stereo by Input",      {0.0,  15.0, 15.0,  20.0, 300.0,  0.0,  -0.1,  5.0,   0.0, 0.0}},
    {"Clipping",             {0.0,  0.0,  0.0,   0.0,  0.1,    0.0,   0.0,  5.0,   0.0, 0.0}},
};
// clang-format on
inline constexpr int32_t kVellicorFactoryPresetCount =
    static_cast<int32_t>(sizeof(kVellicorPresets) / sizeof(kVellicorPresets[0]));
static_assert(kVellicorFactoryPresetCount == 16);
