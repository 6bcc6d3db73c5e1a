#pragma once
// A font that draws through its own glyph cache: each character is rendered once, white on black, by
// the system font layer into an 8-bit coverage mask, then blended with the text colour and an opacity.
// Where the platform has native text drawing it is used for opaque text (see TakesNativePath).
// Not thread-safe: one window thread uses the fonts and the process-wide scratch bitmaps.
#include "drawing/PIX_IFont.h"
#include <cstddef>

class PIX_SysBitmap;

class PIX_CachedFont : public PIX_IFont
{
public:
    PIX_CachedFont();
    ~PIX_CachedFont() override;
    PIX_CachedFont(const PIX_CachedFont&) = delete;
    PIX_CachedFont& operator=(const PIX_CachedFont&) = delete;

    void SetSystemFont(PIX_FontHandle font, int32_t flags) override;
    uint32_t SetTextColour(uint32_t colour) override;
    uint32_t SetBackColour(uint32_t colour) override;
    uint32_t SetEffectColour(uint32_t colour) override;
    int32_t SetBackMode(int32_t mode) override;
    void SetCombineMode(int32_t mode, float opacity) override;
    int32_t DrawTextInto(PIX_IBitmap* bitmap, const char* text, int32_t length, PIX_Rect* rect,
                         uint32_t flags) override;
    uint32_t TextColour() const override { return textColour; }
    PIX_FontHandle SystemFont() const override { return systemFont; }
    int32_t LineHeight() const override { return lineHeight; }
    bool DrawGlyph(PIX_IBitmap* bitmap, uint32_t character, int32_t x, int32_t y,
                   const PIX_Rect& clip) override;

    // One glyph: offset + 1 into the coverage store (0 = not rendered yet, -1 = empty glyph).
    struct Glyph
    {
        int32_t offset;
        int32_t maskWidth;
        int32_t maskHeight;
        int32_t advance;
        uint32_t code;
        int32_t leftOffset; // how far the mask starts left of the pen position
    };
    // The record of a character, rendered on first use; null when the font can make no glyphs.
    const Glyph* FindGlyph(uint32_t character);
    // Coverage bytes of a rendered glyph, row by row.
    const uint8_t* Coverage(const Glyph& glyph) const;

    // Decodes one character at text[*pos] (bytes up to end) and advances *pos. Lead bytes 0xC2..0xDF
    // and 0xE0..0xEF with their continuation bytes give the character; 0xF0..0xF4 with three give a
    // space; any other byte is a character of its own byte value.
    static uint32_t DecodeUtf8(const uint8_t* text, size_t end, size_t* pos);

    // Bytes of coverage stored for the rendered glyphs.
    int32_t CoverageBytesUsed() const { return coverageUsed; }

    // Process-wide: number of cached fonts alive (the scratch bitmaps go with the last one).
    static int32_t FontCount();

private:
    bool TakesNativePath(uint32_t flags) const;
    int32_t DrawNative(PIX_IBitmap* bitmap, const char* text, int32_t length, PIX_Rect* rect, uint32_t flags);
    void Measure(const uint8_t* text, size_t length, uint32_t flags, int32_t* width, int32_t* height);
    Glyph* RecordFor(uint32_t character);
    void RenderGlyph(Glyph& glyph);
    bool DrawGlyphAt(PIX_IBitmap* bitmap, const Glyph& glyph, int64_t x, int64_t y, const PIX_Rect& clip,
                     float opacity);
    void ClearGlyphs();

    uint32_t textColour = 0;
    uint32_t backColour = 0xFFFFFFFF;
    uint32_t effectColour = 0xFFFFFFFF;
    int32_t backMode = PIX_BACK_TRANSPARENT;
    int32_t combineMode = 0;
    float combineOpacity = 1.0f;
    int32_t fontFlags = 0;
    int32_t lineHeight = 0;
    int32_t extraLineSpacing = 0;
    Glyph lowGlyphs[128];
    Glyph* highGlyphs = nullptr; // sorted by code
    int32_t highCount = 0;
    int32_t highCapacity = 0;
    uint8_t* coverage = nullptr;
    int32_t coverageUsed = 0;
    int32_t coverageCapacity = 0;
    PIX_FontHandle systemFont = nullptr;
};
