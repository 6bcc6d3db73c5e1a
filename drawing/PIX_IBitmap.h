#pragma once
// The bitmap interface every pixel operation works on. Pixels are 32-bit 0xAARRGGBB words stored
// little-endian (bytes blue, green, red, alpha), not premultiplied, rows top-down; the row span is
// counted in pixels and may exceed the width. The virtual operations keep this order.
#include <cstdint>

// Opaque system handles: a drawing context (a device context on Windows), a system font and a module
// instance. Null where the platform has none.
using PIX_DrawingContext = void*;
using PIX_FontHandle = void*;
using PIX_ModuleHandle = void*;

class PIX_IBitmap
{
public:
    virtual ~PIX_IBitmap() = default;
    // Pixel 0 of row 0; null when the bitmap has no storage.
    virtual uint32_t* PixelData() = 0;
    virtual int32_t PixelWidth() const = 0;
    virtual int32_t PixelHeight() const = 0;
    virtual int32_t RowSpanPixels() const = 0;
    virtual bool IsBottomUp() const = 0;
    // True when the size changed.
    virtual bool ResizeTo(int32_t width, int32_t height) = 0;
    virtual PIX_DrawingContext DrawingContext() = 0;
    virtual intptr_t ExtensionQuery(int32_t code, intptr_t argument) = 0;
};

// Rectangle of the text calls, laid out like the editor's area (left, top, right, bottom).
struct PIX_Rect
{
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};
