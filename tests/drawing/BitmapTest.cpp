#include "drawing/PIX_MemBitmap.h"
#include "drawing/PIX_SysBitmap.h"

#include <cstdint>
#include <gtest/gtest.h>

namespace
{
TEST(MemBitmapTest, RowSpanFollowsTheLowestBitOfTheAlignment)
{
    struct
    {
        int32_t width, alignment, span;
    } cases[] = {{10, 0, 10}, {10, 1, 10}, {10, 4, 12}, {12, 4, 12}, {9, 6, 10}, {10, 16, 16}, {10, 64, 16}};
    for (const auto& c : cases)
    {
        PIX_MemBitmap bm(c.width, 3, c.alignment);
        EXPECT_EQ(bm.RowSpanPixels(), c.span) << "width " << c.width << " alignment " << c.alignment;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(bm.PixelData()) % 64, 0u);
        EXPECT_EQ(bm.AllocatedBytes(), c.span * 3 * 4);
    }
}

TEST(MemBitmapTest, GrowsByAQuarterKeepsTheBufferWhenShrinkingAndFreesAtZero)
{
    PIX_MemBitmap bm(10, 10, 1);
    EXPECT_FALSE(bm.ResizeTo(10, 10));
    EXPECT_TRUE(bm.ResizeTo(20, 10));
    EXPECT_EQ(bm.AllocatedBytes(), 20 * 10 * 4 * 5 / 4);
    EXPECT_TRUE(bm.ResizeTo(5, 5));
    EXPECT_EQ(bm.AllocatedBytes(), 1000);
    EXPECT_EQ(bm.PixelWidth(), 5);
    EXPECT_TRUE(bm.ResizeTo(0, 5));
    EXPECT_EQ(bm.PixelData(), nullptr);
    EXPECT_EQ(bm.PixelWidth(), 0);
    EXPECT_EQ(bm.PixelHeight(), 0);
}

TEST(MemBitmapTest, ImpossibleSizesLeaveAnEmptyBitmap)
{
    PIX_MemBitmap huge(INT32_MAX, INT32_MAX, 4);
    EXPECT_EQ(huge.PixelData(), nullptr);
    EXPECT_EQ(huge.PixelWidth(), 0);
    PIX_MemBitmap negative(-4, 10, 4);
    EXPECT_EQ(negative.PixelData(), nullptr);
    EXPECT_EQ(negative.PixelWidth(), 0);
}

TEST(SysBitmapTest, RowSpanIsTheWidthRoundedUpToFour)
{
    PIX_SysBitmap bm(562, 270);
    EXPECT_EQ(bm.RowSpanPixels(), 564);
    ASSERT_NE(bm.PixelData(), nullptr);
    bm.PixelData()[564 * 270 - 1] = 1; // the last allocated pixel is writable
    EXPECT_FALSE(bm.IsBottomUp());
#if defined(_WIN32)
    EXPECT_NE(bm.DrawingContext(), nullptr); // the memory context holding the section
#else
    EXPECT_EQ(bm.DrawingContext(), nullptr); // no context on Linux until a window layer needs one
#endif
}

TEST(SysBitmapTest, KeepsTheSectionWhenTheNewSizeFitsAndDropsItAtZero)
{
    PIX_SysBitmap bm(100, 50);
    uint32_t* pixels = bm.PixelData();
    EXPECT_FALSE(bm.ResizeTo(100, 50));
    EXPECT_TRUE(bm.ResizeTo(60, 40));
    EXPECT_EQ(bm.PixelData(), pixels);
    EXPECT_EQ(bm.RowSpanPixels(), 100);
    EXPECT_TRUE(bm.ResizeTo(101, 40));
    EXPECT_EQ(bm.RowSpanPixels(), 104);
    EXPECT_FALSE(bm.ResizeTo(0, 40));
    EXPECT_EQ(bm.PixelData(), nullptr);
    EXPECT_FALSE(bm.ResizeTo(-5, 40));
    EXPECT_EQ(bm.PixelWidth(), 0);
}
} // namespace
