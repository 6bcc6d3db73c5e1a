#include "tests/vst3/TestHost.h"

#include <cmath>

namespace testhost
{
double Signal(int channel, int64_t frame)
{
    const double t = static_cast<double>(frame);
    const double burst = (frame / 3000) % 3 == 1 ? 2.5 : 0.4;
    return burst * (0.7 * std::sin(0.031 * t + channel) + 0.3 * std::sin(0.0047 * t * (channel + 1)));
}
} // namespace testhost
