#pragma once
// The system font layer: the few services of the operating system's fonts the text code needs. One body
// per platform (drawing/platform/<os>/PIX_FontLayer.cpp): GDI on Windows, FreeType and fontconfig on
// Linux, where "Arial" and "Verdana" resolve to the installed metric-compatible faces.
#include "drawing/PIX_IBitmap.h"

class PIX_SysBitmap;

// Quality values as the system's font creation takes them.
enum : int32_t
{
    PIX_QUALITY_DEFAULT = 0,
    PIX_QUALITY_NONANTIALIASED = 3, // hinted 1-bit glyphs
    PIX_QUALITY_ANTIALIASED = 4,
    PIX_QUALITY_CLEARTYPE = 5,
};

struct PIX_FontSpec
{
    const char* face;   // family name, e.g. "Arial"
    int32_t height;     // > 0: cell height in pixels; < 0: character (em) height; 0: a default size
    int32_t width;      // 0: the face's own proportions
    int32_t escapement; // tenths of a degree (not supported by every layer)
    int32_t weight;     // 400 normal, 700 bold
    bool italic;
    int32_t quality;
};

// Creates a system font; null when none can be made. The caller deletes it.
PIX_FontHandle PIX_CreateSystemFont(const PIX_FontSpec& request);
void PIX_DeleteSystemFont(PIX_FontHandle font);
// Cell height (ascent + descent) in pixels.
int32_t PIX_FontCellHeight(PIX_FontHandle font);
// Extent of one character drawn on a single line: advance width and cell height.
bool PIX_FontCharExtent(PIX_FontHandle font, PIX_SysBitmap& scratch, uint32_t character, int32_t* width,
                        int32_t* height);
// Draws one character white on black with its cell's top-left at (x, y) into the scratch bitmap,
// clipped to it. The coverage is then the red byte.
void PIX_FontDrawChar(PIX_FontHandle font, PIX_SysBitmap& scratch, int32_t x, int32_t y, uint32_t character);
// Writes a description of the face actually used ("Liberation Sans Bold, ...") for diagnostics.
void PIX_FontDescribe(PIX_FontHandle font, char* buffer, int32_t size);

// Native text drawing straight into a bitmap's drawing context. Platforms without it answer false and
// every draw takes the glyph path.
bool PIX_PlatformHasNativeText();
// Whether the program runs under Wine (asked once per process by the cached font).
bool PIX_PlatformProbeWine();
// Draws UTF-8 text natively into a bitmap with a drawing context; answers the drawn height.
int32_t PIX_PlatformDrawText(PIX_FontHandle font, PIX_IBitmap* bitmap, const char* text, int32_t length,
                             PIX_Rect* rect, uint32_t flags, uint32_t colour, int32_t backMode,
                             uint32_t backColour);
