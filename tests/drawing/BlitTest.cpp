#include "GuardedBitmap.h"
#include "drawing/PIX_Blit.h"
#include "drawing/PIX_MemBitmap.h"

#include <gtest/gtest.h>

namespace
{
struct MixCase
{
    int32_t mode;
    float opacity;
    uint32_t source, dest, expected;
};

// Hand-computed from the combination table; "/ 256" truncates toward zero (0xFF toward 0x00 at k = 64
// gives 0x40, not 0x3F).
const MixCase kMixCases[] = {
    // clang-format off
    {0x00000, 1.00f, 0x80112233, 0xFF445566, 0x80112233}, // copy, alpha byte copied too
    {0x00000, 0.25f, 0xFF00FF00, 0x00FF00FF, 0x40BF40BF}, // negative intermediates truncate toward zero
    {0x00000, 0.30f, 0x10203040, 0xF0E0D0C0, 0xADA7A09A},
    {0x10000, 1.00f, 0x00FFFFFF, 0x12345678, 0x12345678}, // alpha 0: untouched
    {0x10000, 1.00f, 0xFF102030, 0x00445566, 0xFF102030}, // alpha 255: copied, alpha 255
    {0x10000, 1.00f, 0x80FF0000, 0x400000FF, 0xC081007E}, // alpha 128: (255 - sa) weights, alpha added
    {0x10000, 1.00f, 0x01FFFFFF, 0x80000000, 0x81020202},
    {0x10000, 0.25f, 0xFF00FF00, 0x40FF00FF, 0x80BF40BF}, // w = 64 x 256 / 256 = 64
    {0x10000, 0.25f, 0x80FFFFFF, 0x40000000, 0x60202020}, // w = 64 x 129 / 256 = 32
    {0x10000, 0.50f, 0x00FFFFFF, 0x12345678, 0x12345678},
    {0x10001, 1.00f, 0x80FF8040, 0x40808080, 0x80FFC0A0}, // add, red saturates
    {0x10001, 0.50f, 0xFF204060, 0xF0F0F0F0, 0xFFFFFFFF},
    {0x10001, 1.00f, 0x00FFFFFF, 0x11223344, 0x11223344}, // alpha 0: skipped
    {0x10002, 1.00f, 0xFFFF8000, 0x80408040, 0xFFFFFF40}, // dodge saturates at 255; t = 0 keeps d
    {0x10002, 0.50f, 0x80FF40FF, 0x00102030, 0x0015223F},
    {0x10002, 1.00f, 0x00FFFFFF, 0x11223344, 0x11223344}, // never skipped, but w = 1 gives t = 0
    // clang-format on
};

TEST(BlitTest, EveryModeCombinesPixelsAsHandComputed)
{
    for (const MixCase& c : kMixCases)
    {
        GuardedBitmap src(3, 2, c.source), dst(3, 2, c.dest);
        Blit(&dst, &src, 0, 0, 0, 0, 3, 2, c.opacity, c.mode);
        EXPECT_EQ(dst.At(2, 1), c.expected) << std::hex << "mode 0x" << c.mode << " opacity " << c.opacity
                                            << " source 0x" << c.source << " dest 0x" << c.dest;
        EXPECT_EQ(dst.CountNot(dst.At(0, 0)), 0);
        EXPECT_TRUE(dst.GuardsIntact());
    }
}

TEST(BlitTest, HalfOpacityCopyIsThePerByteAverageWithAlpha)
{
    GuardedBitmap src(2, 1, 0xFF010305), dst(2, 1, 0x01030507);
    Blit(&dst, &src, 0, 0, 0, 0, 2, 1, 0.5f, PIX_MODE_COPY);
    // (s >> 1) + (d >> 1) per byte; the table formula would give 0x80020406.
    EXPECT_EQ(dst.At(1, 0), 0x7F010305u);
}

TEST(BlitTest, ZeroOpacityOrMissingBitmapsDoNothing)
{
    GuardedBitmap src(2, 2, 0xFFFFFFFF), dst(2, 2, 0x01020304);
    Blit(&dst, &src, 0, 0, 0, 0, 2, 2, 0.0f, PIX_MODE_COPY);
    Blit(&dst, &src, 0, 0, 0, 0, 2, 2, 0.003f, PIX_MODE_NORMAL); // k = 0
    Blit(&dst, nullptr, 0, 0, 0, 0, 2, 2, 1.0f, PIX_MODE_COPY);
    Blit(nullptr, &src, 0, 0, 0, 0, 2, 2, 1.0f, PIX_MODE_COPY);
    PIX_MemBitmap empty;
    Blit(&dst, &empty, 0, 0, 0, 0, 2, 2, 1.0f, PIX_MODE_COPY);
    Blit(&empty, &src, 0, 0, 0, 0, 2, 2, 1.0f, PIX_MODE_COPY);
    EXPECT_EQ(dst.CountNot(0x01020304), 0);
}

TEST(BlitTest, NegativeSourceXDrawsFurtherRightAndNarrower)
{
    GuardedBitmap src(8, 1), dst(10, 1, 0);
    for (int32_t x = 0; x < 8; ++x)
        src.At(x, 0) = 0xFF000000u | uint32_t(x + 1);
    Blit(&dst, &src, 1, 0, -3, 0, 6, 1, 1.0f, PIX_MODE_COPY);
    // Destination 1 + 3 = 4 gets source pixels 0..2 (6 - 3 of them).
    const uint32_t expected[10] = {0, 0, 0, 0, 0xFF000001, 0xFF000002, 0xFF000003, 0, 0, 0};
    for (int32_t x = 0; x < 10; ++x)
        EXPECT_EQ(dst.At(x, 0), expected[x]) << "x " << x;
}

TEST(BlitTest, AnyPlacementStaysInsideTheDestination)
{
    const int32_t coords[] = {INT32_MIN, -1000000, -70, -5, -1, 0, 3, 9, 10, 1000, INT32_MAX};
    const int32_t sizes[] = {-5, 0, 1, 7, 40, INT32_MAX};
    GuardedBitmap src(12, 9, 0xFF336699);
    for (int32_t mode : std::initializer_list<int32_t>{PIX_MODE_COPY, PIX_MODE_NORMAL, PIX_MODE_ADD_ALPHA,
                                                       PIX_MODE_DODGE_ALPHA})
        for (float opacity : {1.0f, 0.5f, 0.3f})
            for (int32_t dx : coords)
                for (int32_t sx : coords)
                    for (int32_t size : sizes)
                    {
                        GuardedBitmap dst(10, 8, 0x80000000);
                        Blit(&dst, &src, dx, dx / 2, sx, sx / 3, size, size, opacity, mode);
                        ASSERT_TRUE(dst.GuardsIntact())
                            << "dest " << dx << " source " << sx << " size " << size;
                    }
}

TEST(BlitTest, ClipsAtTheDestinationEdges)
{
    GuardedBitmap src(4, 4, 0xFFAABBCC), dst(5, 5, 0);
    Blit(&dst, &src, 3, -2, 0, 0, 4, 4, 1.0f, PIX_MODE_COPY);
    // Columns 3..4, rows 0..1.
    EXPECT_EQ(dst.CountNot(0), 4);
    EXPECT_EQ(dst.At(4, 1), 0xFFAABBCCu);
    EXPECT_EQ(dst.At(3, 2), 0u);
    EXPECT_TRUE(dst.GuardsIntact());
}

TEST(BlitTest, CopyOntoItselfShiftsLikeACopyOfTheOriginal)
{
    PIX_MemBitmap bm(4, 4, 1);
    for (int32_t i = 0; i < 16; ++i)
        bm.PixelData()[(i / 4) * bm.RowSpanPixels() + i % 4] = uint32_t(i);
    Blit(&bm, &bm, 1, 1, 0, 0, 3, 3, 1.0f, PIX_MODE_COPY);
    EXPECT_EQ(bm.PixelData()[3 * bm.RowSpanPixels() + 3], 10u); // was (2, 2)
    EXPECT_EQ(bm.PixelData()[1 * bm.RowSpanPixels() + 1], 0u);  // was (0, 0)
}
} // namespace
