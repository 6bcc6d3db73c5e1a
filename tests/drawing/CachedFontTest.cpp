#include "GuardedBitmap.h"
#include "drawing/PIX_CachedFont.h"
#include "drawing/PIX_FontLayer.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace
{
constexpr uint32_t kNoClip = PIX_TEXT_NO_CLIP;

std::unique_ptr<PIX_CachedFont> MakeFont(const char* face = "Arial", int32_t height = 16)
{
    auto font = std::make_unique<PIX_CachedFont>();
    PIX_FontHandle handle = PIX_CreateSystemFont({face, height, 0, 0, 400, false, PIX_QUALITY_ANTIALIASED});
    EXPECT_NE(handle, nullptr) << face << " did not resolve to an installed face";
    font->SetSystemFont(handle, PIX_FONT_OWNS_SYSTEM_FONT | PIX_FONT_NATIVE_ALLOWED);
    return font;
}

bool SamePixels(GuardedBitmap& a, GuardedBitmap& b)
{
    for (int32_t y = 0; y < a.PixelHeight(); ++y)
        for (int32_t x = 0; x < a.PixelWidth(); ++x)
            if (a.At(x, y) != b.At(x, y)) return false;
    return true;
}

int32_t Draw(PIX_CachedFont& font, GuardedBitmap& bm, const char* text, PIX_Rect rect, uint32_t flags)
{
    return font.DrawTextInto(&bm, text, -1, &rect, flags);
}

TEST(CachedFontTest, Utf8DecodingRules)
{
    struct
    {
        const char* bytes;
        size_t end;
        uint32_t character;
        size_t used;
    } cases[] = {
        {"A", 1, 'A', 1},
        {"\xC3\xA9", 2, 0xE9, 2},
        {"\xE2\x82\xAC", 3, 0x20AC, 3},
        {"\xF0\x9F\x98\x80", 4, ' ', 4}, // beyond 16 bits: a space
        {"\x80", 1, 0x80, 1},            // lone continuation byte: its own value
        {"\xC3\xA9", 1, 0xC3, 1},        // the length limit cuts the sequence
        {"\xC3"
         "A",
         2, 0xC3, 1},                     // missing continuation
        {"\xC0\x80", 2, 0xC0, 1},         // overlong lead
        {"\xE2\x82", 2, 0xE2, 1},         // truncated
        {"\xF5\x80\x80\x80", 4, 0xF5, 1}, // no such lead
        {"\xF0\x9F\x98"
         "A",
         4, 0xF0, 1},
        {"\xFF", 1, 0xFF, 1},
    };
    for (const auto& c : cases)
    {
        size_t pos = 0;
        EXPECT_EQ(PIX_CachedFont::DecodeUtf8(reinterpret_cast<const uint8_t*>(c.bytes), c.end, &pos),
                  c.character)
            << "bytes " << c.bytes;
        EXPECT_EQ(pos, c.used) << "bytes " << c.bytes;
    }
}

// Every pixel against the blend formulas, using the glyph's own coverage.
void ExpectGlyphBlend(PIX_CachedFont& font, uint32_t character, uint32_t colour, uint32_t flags, int32_t k,
                      bool* sawFull, bool* sawPartial)
{
    const uint32_t back = 0x80102030;
    GuardedBitmap bm(40, 30, back);
    font.SetTextColour(colour);
    const char text[2] = {char(character), 0};
    Draw(font, bm, text, {10, 5, 40, 30}, flags | kNoClip);
    const PIX_CachedFont::Glyph* g = font.FindGlyph(character);
    ASSERT_TRUE(g && g->offset > 0);
    const uint8_t* mask = font.Coverage(*g);
    const int32_t left = 10 - g->leftOffset;
    const int32_t cr = (colour >> 16) & 0xFF, cg = (colour >> 8) & 0xFF, cb = colour & 0xFF;
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 40; ++x)
        {
            const bool inMask = x >= left && x < left + g->maskWidth && y >= 5 && y < 5 + g->maskHeight;
            const int32_t v = inMask ? mask[(y - 5) * g->maskWidth + (x - left)] : 0;
            uint32_t expected = back;
            if (v != 0)
            {
                const int32_t h = k == 256 ? 255 - v : 256 - std::min(256, k * v / 256);
                const int32_t a =
                    k == 256 ? 255 - (255 - v) * (255 - 0x80) / 256 : 255 - (255 - 0x80) * h / 256;
                expected = uint32_t(a) << 24 | uint32_t(cr + (0x10 - cr) * h / 256) << 16 |
                           uint32_t(cg + (0x20 - cg) * h / 256) << 8 | uint32_t(cb + (0x30 - cb) * h / 256);
                *sawFull |= v == 255;
                *sawPartial |= v < 255;
            }
            ASSERT_EQ(bm.At(x, y), expected) << std::hex << "char " << character << " at " << std::dec << x
                                             << "," << y << " coverage " << v;
        }
    ASSERT_TRUE(bm.GuardsIntact());
}

