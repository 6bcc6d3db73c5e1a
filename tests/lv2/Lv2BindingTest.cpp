// The LV2 binding's rule for control values: a host's float is taken as the parameter's nearest
// step, clamped into its range, so that a port carrying 0.7 gives what every other binding gives
// for 0.7.
#include "lv2/IEffectLV2.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Lv2ControlValue, IsTheNearestStepClampedIntoTheRange)
{
    IParamSlot tenths;
    tenths.InitReal("Look Ahead", 6.0, 0.0, 100.0, 0.1, "ms");
    IParamSlot whole;
    whole.InitInteger("Stereo Link", 70, 0, 100, "%");
    IParamSlot negative;
    negative.InitReal("Out Limit", -0.1, -18.0, 0.0, 0.1, "dB");
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct
    {
        const IParamSlot& slot;
        float host;
        double expected;
    } cases[] = {
        {tenths, 0.7f, 7 * 0.1}, // 0.699999988 as a float
        {tenths, 0.74f, 7 * 0.1},      {tenths, 0.76f, 8 * 0.1}, {tenths, 33.3f, 333 * 0.1},
        {tenths, -5.0f, 0.0},          {tenths, 250.0f, 100.0},  {tenths, nan, 0.0},
        {tenths, inf, 100.0},          {tenths, -inf, 0.0},      {whole, 39.6f, 40.0},
        {whole, 40.4f, 40.0},          {whole, 1e9f, 100.0},     {negative, -0.1f, -1 * 0.1},
        {negative, -1.26f, -13 * 0.1}, {negative, 0.3f, 0.0},    {negative, nan, -18.0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IEffectLV2::StepValue(c.slot, c.host), c.expected) << c.slot.Name() << " " << c.host;
}
