#include "core/StateChunk.h"

#include <gtest/gtest.h>

TEST(StateChunk, StoresLittleEndianWhateverThePlatform)
{
    StateChunk chunk;
    ASSERT_TRUE(chunk.AppendInt32(32000));
    ASSERT_TRUE(chunk.AppendDouble(1.0));
    ASSERT_EQ(chunk.Size(), 12);
    const uint8_t expected[12] = {0x00, 0x7D, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(chunk.Data()[i], expected[i]) << "byte " << i;

    int32_t version = 0;
    double value = 0;
    EXPECT_EQ(chunk.ReadInt32(&version, 0), 4);
    EXPECT_EQ(version, 32000);
    EXPECT_EQ(chunk.ReadDouble(&value, 4), 12);
    EXPECT_EQ(value, 1.0);
}

TEST(StateChunk, ReadsFailPastTheEndOrAtNegativePositions)
{
    StateChunk chunk;
    chunk.AppendDouble(2.5);
    double v = 0;
    EXPECT_EQ(chunk.ReadDouble(&v, 1), -1);
    EXPECT_EQ(chunk.ReadDouble(&v, -1), -1);
    EXPECT_EQ(chunk.ReadDouble(&v, 0x7FFFFFFC), -1) << "position + 8 must not overflow";
}

TEST(StateChunk, GrowsInGranularityStepsAndZeroFillsOnResize)
{
    StateChunk chunk;
    chunk.AppendDouble(1.0);
    EXPECT_EQ(chunk.Capacity(), StateChunk::kGranularity);
    ASSERT_TRUE(chunk.Resize(5000));
    EXPECT_EQ(chunk.Capacity(), 2 * StateChunk::kGranularity);
    EXPECT_EQ(chunk.Data()[4999], 0);
    chunk.Clear();
    EXPECT_EQ(chunk.Size(), 0);
    EXPECT_FALSE(chunk.Resize(-1));
    EXPECT_FALSE(chunk.AppendBytes(nullptr, 4));
}
