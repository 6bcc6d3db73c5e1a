// The conversions between a 32-bit block's two buffers and pairs of doubles, at each width this
// processor runs, against a plain conversion of each sample in every floating-point mode a host may
// set: lane order and the registers' tails included.
#include "vellicor/engine/FramePairs.h"
#include "tests/vellicor/engine/HostMode.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

namespace
{
template <typename T> bool SameBits(T a, T b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(FramePairs, WidenAndNarrowEachSampleAsAPlainConversionDoes)
{
    // Narrowing: values halfway between floats and just off them, that overflow, that round into or
    // out of single precision's subnormals, and specials. Widening: floats of every kind.
    const double doubles[] = {
        0.1,       -1.0 / 3,  1.0 + 0x1p-24, -(1.0 + 0x1p-24), 1.0 + 0x1.8p-24, 0x1.ffffffp127, 1e39,
        3e-39,     -0x1p-149, 0x1p-150,      0x1.0000001p-150, 1e-50,           -0.0,           INFINITY,
        -INFINITY, NAN};
    const float floats[] = {0.1f,    -2.5f, FLT_MAX, -FLT_MIN, FLT_TRUE_MIN,
                            -3e-39f, 0.0f,  -0.0f,   INFINITY, NAN};
    std::vector<bool> widths{false};
    if (framepairs::HasWide()) widths.push_back(true);
    for (const unsigned hostMode : {0x0000u, 0x2000u, 0x4000u, 0x6000u, 0x8000u, 0x8040u})
        for (int32_t n = 0; n <= 40; ++n)
            for (const bool wide : widths)
            {
                const HostMode mode(hostMode);
                std::vector<double> pairs(2 * n), widened(2 * n);
                std::vector<float> l(n), r(n), narrowL(n), narrowR(n);
                for (int32_t i = 0; i < n; ++i)
                {
                    pairs[2 * i] = doubles[(3 * i) % std::size(doubles)];
                    pairs[2 * i + 1] = doubles[(5 * i + 1) % std::size(doubles)];
                    l[i] = floats[(7 * i) % std::size(floats)];
                    r[i] = floats[(3 * i + 2) % std::size(floats)];
                }
                framepairs::Narrow(pairs.data(), narrowL.data(), narrowR.data(), n, wide);
                framepairs::Widen(l.data(), r.data(), widened.data(), n, wide);
                for (int32_t i = 0; i < n; ++i)
                {
                    const auto where = [&]
                    {
                        return testing::Message() << "mode " << hostMode << ", frames " << n << ", frame "
                                                  << i << ", wide " << wide;
                    };
                    ASSERT_TRUE(SameBits(narrowL[i], static_cast<float>(pairs[2 * i]))) << where();
                    ASSERT_TRUE(SameBits(narrowR[i], static_cast<float>(pairs[2 * i + 1]))) << where();
                    ASSERT_TRUE(SameBits(widened[2 * i], static_cast<double>(l[i]))) << where();
                    ASSERT_TRUE(SameBits(widened[2 * i + 1], static_cast<double>(r[i]))) << where();
                }
            }
}
} // namespace
