// libFuzzer target: any bytes given to the PNG loader either decode into a bitmap of the declared size
// or give none, without crashing or leaking.
#include "drawing/PIX_MemBitmap.h"
#include "drawing/PIX_Png.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PIX_IBitmap* bm = LoadPngFromMemory(data, size, nullptr);
    if (bm)
    {
        // Every pixel of every row must be addressable.
        const int32_t w = bm->PixelWidth(), h = bm->PixelHeight();
        if (w <= 0 || h <= 0 || !bm->PixelData() || bm->RowSpanPixels() < w) std::abort();
        uint32_t sum = 0;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                sum += bm->PixelData()[size_t(y) * size_t(bm->RowSpanPixels()) + size_t(x)];
        volatile uint32_t sink = sum;
        (void)sink;
        delete bm;
    }
    // The same bytes decoded into an existing bitmap.
    PIX_MemBitmap target(3, 3, 4);
    LoadPngFromMemory(data, size, &target);
    return 0;
}
