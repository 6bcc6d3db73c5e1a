// glibc's functions are the reference: the other platforms reproduce their bits.
#include "vellicor/engine/SoundMaths.h"

#include <cmath>

namespace vellicor::maths
{
double Exp(double x)
{
    return std::exp(x);
}

double Pow(double x, double y)
{
    return std::pow(x, y);
}

double Log(double x)
{
    return std::log(x);
}
} // namespace vellicor::maths