TEST(CachedFontTest, GlyphBlendingAtFullOpacityAndAtTextAlpha200)
{
#if defined(_WIN32)
    // GDI draws this face without grey levels at small sizes, as the face's own hinting table asks.
    auto font = MakeFont("Arial", 40);
#else
    auto font = MakeFont();
#endif
    bool full = false, partial = false;
    for (uint32_t c : {'H', 'e', '8'})
    {
        // Full opacity: coverage 255 writes the exact colour with alpha 255, coverage 0 nothing.
        ExpectGlyphBlend(*font, c, 0xFFE0C0A0, 0, 256, &full, &partial);
        // Alpha 200 with the use-alpha flag: k = trunc(200 / 255 x 256) = 200.
        ExpectGlyphBlend(*font, c, 0xC8E0C0A0, PIX_TEXT_USE_ALPHA, 200, &full, &partial);
    }
    EXPECT_TRUE(full && partial) << "the test glyphs should have both full and partial coverage";
}

TEST(CachedFontTest, LineFeedStartsANewLineUnlessSingleLine)
{
    auto font = MakeFont();
    font->SetTextColour(0xFFFFFFFF);
    const int32_t lh = font->LineHeight();
    ASSERT_EQ(lh, 16); // a positive height is the cell height

    GuardedBitmap twoLines(60, 50, 0), separate(60, 50, 0);
    EXPECT_EQ(Draw(*font, twoLines, "A\r\nB", {2, 3, 60, 50}, kNoClip), 2 * lh);
    Draw(*font, separate, "A", {2, 3, 60, 50}, kNoClip);
    Draw(*font, separate, "B", {2, 3 + lh, 60, 50}, kNoClip);
    EXPECT_TRUE(SamePixels(twoLines, separate));

    GuardedBitmap single(60, 50, 0), spaced(60, 50, 0);
    EXPECT_EQ(Draw(*font, single, "A\nB", {2, 3, 60, 50}, kNoClip | PIX_TEXT_SINGLE_LINE), lh);
    Draw(*font, spaced, "A B", {2, 3, 60, 50}, kNoClip);
    EXPECT_TRUE(SamePixels(single, spaced));

    PIX_Rect m{5, 7, 0, 0};
    EXPECT_EQ(font->DrawTextInto(nullptr, "A\nBB", -1, &m, PIX_TEXT_MEASURE_ONLY), 2 * lh);
    EXPECT_EQ(m.right - 5, 2 * font->FindGlyph('B')->advance);
    EXPECT_EQ(m.bottom - 7, 2 * lh);
}

TEST(CachedFontTest, CentredRightAndVerticalPlacement)
{
    auto font = MakeFont();
    font->SetTextColour(0xFFFFFFFF);
    PIX_Rect m{0, 0, 0, 0};
    font->DrawTextInto(nullptr, "-12.5", -1, &m, PIX_TEXT_MEASURE_ONLY);
    const int32_t w = m.right, h = m.bottom;
    ASSERT_GT(w, 10);
    const PIX_Rect box{10, 4, 111, 40};
    struct
    {
        uint32_t flags;
        int32_t x, y;
    } cases[] = {
        {PIX_TEXT_CENTRE, 10 + (101 - w) / 2, 4},
        {PIX_TEXT_RIGHT, 111 - w, 4},
        {PIX_TEXT_VCENTRE, 10, 4 + (36 - h) / 2},
        {PIX_TEXT_BOTTOM | PIX_TEXT_CENTRE, 10 + (101 - w) / 2, 40 - h},
    };
    for (const auto& c : cases)
    {
        GuardedBitmap aligned(130, 50, 0), placed(130, 50, 0);
        Draw(*font, aligned, "-12.5", box, c.flags);
        Draw(*font, placed, "-12.5", {c.x, c.y, 130, 50}, 0);
        EXPECT_TRUE(SamePixels(aligned, placed)) << "flags " << c.flags;
        EXPECT_GT(aligned.CountNot(0), 0);
    }
}

TEST(CachedFontTest, OddCharactersHaveADefinedGlyph)
{
    auto font = MakeFont();
    font->SetTextColour(0xFFFFFFFF);
    GuardedBitmap four(60, 20, 0), space(60, 20, 0);
    Draw(*font, four, "a\xF0\x9F\x98\x80z", {0, 0, 60, 20}, 0);
    Draw(*font, space, "a z", {0, 0, 60, 20}, 0);
    EXPECT_TRUE(SamePixels(four, space)) << "a 4-byte sequence draws one space";

    GuardedBitmap stray(60, 20, 0), decoded(60, 20, 0);
    Draw(*font, stray, "\x80", {0, 0, 60, 20}, 0);
    Draw(*font, decoded, "\xC2\x80", {0, 0, 60, 20}, 0);
    EXPECT_TRUE(SamePixels(stray, decoded)) << "a stray continuation byte draws the glyph of its value";

    // Codes above 127 go to the sorted list; looking them up in any order finds the same records.
    const uint32_t codes[] = {0x20AC, 0xE9, 0xFFFF, 0x100, 0xE9, 0x4E2D, 0x20AC};
    for (uint32_t c : codes)
    {
        const PIX_CachedFont::Glyph* g = font->FindGlyph(c);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->code, c);
    }
}

