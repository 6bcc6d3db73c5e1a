#include "drawing/PIX_SysBitmap.h"

#include "drawing/platform/PIX_SysBitmapStorage.h"

PIX_SysBitmap::PIX_SysBitmap(int32_t w, int32_t h) : context(PIX_SysBitmapStorage::CreateContext())
{
    ResizeTo(w, h);
}

PIX_SysBitmap::~PIX_SysBitmap()
{
    if (section) PIX_SysBitmapStorage::DeleteSection(context, section, previous);
    if (context) PIX_SysBitmapStorage::DeleteContext(context);
}

PIX_DrawingContext PIX_SysBitmap::DrawingContext()
{
    return context ? PIX_SysBitmapStorage::PublicContext(context) : nullptr;
}

bool PIX_SysBitmap::ResizeTo(int32_t w, int32_t h)
{
    if (!context)
    {
        width = height = 0;
        pixels = nullptr;
        return false;
    }
    if (w == width && h == height) return false;
    width = w;
    height = h;
    if (w > 0 && h > 0 && w <= allocWidth && h <= allocHeight && pixels) return true;

    // Rounded up to 4 pixels, as a DIB row; beyond int32 the section is simply not made.
    allocWidth = w > INT32_MAX - 3 ? 0 : (w + 3) & ~3;
    allocHeight = h;
    if (section) PIX_SysBitmapStorage::DeleteSection(context, section, previous);
    section = nullptr;
    previous = nullptr;
    pixels = nullptr;
    if (allocWidth < 1 || allocHeight < 1)
    {
        // A negative size must not stay behind as a size without pixels that callers might trust.
        width = height = 0;
        allocWidth = allocHeight = 0;
        return false;
    }
    section = PIX_SysBitmapStorage::CreateSection(context, allocWidth, allocHeight, &pixels, &previous);
    if (!section)
    {
        width = height = 0;
        allocWidth = allocHeight = 0;
        pixels = nullptr;
    }
    return true;
}
