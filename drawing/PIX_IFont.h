#pragma once
// The font interface: draws UTF-8 text into a bitmap. The virtual operations keep this order.
#include "drawing/PIX_IBitmap.h"

// Font flags.
enum : int32_t
{
    PIX_FONT_PRERENDER_ASCII = 0x4, // render glyphs 0..127 as soon as the system font is set
    PIX_FONT_OWNS_SYSTEM_FONT = 0x200,
    PIX_FONT_NATIVE_ALLOWED = 0x400,
};

// Draw flags; the first six equal the system's text-drawing flags of the same meaning.
enum : uint32_t
{
    PIX_TEXT_CENTRE = 0x1,
    PIX_TEXT_RIGHT = 0x2,
    PIX_TEXT_VCENTRE = 0x4,
    PIX_TEXT_BOTTOM = 0x8,
    PIX_TEXT_SINGLE_LINE = 0x20,
    PIX_TEXT_NO_CLIP = 0x100,
    PIX_TEXT_MEASURE_ONLY = 0x400,
    PIX_TEXT_NO_PREFIX = 0x800,
    PIX_TEXT_USE_ALPHA = 0x40000000,
};

// Background modes.
enum : int32_t
{
    PIX_BACK_TRANSPARENT = 1,
    PIX_BACK_OPAQUE = 2,
};

class PIX_IFont
{
public:
    virtual ~PIX_IFont() = default;
    virtual void SetSystemFont(PIX_FontHandle font, int32_t flags) = 0;
    // Each setter answers the previous value.
    virtual uint32_t SetTextColour(uint32_t colour) = 0;
    virtual uint32_t SetBackColour(uint32_t colour) = 0;
    virtual uint32_t SetEffectColour(uint32_t colour) = 0;
    virtual int32_t SetBackMode(int32_t mode) = 0;
    virtual void SetCombineMode(int32_t mode, float opacity) = 0;
    // length -1 reads to the terminating zero. With PIX_TEXT_MEASURE_ONLY the rectangle's right and
    // bottom become the text's extent. Answers the height of the text.
    virtual int32_t DrawTextInto(PIX_IBitmap* bitmap, const char* text, int32_t length, PIX_Rect* rect,
                                 uint32_t flags) = 0;
    virtual uint32_t TextColour() const = 0;
    virtual PIX_FontHandle SystemFont() const = 0;
    virtual int32_t LineHeight() const = 0;
    virtual bool DrawGlyph(PIX_IBitmap* bitmap, uint32_t character, int32_t x, int32_t y,
                           const PIX_Rect& clip) = 0;
};
