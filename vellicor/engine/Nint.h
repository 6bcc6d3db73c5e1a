#pragma once
// Nearest integer with halves going away from zero, the one double-to-integer conversion of the
// limiter and its meter. Values beyond int32 saturate and NaN gives 0, so that no input (a broken
// host sample rate, a corrupt parameter value) can reach an undefined conversion.
#include <cstdint>

inline int32_t Nint(double x)
{
    if (!(x == x)) return 0;
    if (x >= 2147483647.5) return INT32_MAX;
    if (x <= -2147483648.5) return INT32_MIN;
    return x >= 0.0 ? static_cast<int32_t>(x + 0.5) : static_cast<int32_t>(x - 0.5);
}
