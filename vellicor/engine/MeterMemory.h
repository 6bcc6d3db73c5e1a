#pragma once
// The stored peak-memory code carried by "Meml"/"Memr" (hundredths of a dB times 6000 plus seconds)
// and the colour class of a reduction against the target.
#include <cstdint>

namespace MeterMemory
{
constexpr int32_t kMaxHundredths = 2000; // 20.00 dB
constexpr uint32_t kMaxSeconds = 5999;   // 99:59
constexpr uint32_t kTimeBase = 6000;

// A negative time compares as a large unsigned number and is stored as 5999 s.
uint32_t Encode(float peakReduction, int32_t peakTime);
double DecodeReduction(uint32_t code); // dB
int32_t DecodeSeconds(uint32_t code);

enum class ColourClass
{
    Over,     // v > T + 1
    Above,    // T < v <= T + 1
    OnTarget, // T - 1 < v <= T
    Under,    // v <= T - 1
};
ColourClass Classify(double reduction, int32_t target);

// One drawn frame of the bar smoothing, in single precision.
float Smooth(float display, float current, float coef);
} // namespace MeterMemory
