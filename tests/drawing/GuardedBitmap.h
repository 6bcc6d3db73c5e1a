#pragma once
// A test bitmap with guard rows above and below and guard columns right of every row: any write
// outside the pixels shows up in GuardsIntact().
#include "drawing/PIX_IBitmap.h"

#include <cstddef>
#include <vector>

class GuardedBitmap : public PIX_IBitmap
{
public:
    static constexpr uint32_t kGuard = 0xDEADBEEFu;
    static constexpr int32_t kGuardRows = 4;
    static constexpr int32_t kGuardColumns = 5;

    GuardedBitmap(int32_t width, int32_t height, uint32_t fill = 0)
        : w(width), h(height), span(width + kGuardColumns),
          storage(size_t(span) * size_t(height + 2 * kGuardRows), kGuard)
    {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                At(x, y) = fill;
    }

    uint32_t* PixelData() override { return storage.data() + size_t(kGuardRows) * span; }
    int32_t PixelWidth() const override { return w; }
    int32_t PixelHeight() const override { return h; }
    int32_t RowSpanPixels() const override { return span; }
    bool IsBottomUp() const override { return false; }
    bool ResizeTo(int32_t, int32_t) override { return false; }
    PIX_DrawingContext DrawingContext() override { return nullptr; }
    intptr_t ExtensionQuery(int32_t, intptr_t) override { return 0; }

    uint32_t& At(int32_t x, int32_t y) { return PixelData()[size_t(y) * span + x]; }

    bool GuardsIntact() const
    {
        for (int32_t y = 0; y < h + 2 * kGuardRows; ++y)
            for (int32_t x = 0; x < span; ++x)
            {
                const bool inside = y >= kGuardRows && y < kGuardRows + h && x < w;
                if (!inside && storage[size_t(y) * span + x] != kGuard) return false;
            }
        return true;
    }

    // Pixels that differ from fill.
    int32_t CountNot(uint32_t fill)
    {
        int32_t n = 0;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                n += At(x, y) != fill;
        return n;
    }

private:
    int32_t w, h, span;
    std::vector<uint32_t> storage;
};
