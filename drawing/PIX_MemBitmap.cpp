#include "drawing/PIX_MemBitmap.h"

#include <cstdlib>

namespace
{
constexpr int32_t kRowAlignBytes = 64;

int32_t AlignMask(int32_t alignment)
{
    if (alignment < 2) return 0;
    int32_t lowest = alignment & -alignment;
    // A wider alignment than 16 pixels buys nothing and would no longer round the span.
    return (lowest > 16 ? 16 : lowest) - 1;
}

// Bytes for height rows of width pixels rounded up by the mask, or -1 when that does not fit an int32
// (with the quarter of growth and the alignment slack on top).
int32_t PixelBytes(int32_t width, int32_t mask, int32_t height)
{
    constexpr int64_t kLimit = INT32_MAX - kRowAlignBytes - INT32_MAX / 4;
    const int64_t span = (int64_t(width) + mask) & ~int64_t(mask);
    if (span * 4 > kLimit || height > kLimit / (span * 4)) return -1;
    return int32_t(span * height * 4);
}
} // namespace

PIX_MemBitmap::PIX_MemBitmap(int32_t w, int32_t h, int32_t lineAlignment)
    : alignMask(AlignMask(lineAlignment))
{
    if (w > 0 && h > 0) ResizeTo(w, h);
}

PIX_MemBitmap::~PIX_MemBitmap()
{
    std::free(raw);
}

uint32_t* PIX_MemBitmap::PixelData()
{
    if (!raw) return nullptr;
    uintptr_t p = (reinterpret_cast<uintptr_t>(raw) + (kRowAlignBytes - 1)) & ~uintptr_t(kRowAlignBytes - 1);
    return reinterpret_cast<uint32_t*>(p);
}

bool PIX_MemBitmap::ResizeTo(int32_t w, int32_t h)
{
    if (w == width && h == height) return false;
    width = w;
    height = h;
    int32_t bytes = (w > 0 && h > 0) ? PixelBytes(w, alignMask, h) : 0;
    if (bytes > 0)
    {
        if (!raw)
        {
            raw = std::malloc(size_t(bytes) + kRowAlignBytes - 1);
            allocatedBytes = raw ? bytes : 0;
        }
        else if (allocatedBytes < bytes)
        {
            int32_t grown = int32_t(int64_t(bytes) * 5 / 4);
            void* bigger = std::realloc(raw, size_t(grown) + kRowAlignBytes - 1);
            if (bigger)
            {
                raw = bigger;
                allocatedBytes = grown;
            }
            else
            {
                std::free(raw);
                raw = std::malloc(size_t(bytes) + kRowAlignBytes - 1);
                allocatedBytes = raw ? bytes : 0;
            }
        }
    }
    else
    {
        std::free(raw);
        raw = nullptr;
        allocatedBytes = 0;
    }
    if (!raw)
    {
        width = 0;
        height = 0;
    }
    return true;
}
