#include "gui/PngWriter.h"

#include "drawing/PIX_IBitmap.h"

#include <png.h>

#include <cstdio>

bool WritePngFile(PIX_IBitmap* bitmap, const char* path)
{
    if (!bitmap || !path) return false;
    const uint32_t* pixels = bitmap->PixelData();
    const int32_t w = bitmap->PixelWidth();
    const int32_t h = bitmap->PixelHeight();
    if (!pixels || w <= 0 || h <= 0) return false;

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = PNG_FORMAT_BGRA; // the pixel word 0xAARRGGBB stored little-endian
    const int32_t stride = bitmap->RowSpanPixels() * 4;
    if (png_image_write_to_file(&image, path, 0, pixels, stride, nullptr)) return true;
    png_image_free(&image);
    std::remove(path);
    return false;
}
