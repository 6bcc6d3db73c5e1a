#include "vellicor/engine/MeterMemory.h"

#include "vellicor/engine/Nint.h"

#include <algorithm>

namespace MeterMemory
{
uint32_t Encode(float peakReduction, int32_t peakTime)
{
    // The float times 100 is exact in double; only the nearest-integer step rounds.
    const int32_t hundredths =
        std::max(0, Nint(std::min(static_cast<double>(peakReduction) * 100.0, 2000.0)));
    const uint32_t seconds = std::min(static_cast<uint32_t>(peakTime), kMaxSeconds);
    return static_cast<uint32_t>(hundredths) * kTimeBase + seconds;
}

double DecodeReduction(uint32_t code)
{
    return static_cast<double>(code / kTimeBase) * 0.01;
}

int32_t DecodeSeconds(uint32_t code)
{
    return static_cast<int32_t>(code % kTimeBase);
}

ColourClass Classify(double reduction, int32_t target)
{
    const double t = target;
    if (reduction > t + 1.0) return ColourClass::Over;
    if (reduction > t) return ColourClass::Above;
    if (reduction > t - 1.0) return ColourClass::OnTarget;
    return ColourClass::Under;
}

float Smooth(float display, float current, float coef)
{
    return current + (display - current) * coef;
}
} // namespace MeterMemory
