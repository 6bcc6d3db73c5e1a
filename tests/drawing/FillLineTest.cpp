#include "GuardedBitmap.h"
#include "drawing/PIX_Blit.h"

#include <gtest/gtest.h>
#include <limits>

namespace
{
struct FillCase
{
    uint32_t colour;
    float opacity;
    int32_t mode;
    uint32_t dest, expected;
};

const FillCase kFillCases[] = {
    // clang-format off
    {0x80112233, 1.0f, PIX_MODE_COPY, 0xFFFFFFFF, 0x80112233}, // the colour word, alpha included
    {0x000000FF, 0.5f, PIX_MODE_COPY, 0x00000001, 0x0000007F}, // 0x7F + 0x00: the halving sum
    {0x00FF00FF, 0.25f, PIX_MODE_COPY, 0xFF00FF00, 0xBE3FBE3F}, // d/2 + d/4 + c/4 per byte
    {0x00FF00FF, 0.75f, PIX_MODE_COPY, 0xFF00FF00, 0x3FBE3FBE}, // c/2 + c/4 + d/4 per byte
    {0x00FF0000, 0.2f, PIX_MODE_COPY, 0xFF0000FF, 0xD63300CC}, // k = 51; alpha moves toward k
    {0x80FFFFFF, 1.0f, PIX_MODE_NORMAL, 0x00000000, 0x407F7F7F}, // alpha 128 scales the opacity to k = 128
    {0x00FFFFFF, 1.0f, PIX_MODE_NORMAL, 0x12345678, 0x12345678}, // alpha 0: nothing
    // clang-format on
};

TEST(FillRectTest, OpacityFastPathsAndGeneralFormula)
{
    for (const FillCase& c : kFillCases)
    {
        GuardedBitmap bm(4, 3, c.dest);
        FillRect(&bm, 0, 0, 4, 3, c.colour, c.opacity, c.mode);
        EXPECT_EQ(bm.At(3, 2), c.expected) << std::hex << "colour 0x" << c.colour << " opacity " << c.opacity;
        EXPECT_EQ(bm.CountNot(bm.At(0, 0)), 0);
    }
}

TEST(FillRectTest, NegativeStartShortensAndAnyRectangleStaysInside)
{
    GuardedBitmap bm(5, 4, 0);
    FillRect(&bm, -2, -1, 3, 3, 0xFFFFFFFF, 1.0f, PIX_MODE_COPY);
    EXPECT_EQ(bm.CountNot(0), 2); // column 0, rows 0..1
    EXPECT_EQ(bm.At(0, 1), 0xFFFFFFFFu);

    const int32_t coords[] = {INT32_MIN, -9, -1, 0, 2, 4, 5, INT32_MAX};
    for (int32_t x : coords)
        for (int32_t w : coords)
            for (float opacity : {1.0f, 0.5f, 0.25f, 0.75f, 0.4f})
            {
                GuardedBitmap g(5, 4, 0);
                FillRect(&g, x, x / 2, w, w, 0xFFFFFFFF, opacity, PIX_MODE_COPY);
                ASSERT_TRUE(g.GuardsIntact()) << x << " " << w;
            }
}

// Line colour 0xFFFF0000 on transparent black, opacity 1: a weight w gives 255 - trunc(255 x (256 - w) / 256)
// in the alpha and red bytes.
constexpr uint32_t kRed = 0xFFFF0000;

TEST(LineTest, AntialiasedLineSplitsCoverageBetweenTwoRowsAndEndsOnWholePixels)
{
    GuardedBitmap bm(8, 5, 0);
    Line(&bm, 1.0f, 2.25f, 6.0f, 2.25f, kRed, 1.0f, PIX_MODE_COPY, true);
    for (int32_t x = 0; x < 8; ++x)
    {
        const bool drawn = x >= 1 && x <= 6;
        EXPECT_EQ(bm.At(x, 2), drawn ? 0xBFBF0000u : 0u) << "x " << x; // weight 255 - 64
        EXPECT_EQ(bm.At(x, 3), drawn ? 0x40400000u : 0u) << "x " << x; // weight 64
    }
    EXPECT_EQ(bm.CountNot(0), 12);
}

TEST(LineTest, FallingMinorCoordinateMirrorsThePair)
{
    GuardedBitmap bm(6, 5, 0);
    Line(&bm, 0.0f, 3.0f, 4.0f, 1.0f, kRed, 1.0f, PIX_MODE_COPY, true);
    // Whole rows at x = 0, 2, 4; halves (weights 128 and 127) between.
    EXPECT_EQ(bm.At(0, 3), kRed);
    EXPECT_EQ(bm.At(1, 3), 0x80800000u);
    EXPECT_EQ(bm.At(1, 2), 0x7F7F0000u);
    EXPECT_EQ(bm.At(2, 2), kRed);
    EXPECT_EQ(bm.At(3, 2), 0x80800000u);
    EXPECT_EQ(bm.At(3, 1), 0x7F7F0000u);
    EXPECT_EQ(bm.At(4, 1), kRed);
    EXPECT_EQ(bm.CountNot(0), 7);
}

TEST(LineTest, ClipsToTheBitmapAndDrawsNothingWhenOutsideOrDegenerate)
{
    GuardedBitmap bm(20, 10, 0);
    Line(&bm, -10.0f, 5.0f, 100.0f, 5.0f, kRed, 1.0f, PIX_MODE_COPY, true);
    for (int32_t x = 0; x < 20; ++x)
        EXPECT_EQ(bm.At(x, 5), kRed) << "x " << x;
    EXPECT_EQ(bm.CountNot(0), 20);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    GuardedBitmap none(20, 10, 0);
    Line(&none, -5.0f, -5.0f, -1.0f, 30.0f, kRed, 1.0f, PIX_MODE_COPY, true); // left of the bitmap
    Line(&none, 3.0f, 3.0f, 3.0f, 3.0f, kRed, 1.0f, PIX_MODE_COPY, true);     // one point
    Line(&none, nan, 3.0f, 8.0f, 3.0f, kRed, 1.0f, PIX_MODE_COPY, true);
    Line(&none, 1.0f, 1.0f, 8.0f, 8.0f, kRed, 0.0f, PIX_MODE_COPY, true);
    EXPECT_EQ(none.CountNot(0), 0);
}

TEST(LineTest, AnyEndPointsStayInsideTheBitmap)
{
    const float v[] = {-1e30f, -1000.5f, -0.5f, 0.0f, 0.49f, 6.99f, 7.0f, 9.5f, 1e9f};
    for (bool aa : {true, false})
        for (float x1 : v)
            for (float y1 : v)
                for (float x2 : v)
                    for (float y2 : {-3.3f, 2.5f, 8.0f, 1e20f})
                    {
                        GuardedBitmap bm(8, 7, 0);
                        Line(&bm, x1, y1, x2, y2, kRed, 0.9f, PIX_MODE_COPY, aa);
                        ASSERT_TRUE(bm.GuardsIntact()) << x1 << "," << y1 << " " << x2 << "," << y2;
                    }
}
} // namespace
