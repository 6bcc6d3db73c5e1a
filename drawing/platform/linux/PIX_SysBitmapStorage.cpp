// Linux stand-in for the DIB section: pixels in plain 64-byte aligned memory. There is no drawing
// context until a window layer needs one, so the public handle is null; the context object only marks
// a usable bitmap.
#include "drawing/platform/PIX_SysBitmapStorage.h"

#include <cstdlib>
#include <new>

namespace
{
struct Context
{
    int32_t unused;
};
} // namespace

namespace PIX_SysBitmapStorage
{
void* CreateContext()
{
    return new (std::nothrow) Context{0};
}

void DeleteContext(void* context)
{
    delete static_cast<Context*>(context);
}

void* CreateSection(void*, int32_t width, int32_t height, uint32_t** pixels, void** previous)
{
    *previous = nullptr;
    *pixels = nullptr;
    size_t bytes = size_t(width) * size_t(height) * 4;
    if (width <= 0 || height <= 0 || bytes / 4 / size_t(width) != size_t(height)) return nullptr;
    void* p = std::aligned_alloc(64, (bytes + 63) & ~size_t(63));
    *pixels = static_cast<uint32_t*>(p);
    return p;
}

void DeleteSection(void*, void* section, void*)
{
    std::free(section);
}

PIX_DrawingContext PublicContext(void*)
{
    return nullptr;
}
} // namespace PIX_SysBitmapStorage
