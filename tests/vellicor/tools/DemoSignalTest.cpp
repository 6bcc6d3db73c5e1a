#include "vellicor/tools/demo/DemoSignal.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
double Peak(const std::vector<double>& v, size_t from, size_t to)
{
    double p = 0.0;
    for (size_t i = from; i < to; ++i)
        p = std::max(p, std::fabs(v[i]));
    return p;
}

TEST(DemoSignal, BurstsThenSweepBothAboveFullScale)
{
    const std::vector<double> s = DemoSignal::Generate(48000.0);
    const size_t burstEnd = static_cast<size_t>(2 * DemoSignal::kBurstSeconds * 48000.0);
    ASSERT_EQ(s.size(),
              static_cast<size_t>(2 * (DemoSignal::kBurstSeconds + DemoSignal::kSweepSeconds) * 48000.0));
    EXPECT_GT(Peak(s, 0, burstEnd), 1.5);
    EXPECT_GT(Peak(s, burstEnd, s.size()), 1.4);
    EXPECT_LT(Peak(s, 0, s.size()), 4.0) << "hot, not absurd";
    for (double v : s)
        ASSERT_TRUE(std::isfinite(v));
    EXPECT_EQ(s, DemoSignal::Generate(48000.0)) << "the same samples on every run";
}
} // namespace
