#include "drawing/PIX_CachedFont.h"

#include "drawing/PIX_Blit.h"
#include "drawing/PIX_Combine.h"
#include "drawing/PIX_FontLayer.h"
#include "drawing/PIX_GlyphBlend.h"
#include "drawing/PIX_SysBitmap.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace
{
// Process-wide, used only from the window thread (the graphics core locks its font cache itself).
int32_t gFontCount = 0;
PIX_SysBitmap* gGlyphScratch = nullptr;  // glyphs are rendered here, white on black
PIX_SysBitmap* gNativeScratch = nullptr; // native text for bitmaps without a drawing context
int32_t gUnderWine = -1;                 // not yet tested, 0 no, 1 yes

constexpr int32_t kHighGlyphStepBytes = 4096;
constexpr int32_t kCoverageStepBytes = 65536;
constexpr int32_t kMaxGlyphLineHeight = 1023;
constexpr int32_t kMaxNativeLineHeight = 255;
constexpr uint32_t kSpace = 0x20;

bool UnderWine()
{
    if (gUnderWine < 0) gUnderWine = PIX_PlatformProbeWine() ? 1 : 0;
    return gUnderWine == 1;
}

PIX_SysBitmap* EnsureScratch(PIX_SysBitmap*& scratch, int32_t width, int32_t height)
{
    if (!scratch) scratch = new (std::nothrow) PIX_SysBitmap(width, height);
    if (!scratch) return nullptr;
    const int32_t w = scratch->PixelWidth() > width ? scratch->PixelWidth() : width;
    const int32_t h = scratch->PixelHeight() > height ? scratch->PixelHeight() : height;
    scratch->ResizeTo(w, h);
    if (!scratch->PixelData() || scratch->PixelWidth() < width || scratch->PixelHeight() < height)
        return nullptr;
    return scratch;
}

// Grows a malloc'd block to hold at least need bytes, in steps of step bytes.
bool Grow(void*& block, int32_t& capacity, int64_t need, int32_t step)
{
    if (need <= capacity) return true;
    const int64_t grown = (need + step - 1) / step * step;
    if (grown > INT32_MAX) return false;
    void* p = std::realloc(block, size_t(grown));
    if (!p) return false;
    block = p;
    capacity = int32_t(grown);
    return true;
}
} // namespace

PIX_CachedFont::PIX_CachedFont()
{
    ClearGlyphs();
    ++gFontCount;
}

PIX_CachedFont::~PIX_CachedFont()
{
    if ((fontFlags & PIX_FONT_OWNS_SYSTEM_FONT) && systemFont) PIX_DeleteSystemFont(systemFont);
    std::free(highGlyphs);
    std::free(coverage);
    if (--gFontCount == 0)
    {
        delete gGlyphScratch;
        delete gNativeScratch;
        gGlyphScratch = nullptr;
        gNativeScratch = nullptr;
    }
}

int32_t PIX_CachedFont::FontCount()
{
    return gFontCount;
}

void PIX_CachedFont::SetSystemFont(PIX_FontHandle font, int32_t flags)
{
    if ((fontFlags & PIX_FONT_OWNS_SYSTEM_FONT) && systemFont && font != systemFont)
        PIX_DeleteSystemFont(systemFont);
    fontFlags = flags;
    systemFont = font;
    if (font)
    {
        EnsureScratch(gGlyphScratch, 256, 256);
        lineHeight = PIX_FontCellHeight(font);
    }
    ClearGlyphs();
    if (font && (flags & PIX_FONT_PRERENDER_ASCII))
        for (uint32_t c = 0; c < 128; ++c)
            FindGlyph(c);
}

uint32_t PIX_CachedFont::SetTextColour(uint32_t colour)
{
    return std::exchange(textColour, colour);
}

uint32_t PIX_CachedFont::SetBackColour(uint32_t colour)
{
    return std::exchange(backColour, colour);
}

uint32_t PIX_CachedFont::SetEffectColour(uint32_t colour)
{
    return std::exchange(effectColour, colour);
}

int32_t PIX_CachedFont::SetBackMode(int32_t mode)
{
    return std::exchange(backMode, mode);
}

void PIX_CachedFont::SetCombineMode(int32_t mode, float opacity)
{
    combineMode = mode;
    combineOpacity = opacity;
}

void PIX_CachedFont::ClearGlyphs()
{
    for (uint32_t c = 0; c < 128; ++c)
        lowGlyphs[c] = Glyph{0, 0, 0, 0, c, 0};
    highCount = 0;
    coverageUsed = 0;
}