TEST(CachedFontTest, ClipsToTheRectangleOrTheBitmap)
{
    auto font = MakeFont("Verdana", 20);
    font->SetTextColour(0xFFFFFFFF);
    GuardedBitmap bm(40, 30, 0);
    Draw(*font, bm, "WWWW", {5, 5, 15, 12}, 0);
    int32_t inside = 0;
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 40; ++x)
            if (bm.At(x, y) != 0)
            {
                EXPECT_TRUE(x >= 5 && x < 15 && y >= 5 && y < 12) << x << "," << y;
                ++inside;
            }
    EXPECT_GT(inside, 0);

    const int32_t places[] = {INT32_MIN, -100, -7, 0, 20, 39, 40, INT32_MAX};
    std::string junk = "\xF0\x9F\x98\x80\xC3\n\xFF\x80\xE2\x82g\xEF\xBF\xBF" + std::string(300, 'M');
    for (int32_t x : places)
        for (int32_t y : places)
            for (uint32_t flags : {0u, kNoClip, PIX_TEXT_CENTRE | PIX_TEXT_BOTTOM, PIX_TEXT_RIGHT | kNoClip})
            {
                GuardedBitmap g(40, 30, 0);
                PIX_Rect r{x, y, int32_t(int64_t(x) + 30 > INT32_MAX ? INT32_MAX : x + 30), y};
                font->DrawTextInto(&g, junk.c_str(), int32_t(junk.size()), &r, flags);
                ASSERT_TRUE(g.GuardsIntact()) << x << "," << y << " flags " << flags;
            }
}

TEST(CachedFontTest, OpaqueBackgroundFillsTheGlyphBox)
{
    auto font = MakeFont();
    font->SetTextColour(0xFFFFFFFF);
    font->SetBackColour(0xFF0000FF);
    EXPECT_EQ(font->SetBackMode(PIX_BACK_OPAQUE), PIX_BACK_TRANSPARENT);
    GuardedBitmap bm(30, 30, 0);
    Draw(*font, bm, "i", {10, 5, 30, 30}, kNoClip);
    const PIX_CachedFont::Glyph* g = font->FindGlyph('i');
    const int32_t left = 10 - g->leftOffset;
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 30; ++x)
        {
            const bool inBox = x >= left && x < left + g->maskWidth && y >= 5 && y < 5 + g->maskHeight;
            if (!inBox)
                EXPECT_EQ(bm.At(x, y), 0u) << x << "," << y;
            else
                EXPECT_NE(bm.At(x, y), 0u) << x << "," << y;
        }
}

TEST(CachedFontTest, TransparentTextOrNoTargetDrawsNothing)
{
    auto font = MakeFont();
    GuardedBitmap bm(30, 20, 0);
    font->SetTextColour(0x00FFFFFF);
    EXPECT_EQ(Draw(*font, bm, "Hi", {0, 0, 30, 20}, PIX_TEXT_USE_ALPHA), 0);
    PIX_Rect r{0, 0, 30, 20};
    EXPECT_EQ(font->DrawTextInto(nullptr, "Hi", -1, &r, 0), 0);
    EXPECT_EQ(bm.CountNot(0), 0);
}

TEST(CachedFontTest, FontCountAndNewSystemFontsResetTheGlyphs)
{
    const int32_t before = PIX_CachedFont::FontCount();
    {
        auto a = MakeFont();
        auto b = MakeFont("Verdana", 13);
        EXPECT_EQ(PIX_CachedFont::FontCount(), before + 2);
        // A new system font discards the glyphs (0x4 renders 0..127 at once); a bold face draws wider text.
        PIX_Rect normal{0, 0, 0, 0}, bold{0, 0, 0, 0};
        a->DrawTextInto(nullptr, "Wide Text", -1, &normal, PIX_TEXT_MEASURE_ONLY);
        const int32_t fewGlyphs = a->CoverageBytesUsed();
        EXPECT_GT(fewGlyphs, 0);
        a->SetSystemFont(PIX_CreateSystemFont({"Arial", 16, 0, 0, 700, false, PIX_QUALITY_ANTIALIASED}),
                         PIX_FONT_OWNS_SYSTEM_FONT);
        EXPECT_EQ(a->CoverageBytesUsed(), 0);
        a->SetSystemFont(PIX_CreateSystemFont({"Arial", 16, 0, 0, 700, false, PIX_QUALITY_ANTIALIASED}),
                         PIX_FONT_OWNS_SYSTEM_FONT | PIX_FONT_PRERENDER_ASCII);
        EXPECT_GT(a->CoverageBytesUsed(), 4 * fewGlyphs);
        a->DrawTextInto(nullptr, "Wide Text", -1, &bold, PIX_TEXT_MEASURE_ONLY);
        EXPECT_GT(bold.right, normal.right);
    }
    EXPECT_EQ(PIX_CachedFont::FontCount(), before);
}
} // namespace
