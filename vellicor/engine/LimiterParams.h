#pragma once
// The limiter's parameter indices, named where the engine (the lowest layer that uses them) can
// see them. An index is the parameter's identity in state chunks, host automation and presets:
// never reorder. The table of names, ranges and presets is core/VellicorParams.h.
#include <cstdint>

enum VellicorParam : int32_t
{
    kInputGain = 0,
    kLookAhead = 1,
    kAttack = 2,
    kHold = 3,
    kRelease = 4,
    kStereoLink = 5,
    kOutLimit = 6,
    kTargetAttenuation = 7,
    kMemLeft = 8,
    kMemRight = 9,
    kVellicorParamCount = 10,
};