uint32_t PIX_CachedFont::DecodeUtf8(const uint8_t* text, size_t end, size_t* pos)
{
    const size_t i = *pos;
    const uint8_t b = text[i];
    auto cont = [&](size_t n)
    {
        if (i + n >= end) return false;
        for (size_t j = 1; j <= n; ++j)
            if ((text[i + j] & 0xC0) != 0x80) return false;
        return true;
    };
    if (b >= 0xC2 && b <= 0xDF && cont(1))
    {
        *pos = i + 2;
        return uint32_t(b & 0x1F) << 6 | (text[i + 1] & 0x3F);
    }
    if (b >= 0xE0 && b <= 0xEF && cont(2))
    {
        *pos = i + 3;
        return uint32_t(b & 0x0F) << 12 | uint32_t(text[i + 1] & 0x3F) << 6 | (text[i + 2] & 0x3F);
    }
    if (b >= 0xF0 && b <= 0xF4 && cont(3))
    {
        // Beyond the 16-bit range the glyph cache keeps: one space.
        *pos = i + 4;
        return kSpace;
    }
    *pos = i + 1;
    return b;
}

// The one place that decides between the system's own text drawing and the glyph cache.
bool PIX_CachedFont::TakesNativePath(uint32_t flags) const
{
    if (!systemFont || !PIX_PlatformHasNativeText()) return false;
    if (lineHeight > kMaxNativeLineHeight) return true;
    const int32_t otherRenderFlags =
        fontFlags & ~(PIX_FONT_NATIVE_ALLOWED | PIX_FONT_OWNS_SYSTEM_FONT | PIX_FONT_PRERENDER_ASCII);
    return (fontFlags & PIX_FONT_NATIVE_ALLOWED) && otherRenderFlags == 0 &&
           (extraLineSpacing == 0 || (flags & PIX_TEXT_SINGLE_LINE)) && !(flags & PIX_TEXT_USE_ALPHA) &&
           !UnderWine();
}

int32_t PIX_CachedFont::DrawNative(PIX_IBitmap* bitmap, const char* text, int32_t length, PIX_Rect* rect,
                                   uint32_t flags)
{
    if (!bitmap || bitmap->DrawingContext() || (flags & PIX_TEXT_MEASURE_ONLY))
        return PIX_PlatformDrawText(systemFont, bitmap, text, length, rect, flags, textColour, backMode,
                                    backColour);
    // No context of its own: draw over a copy of the area in the scratch bitmap and copy it back.
    const int32_t w = rect->right - rect->left, h = rect->bottom - rect->top;
    if (w <= 0 || h <= 0) return 0;
    PIX_SysBitmap* scratch = EnsureScratch(gNativeScratch, w, h);
    if (!scratch) return 0;
    Blit(scratch, bitmap, 0, 0, rect->left, rect->top, w, h, 1.0f, PIX_MODE_COPY);
    PIX_Rect local{0, 0, w, h};
    const int32_t result = PIX_PlatformDrawText(systemFont, scratch, text, length, &local, flags, textColour,
                                                backMode, backColour);
    Blit(bitmap, scratch, rect->left, rect->top, 0, 0, w, h, combineOpacity, PIX_MODE_COPY);
    return result;
}

PIX_CachedFont::Glyph* PIX_CachedFont::RecordFor(uint32_t character)
{
    if (character < 128) return &lowGlyphs[character];
    int32_t lo = 0, hi = highCount;
    while (lo < hi)
    {
        const int32_t mid = (lo + hi) / 2;
        if (highGlyphs[mid].code < character)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo < highCount && highGlyphs[lo].code == character) return &highGlyphs[lo];
    void* block = highGlyphs;
    if (!Grow(block, highCapacity, int64_t(highCount + 1) * int64_t(sizeof(Glyph)), kHighGlyphStepBytes))
        return nullptr;
    highGlyphs = static_cast<Glyph*>(block);
    // Appended and moved into place: the list stays sorted by code.
    std::memmove(highGlyphs + lo + 1, highGlyphs + lo, size_t(highCount - lo) * sizeof(Glyph));
    highGlyphs[lo] = Glyph{0, 0, 0, 0, character, 0};
    ++highCount;
    return &highGlyphs[lo];
}

const PIX_CachedFont::Glyph* PIX_CachedFont::FindGlyph(uint32_t character)
{
    Glyph* g = RecordFor(character);
    if (g && g->offset == 0) RenderGlyph(*g);
    return g;
}

const uint8_t* PIX_CachedFont::Coverage(const Glyph& glyph) const
{
    return glyph.offset > 0 ? coverage + (glyph.offset - 1) : nullptr;
}

