#include "GuardedBitmap.h"
#include "drawing/PIX_Blit.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace
{
constexpr int32_t kFilteredCopy = PIX_MODE_COPY | PIX_MODE_FILTER;

void FillNumbered(GuardedBitmap& bm)
{
    for (int32_t y = 0; y < bm.PixelHeight(); ++y)
        for (int32_t x = 0; x < bm.PixelWidth(); ++x)
            bm.At(x, y) = 0xFF000000u | uint32_t(y) << 8 | uint32_t(x);
}

TEST(RotatedBlitTest, AngleZeroReproducesTheSourceWithAndWithoutFilter)
{
    for (int32_t mode : std::initializer_list<int32_t>{kFilteredCopy, PIX_MODE_COPY})
    {
        GuardedBitmap src(7, 5), dst(7, 5, 0);
        FillNumbered(src);
        RotatedBlit(&dst, &src, 0, 0, 7, 5, 0, 0, 7, 5, 0.0f, false, 1.0f, mode, 0.0f, 0.0f);
        for (int32_t y = 0; y < 5; ++y)
            for (int32_t x = 0; x < 7; ++x)
                ASSERT_EQ(dst.At(x, y), src.At(x, y)) << "mode " << mode << " at " << x << "," << y;
    }
}

TEST(RotatedBlitTest, QuarterTurnIsClockwiseAndLosesTheRowPastTheEdge)
{
    GuardedBitmap src(4, 4), dst(4, 4, 0x12345678);
    FillNumbered(src);
    RotatedBlit(&dst, &src, 0, 0, 4, 4, 0, 0, 4, 4, float(M_PI / 2), false, 1.0f, kFilteredCopy, 0.0f, 0.0f);
    // Destination (i, j) samples source (j, 4 - i): the source's left column becomes the top row.
    for (int32_t j = 0; j < 4; ++j)
    {
        EXPECT_EQ(dst.At(0, j), 0x12345678u) << "row " << j;
        for (int32_t i = 1; i < 4; ++i)
            EXPECT_EQ(dst.At(i, j), src.At(j, 4 - i)) << "at " << i << "," << j;
    }
}

TEST(RotatedBlitTest, BilinearEdgeRulesAtHalfPixelOffsets)
{
    // Blue values; the offset (0.5, 0.5) puts every sample between four pixels.
    const uint32_t blue[3][3] = {{0, 100, 200}, {40, 80, 120}, {255, 0, 16}};
    GuardedBitmap src(3, 3), dst(3, 3, 0);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 3; ++x)
            src.At(x, y) = 0xFF000000u | blue[y][x];
    RotatedBlit(&dst, &src, 0, 0, 3, 3, 0, 0, 3, 3, 0.0f, false, 1.0f, kFilteredCopy, 0.5f, 0.5f);
    // Inside: the mean of four; last column: vertical only; last row: horizontal only; corner: itself.
    const uint32_t expected[3][3] = {{55, 125, 160}, {93, 54, 68}, {127, 8, 16}};
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(dst.At(x, y), 0xFF000000u | expected[y][x]) << "at " << x << "," << y;
}

TEST(RotatedBlitTest, NegativeSourcePositionsAreOutside)
{
    GuardedBitmap src(3, 3, 0xFFFFFFFF), dst(3, 3, 0);
    RotatedBlit(&dst, &src, 0, 0, 3, 3, 0, 0, 3, 3, 0.0f, false, 1.0f, kFilteredCopy, -0.5f, -0.5f);
    for (int32_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(dst.At(0, i), 0u);
        EXPECT_EQ(dst.At(i, 0), 0u);
    }
    EXPECT_EQ(dst.At(1, 1), 0xFFFFFFFFu);
}

TEST(RotatedBlitTest, OpacityIsRoundedNotTruncated)
{
    GuardedBitmap src(2, 2, 0xFF0000FF), dst(2, 2, 0xFF000000);
    RotatedBlit(&dst, &src, 0, 0, 2, 2, 0, 0, 2, 2, 0.0f, false, 0.3f, PIX_MODE_COPY, 0.0f, 0.0f);
    // k = round(76.8) = 77: 255 + (0 - 255) x 179 / 256 = 77 (truncating to 76 would give 76).
    EXPECT_EQ(dst.At(1, 1), 0xFF00004Du);
    GuardedBitmap untouched(2, 2, 0);
    RotatedBlit(&untouched, &src, 0, 0, 2, 2, 0, 0, 2, 2, 0.0f, false, 0.001f, PIX_MODE_COPY, 0.0f, 0.0f);
    EXPECT_EQ(untouched.CountNot(0), 0);
}

TEST(RotatedBlitTest, ClipToSourceSamplesOnlyTheRectangle)
{
    GuardedBitmap src(6, 6, 0xFFFF0000), dst(6, 6, 0);
    for (int32_t y = 2; y < 4; ++y)
        for (int32_t x = 2; x < 4; ++x)
            src.At(x, y) = 0xFF00FF00;
    // Sampling the 2 x 2 rectangle scaled onto 6 x 6 never reaches the red border.
    RotatedBlit(&dst, &src, 0, 0, 6, 6, 2, 2, 2, 2, 0.3f, true, 1.0f, PIX_MODE_COPY, 0.0f, 0.0f);
    int32_t green = 0;
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 6; ++x)
        {
            EXPECT_NE(dst.At(x, y), 0xFFFF0000u);
            green += dst.At(x, y) == 0xFF00FF00u;
        }
    EXPECT_GT(green, 0);
}

TEST(RotatedBlitTest, AnyPlacementAngleOrOffsetStaysInsideTheDestination)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const int32_t places[] = {INT32_MIN, -100, -30, -1, 0, 5, 11, 1000, INT32_MAX};
    const float angles[] = {0.0f, 0.7f, -2.0f, 3.14159f, 1e9f, nan, inf};
    const float offsets[] = {0.0f, -3.5f, 40.0f, 1e12f, nan};
    GuardedBitmap src(9, 7);
    FillNumbered(src);
    for (int32_t mode : std::initializer_list<int32_t>{kFilteredCopy, PIX_MODE_NORMAL | PIX_MODE_FILTER,
                                                       PIX_MODE_ADD_ALPHA, PIX_MODE_COPY})
        for (int32_t p : places)
            for (float a : angles)
                for (float o : offsets)
                    for (int32_t size : {1, 9, 40})
                    {
                        GuardedBitmap dst(12, 10, 0);
                        RotatedBlit(&dst, &src, p, p / 3, size, size, p / 7, -2, 9, 7, a, p & 1, 0.8f, mode,
                                    o, -o);
                        ASSERT_TRUE(dst.GuardsIntact()) << "place " << p << " angle " << a << " offset " << o;
                    }
}
} // namespace
