#pragma once
// A bitmap in plain memory: rows start 64-byte aligned and the row span is the width rounded up to the
// line alignment. Growth over-allocates by a quarter; shrinking keeps the buffer.
#include "drawing/PIX_IBitmap.h"

class PIX_MemBitmap : public PIX_IBitmap
{
public:
    // Alignment in pixels; only its lowest set bit counts, at most 16. Storage is allocated at once
    // when both sizes are positive; a failed allocation leaves a 0 x 0 bitmap.
    PIX_MemBitmap(int32_t width = 0, int32_t height = 0, int32_t lineAlignment = 1);
    ~PIX_MemBitmap() override;
    PIX_MemBitmap(const PIX_MemBitmap&) = delete;
    PIX_MemBitmap& operator=(const PIX_MemBitmap&) = delete;

    uint32_t* PixelData() override;
    int32_t PixelWidth() const override { return width; }
    int32_t PixelHeight() const override { return height; }
    int32_t RowSpanPixels() const override { return (width + alignMask) & ~alignMask; }
    bool IsBottomUp() const override { return false; }
    bool ResizeTo(int32_t width, int32_t height) override;
    PIX_DrawingContext DrawingContext() override { return nullptr; }
    intptr_t ExtensionQuery(int32_t, intptr_t) override { return 0; }

    // Bytes allocated for pixels (without the alignment slack); for tests and diagnostics.
    int32_t AllocatedBytes() const { return allocatedBytes; }

private:
    void* raw = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t allocatedBytes = 0;
    int32_t alignMask = 0;
};
