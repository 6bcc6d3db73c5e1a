// The stored peak-memory code and the colour classes.
#include "vellicor/engine/MeterMemory.h"

#include <gtest/gtest.h>

using MeterMemory::ColourClass;

TEST(MeterMemory, EncodesHundredthsAndSecondsAndDecodesThem)
{
    const uint32_t code = MeterMemory::Encode(3.456f, 75);
    EXPECT_EQ(code, 346u * 6000u + 75u); // 2076075
    EXPECT_NEAR(MeterMemory::DecodeReduction(code), 3.46, 1e-12);
    EXPECT_EQ(MeterMemory::DecodeSeconds(code), 75);
    EXPECT_EQ(MeterMemory::Encode(0.0f, 0), 0u);
}

TEST(MeterMemory, ClampsReductionTimeAndNegativeTime)
{
    EXPECT_EQ(MeterMemory::Encode(25.0f, 10), 2000u * 6000u + 10u);
    EXPECT_NEAR(MeterMemory::DecodeReduction(MeterMemory::Encode(25.0f, 10)), 20.0, 1e-12);
    EXPECT_EQ(MeterMemory::Encode(1.0f, 6000), 100u * 6000u + 5999u);
    EXPECT_EQ(MeterMemory::Encode(1.0f, -3), 100u * 6000u + 5999u); // compared unsigned
    EXPECT_EQ(MeterMemory::Encode(1e9f, -1), 12005999u);            // the largest code fits 12006000
}

TEST(MeterMemory, ColourClassesAroundTheTarget)
{
    EXPECT_EQ(MeterMemory::Classify(5.0, 5), ColourClass::OnTarget);
    EXPECT_EQ(MeterMemory::Classify(5.01, 5), ColourClass::Above);
    EXPECT_EQ(MeterMemory::Classify(6.0, 5), ColourClass::Above);
    EXPECT_EQ(MeterMemory::Classify(6.01, 5), ColourClass::Over);
    EXPECT_EQ(MeterMemory::Classify(4.01, 5), ColourClass::OnTarget);
    EXPECT_EQ(MeterMemory::Classify(4.0, 5), ColourClass::Under);
    EXPECT_EQ(MeterMemory::Classify(0.0, 0), ColourClass::OnTarget);
}

TEST(MeterMemory, SmoothingIsSinglePrecisionAndJumpsWithoutAttack)
{
    EXPECT_EQ(MeterMemory::Smooth(0.0f, 10.0f, 0.25f), 7.5f);
    EXPECT_EQ(MeterMemory::Smooth(7.5f, 0.0f, 0.25f), 1.875f);
    EXPECT_EQ(MeterMemory::Smooth(3.0f, 9.0f, 0.0f), 9.0f);
    const float d = 0.1f, c = 0.7f, k = 0.3f;
    EXPECT_EQ(MeterMemory::Smooth(d, c, k), c + (d - c) * k);
}
