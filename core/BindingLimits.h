#pragma once
// What both host bindings accept from a host, and how they read the plug-in's MIDI mode.
#include "core/SampleRateRange.h"

#include <cstdint>

namespace vellicor
{
// Scratch buffers are sized from the block size: anything larger is not trusted.
inline constexpr int32_t kMaxBlockFrames = 1 << 20;

// MIDI mode: 0 is none; the plug-in receives MIDI in modes 1 and 2 and sends it when bit 0 is set.
constexpr bool ReceivesMidi(int32_t midiMode)
{
    return midiMode == 1 || midiMode == 2;
}
constexpr bool SendsMidi(int32_t midiMode)
{
    return (midiMode & 1) != 0;
}
} // namespace vellicor
