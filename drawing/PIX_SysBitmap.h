#pragma once
// A bitmap the window can copy to the screen in one call: on Windows a 32-bit top-down DIB section
// selected into a memory drawing context. Its storage comes from the platform layer
// (drawing/platform/<os>/PIX_SysBitmapStorage.cpp); the allocated width is rounded up to a multiple of 4.
#include "drawing/PIX_IBitmap.h"

class PIX_SysBitmap : public PIX_IBitmap
{
public:
    PIX_SysBitmap(int32_t width = 0, int32_t height = 0);
    ~PIX_SysBitmap() override;
    PIX_SysBitmap(const PIX_SysBitmap&) = delete;
    PIX_SysBitmap& operator=(const PIX_SysBitmap&) = delete;

    uint32_t* PixelData() override { return pixels; }
    int32_t PixelWidth() const override { return width; }
    int32_t PixelHeight() const override { return height; }
    int32_t RowSpanPixels() const override { return allocWidth; }
    bool IsBottomUp() const override { return false; }
    bool ResizeTo(int32_t width, int32_t height) override;
    // The context the system draws into; null on platforms without one (Linux keeps plain memory).
    PIX_DrawingContext DrawingContext() override;
    intptr_t ExtensionQuery(int32_t, intptr_t) override { return 0; }

private:
    int32_t width = 0;
    int32_t height = 0;
    void* context = nullptr; // platform context object, owned
    uint32_t* pixels = nullptr;
    int32_t allocWidth = 0;
    int32_t allocHeight = 0;
    void* section = nullptr;  // platform section, owned
    void* previous = nullptr; // object selected into the context before the section
};