void PIX_CachedFont::RenderGlyph(Glyph& g)
{
    g.offset = -1;
    g.maskWidth = g.maskHeight = g.advance = g.leftOffset = 0;
    if (!systemFont || lineHeight > kMaxGlyphLineHeight) return;
    const int32_t size = 2 * (lineHeight > 1 ? lineHeight : 1) + 8;
    PIX_SysBitmap* scratch = EnsureScratch(gGlyphScratch, size, size);
    if (!scratch) return;

    const int32_t m = lineHeight < 16 ? 0 : lineHeight / 16;
    int32_t mw = 0, mh = 0;
    if (!PIX_FontCharExtent(systemFont, *scratch, g.code, &mw, &mh) || mw < 1 || mh < 1) return;
    // A glyph wider than the scratch bitmap is cut at its edge.
    int32_t cellW = mw + 2 * m + 4, cellH = mh;
    if (cellW > scratch->PixelWidth()) cellW = scratch->PixelWidth();
    if (cellH > scratch->PixelHeight()) cellH = scratch->PixelHeight();
    FillRect(scratch, 0, 0, cellW, cellH, 0xFF000000u, 1.0f, PIX_MODE_COPY);
    PIX_FontDrawChar(systemFont, *scratch, m + 2, 0, g.code);

    const uint32_t* pixels = scratch->PixelData();
    const int32_t span = scratch->RowSpanPixels();
    auto covered = [&](int32_t x)
    {
        for (int32_t y = 0; y < cellH; ++y)
            if ((pixels[int64_t(y) * span + x] >> 16) & 0xFF) return true;
        return false;
    };
    int32_t first = m + 2 < cellW ? m + 2 : cellW;
    for (int32_t x = 0; x < first; ++x)
        if (covered(x))
        {
            first = x;
            break;
        }
    int32_t end = mw + m + 2 < cellW ? mw + m + 2 : cellW;
    for (int32_t x = cellW - 1; x >= end; --x)
        if (covered(x))
        {
            end = x + 1;
            break;
        }
    const int32_t maskW = end - first;
    if (maskW < 1) return;
    void* block = coverage;
    if (!Grow(block, coverageCapacity, int64_t(coverageUsed) + int64_t(maskW) * cellH, kCoverageStepBytes))
        return;
    coverage = static_cast<uint8_t*>(block);
    uint8_t* out = coverage + coverageUsed;
    for (int32_t y = 0; y < cellH; ++y)
        for (int32_t x = first; x < end; ++x)
            *out++ = uint8_t(pixels[int64_t(y) * span + x] >> 16);
    g.offset = coverageUsed + 1;
    g.maskWidth = maskW;
    g.maskHeight = cellH;
    g.advance = mw;
    g.leftOffset = m + 2 - first;
    coverageUsed += maskW * cellH;
}

void PIX_CachedFont::Measure(const uint8_t* text, size_t length, uint32_t flags, int32_t* width,
                             int32_t* height)
{
    int64_t line = 0, widest = 0, total = lineHeight;
    for (size_t pos = 0; pos < length;)
    {
        uint32_t c = DecodeUtf8(text, length, &pos);
        if (c == '\r') continue;
        if (c == '\n')
        {
            if (!(flags & PIX_TEXT_SINGLE_LINE))
            {
                if (line > widest) widest = line;
                line = 0;
                total += lineHeight + extraLineSpacing;
                continue;
            }
            c = kSpace;
        }
        const Glyph* g = FindGlyph(c);
        if (g) line += g->advance;
    }
    if (line > widest) widest = line;
    *width = widest > INT32_MAX ? INT32_MAX : int32_t(widest);
    *height = total > INT32_MAX ? INT32_MAX : int32_t(total);
}

