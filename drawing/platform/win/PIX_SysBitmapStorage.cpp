// Windows storage: a memory drawing context compatible with the screen, holding a 32-bit top-down DIB
// section, so the window copies the back buffer with one call and GDI text lands in the same pixels.
#include "drawing/platform/PIX_SysBitmapStorage.h"

#include <windows.h>

namespace PIX_SysBitmapStorage
{
void* CreateContext()
{
    return CreateCompatibleDC(nullptr);
}

void DeleteContext(void* context)
{
    if (context) DeleteDC(static_cast<HDC>(context));
}

void* CreateSection(void* context, int32_t width, int32_t height, uint32_t** pixels, void** previous)
{
    *previous = nullptr;
    *pixels = nullptr;
    if (!context || width <= 0 || height <= 0 || int64_t(width) * height > INT32_MAX / 4) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // negative: rows top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(static_cast<HDC>(context), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section || !bits)
    {
        if (section) DeleteObject(section);
        return nullptr;
    }
    HGDIOBJ old = SelectObject(static_cast<HDC>(context), section);
    if (!old || old == HGDI_ERROR)
    {
        DeleteObject(section);
        return nullptr;
    }
    *previous = old;
    *pixels = static_cast<uint32_t*>(bits);
    return section;
}

void DeleteSection(void* context, void* section, void* previous)
{
    if (context && previous) SelectObject(static_cast<HDC>(context), static_cast<HGDIOBJ>(previous));
    if (section) DeleteObject(static_cast<HBITMAP>(section));
}

PIX_DrawingContext PublicContext(void* context)
{
    return context;
}
} // namespace PIX_SysBitmapStorage
