// GDI's own text path. Wine's GDI is not Windows', so pictures are not compared here: these check what
// the bitmap's byte order, the UTF-8 conversion and the plain-memory copy-back must get right anywhere.
#include "../../GuardedBitmap.h"
#include "drawing/PIX_CachedFont.h"
#include "drawing/PIX_FontLayer.h"
#include "drawing/PIX_SysBitmap.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace
{
constexpr uint32_t kUntouched = 0x00123456;
constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;

struct Arial
{
    explicit Arial(int32_t height = 16)
        : handle(PIX_CreateSystemFont({"Arial", height, 0, 0, 400, false, PIX_QUALITY_NONANTIALIASED}))
    {
    }
    ~Arial() { PIX_DeleteSystemFont(handle); }
    PIX_FontHandle handle;
};

uint32_t& At(PIX_SysBitmap& bm, int32_t x, int32_t y)
{
    return bm.PixelData()[y * bm.RowSpanPixels() + x];
}

void Fill(PIX_SysBitmap& bm, uint32_t value)
{
    for (int32_t y = 0; y < bm.PixelHeight(); ++y)
        for (int32_t x = 0; x < bm.PixelWidth(); ++x)
            At(bm, x, y) = value;
}

int32_t MeasuredWidth(const Arial& font, PIX_IBitmap* bm, const std::string& text)
{
    PIX_Rect r{0, 0, 0, 0};
    EXPECT_GT(PIX_PlatformDrawText(font.handle, bm, text.data(), int32_t(text.size()), &r,
                                   PIX_TEXT_MEASURE_ONLY | PIX_TEXT_SINGLE_LINE, kRed, PIX_BACK_OPAQUE, kBlue),
              0)
        << text;
    return r.right - r.left;
}

TEST(NativeTextTest, OpaqueTextKeepsTheColoursApartAndStaysInItsRectangle)
{
    Arial font;
    ASSERT_NE(font.handle, nullptr);
    PIX_SysBitmap bm(120, 30);
    ASSERT_NE(bm.DrawingContext(), nullptr);
    Fill(bm, kUntouched);
    PIX_Rect r{10, 5, 110, 25};
    EXPECT_GT(PIX_PlatformDrawText(font.handle, &bm, "HIH", -1, &r, PIX_TEXT_SINGLE_LINE, kRed, PIX_BACK_OPAQUE,
                                   kBlue),
              0);
    int32_t red = 0;
    for (int32_t y = 0; y < bm.PixelHeight(); ++y)
        for (int32_t x = 0; x < bm.PixelWidth(); ++x)
        {
            const bool inside = x >= 10 && x < 110 && y >= 5 && y < 25;
            if (!inside) { ASSERT_EQ(At(bm, x, y), kUntouched) << x << "," << y; }
            red += (At(bm, x, y) & 0xFFFFFF) == kRed;
        }
    // The top-left of the text box is leading, so background; stems are text. Swapped bytes swap both.
    EXPECT_EQ(At(bm, 10, 5) & 0xFFFFFF, kBlue);
    EXPECT_GT(red, 20);
}

TEST(NativeTextTest, MeasuresUtf8AsCharactersWithOrWithoutABitmapAndDrawsNothing)
{
    Arial font;
    ASSERT_NE(font.handle, nullptr);
    PIX_SysBitmap bm(16, 16);
    Fill(bm, kUntouched);
    const int32_t e = MeasuredWidth(font, &bm, "e");
    ASSERT_GT(e, 0);
    EXPECT_EQ(MeasuredWidth(font, &bm, "\xC3\xA9"), e) << "two bytes, one character";
    EXPECT_EQ(MeasuredWidth(font, nullptr, "\xC3\xA9"), e);
    EXPECT_GT(MeasuredWidth(font, &bm, "\xC3"), 0) << "a cut sequence is drawn as bytes";
    // Past the stack buffer the units come from the heap: 15 lines of 100 (Wine cuts lines at 1024).
    std::string many;
    for (int line = 0; line < 15; ++line)
    {
        for (int i = 0; i < 100; ++i) many += "\xC3\xA9";
        many += '\n';
    }
    PIX_Rect r{0, 0, 0, 0};
    EXPECT_EQ(PIX_PlatformDrawText(font.handle, &bm, many.data(), int32_t(many.size()), &r, PIX_TEXT_MEASURE_ONLY,
                                   kRed, PIX_BACK_OPAQUE, kBlue),
              15 * PIX_FontCellHeight(font.handle));
    EXPECT_EQ(r.right - r.left, 100 * e);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x)
            ASSERT_EQ(At(bm, x, y), kUntouched);
}

TEST(NativeTextTest, ATallCachedFontDrawsNativelyIntoPlainMemoryThroughTheScratch)
{
    // Lines taller than the glyph cache takes are drawn by the system even under Wine.
    auto font = std::make_unique<PIX_CachedFont>();
    font->SetSystemFont(PIX_CreateSystemFont({"Arial", 300, 0, 0, 400, false, PIX_QUALITY_ANTIALIASED}),
                        PIX_FONT_OWNS_SYSTEM_FONT | PIX_FONT_NATIVE_ALLOWED);
    ASSERT_GT(font->LineHeight(), 255);
    font->SetTextColour(0xFFFFFFFF);
    GuardedBitmap bm(200, 340, 0xFF000000);
    PIX_Rect r{20, 10, 180, 330};
    EXPECT_GT(font->DrawTextInto(&bm, "I", -1, &r, PIX_TEXT_SINGLE_LINE), 0);
    EXPECT_TRUE(bm.GuardsIntact());
    int32_t white = 0;
    for (int32_t y = 0; y < 340; ++y)
        for (int32_t x = 0; x < 200; ++x)
        {
            const bool inside = x >= 20 && x < 180 && y >= 10 && y < 330;
            if (!inside) { ASSERT_EQ(bm.At(x, y), 0xFF000000u) << x << "," << y; }
            white += (bm.At(x, y) & 0xFFFFFF) == 0xFFFFFF;
        }
    EXPECT_GT(white, 1000) << "the stem of a 300-pixel I";
}
} // namespace