int32_t PIX_CachedFont::DrawTextInto(PIX_IBitmap* bitmap, const char* text, int32_t length, PIX_Rect* rect,
                                     uint32_t flags)
{
    if (!bitmap && !(flags & PIX_TEXT_MEASURE_ONLY)) return 0;
    if (!text || !rect) return 0;
    if (TakesNativePath(flags)) return DrawNative(bitmap, text, length, rect, flags);

    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text);
    const size_t count = length >= 0 ? size_t(length) : std::strlen(text);
    int32_t textW = 0, textH = 0;
    if (flags & PIX_TEXT_MEASURE_ONLY)
    {
        Measure(bytes, count, flags, &textW, &textH);
        rect->right =
            int32_t(int64_t(rect->left) + textW > INT32_MAX ? INT32_MAX : rect->left + int64_t(textW));
        rect->bottom =
            int32_t(int64_t(rect->top) + textH > INT32_MAX ? INT32_MAX : rect->top + int64_t(textH));
        return textH;
    }

    float opacity = combineOpacity;
    if (flags & PIX_TEXT_USE_ALPHA) opacity *= float(textColour >> 24) / 255.0f;
    if (!(opacity > 0.0f)) return 0;

    int64_t x = rect->left, y = rect->top;
    if (flags & (PIX_TEXT_CENTRE | PIX_TEXT_RIGHT | PIX_TEXT_VCENTRE | PIX_TEXT_BOTTOM))
    {
        Measure(bytes, count, flags, &textW, &textH);
        if (flags & PIX_TEXT_CENTRE)
            x = rect->left + (int64_t(rect->right) - rect->left - textW) / 2;
        else if (flags & PIX_TEXT_RIGHT)
            x = int64_t(rect->right) - textW;
        if (flags & PIX_TEXT_VCENTRE)
            y = rect->top + (int64_t(rect->bottom) - rect->top - textH) / 2;
        else if (flags & PIX_TEXT_BOTTOM)
            y = int64_t(rect->bottom) - textH;
    }

    PIX_Rect clip{0, 0, bitmap->PixelWidth(), bitmap->PixelHeight()};
    if (!(flags & PIX_TEXT_NO_CLIP))
    {
        clip = {rect->left < 0 ? 0 : rect->left, rect->top < 0 ? 0 : rect->top,
                rect->right < clip.right ? rect->right : clip.right,
                rect->bottom < clip.bottom ? rect->bottom : clip.bottom};
        if (clip.left >= bitmap->PixelWidth() || clip.top >= bitmap->PixelHeight()) return 0;
    }

    const int64_t startX = x, startY = y;
    for (size_t pos = 0; pos < count;)
    {
        uint32_t c = DecodeUtf8(bytes, count, &pos);
        if (c == '\r') continue;
        if (c == '\n')
        {
            if (!(flags & PIX_TEXT_SINGLE_LINE))
            {
                x = startX;
                y += lineHeight + extraLineSpacing;
                continue;
            }
            c = kSpace;
        }
        const Glyph* g = FindGlyph(c);
        if (!g) continue;
        if (g->offset > 0) DrawGlyphAt(bitmap, *g, x, y, clip, opacity);
        x += g->advance;
    }
    return int32_t(y - startY + lineHeight);
}

bool PIX_CachedFont::DrawGlyph(PIX_IBitmap* bitmap, uint32_t character, int32_t x, int32_t y,
                               const PIX_Rect& clip)
{
    const Glyph* g = bitmap ? FindGlyph(character) : nullptr;
    if (!g || g->offset <= 0) return false;
    return DrawGlyphAt(bitmap, *g, x, y, clip, combineOpacity);
}

bool PIX_CachedFont::DrawGlyphAt(PIX_IBitmap* bitmap, const Glyph& g, int64_t x, int64_t y,
                                 const PIX_Rect& clip, float opacity)
{
    uint32_t* pixels = bitmap->PixelData();
    if (!pixels) return false;
    // The mask's box, clipped to the clip rectangle and the bitmap.
    const int64_t mx = x - g.leftOffset, my = y;
    int64_t l = mx, t = my, r = mx + g.maskWidth, b = my + g.maskHeight;
    if (l < clip.left) l = clip.left;
    if (t < clip.top) t = clip.top;
    if (r > clip.right) r = clip.right;
    if (b > clip.bottom) b = clip.bottom;
    if (l < 0) l = 0;
    if (t < 0) t = 0;
    if (r > bitmap->PixelWidth()) r = bitmap->PixelWidth();
    if (b > bitmap->PixelHeight()) b = bitmap->PixelHeight();
    if (l >= r || t >= b) return false;

    if (backMode == PIX_BACK_OPAQUE)
        FillRect(bitmap, int32_t(l), int32_t(t), int32_t(r - l), int32_t(b - t), backColour, combineOpacity,
                 combineMode & ~PIX_MODE_SRC_ALPHA);

    int32_t k = opacity >= 1.0f ? 256 : (opacity > 0.0f ? int32_t(opacity * 256.0f) : 0);
    if (k <= 0) return true;
    const int32_t span = bitmap->RowSpanPixels();
    const uint8_t* mask = Coverage(g);
    for (int64_t py = t; py < b; ++py)
        pix::BlendGlyphRow(pixels + py * span + l, mask + (py - my) * g.maskWidth + (l - mx), int32_t(r - l),
                           textColour, k);
    return true;
}
