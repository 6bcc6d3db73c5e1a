// PNG decoding with libpng. Everything that lives across the long jump of libpng's error return is a
// plain pointer declared volatile; no object with a destructor is in scope there.
#include "drawing/PIX_Png.h"

#include "drawing/PIX_MemBitmap.h"
#include "drawing/PIX_Resources.h"

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <new>
#include <png.h>

namespace
{
struct MemorySource
{
    const unsigned char* next;
    size_t remaining;
};

// Reads past the end supply zero bytes; libpng then finds the damage itself (CRC, zlib, lengths).
void ReadFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    std::memset(out, 0, count);
    size_t n = count < source->remaining ? count : source->remaining;
    std::memcpy(out, source->next, n);
    source->next += n;
    source->remaining -= n;
}

// Bytes alpha, red, green, blue in memory become the word 0xAARRGGBB stored little-endian.
void ArgbBytesToWords(PIX_IBitmap* bitmap, int32_t width, int32_t height)
{
    uint32_t* row = bitmap->PixelData();
    for (int32_t y = 0; y < height; ++y, row += bitmap->RowSpanPixels())
        for (int32_t x = 0; x < width; ++x)
        {
            unsigned char* p = reinterpret_cast<unsigned char*>(row + x);
            row[x] = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
        }
}
} // namespace

PIX_IBitmap* LoadPngFromMemory(const void* data, size_t size, PIX_IBitmap* destination)
{
    if (!data || size < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) return nullptr;

    png_structp png = png_create_read_struct("1.6.21", nullptr, nullptr, nullptr);
    if (!png) return nullptr;
    png_infop info = png_create_info_struct(png);
    if (!info)
    {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return nullptr;
    }

    MemorySource source{static_cast<const unsigned char*>(data), size};
    PIX_IBitmap* volatile created = nullptr;
    png_bytep* volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png)))
    {
        std::free(rows);
        png_destroy_read_struct(&png, &info, nullptr);
        delete created;
        return nullptr;
    }
    png_set_read_fn(png, &source, ReadFromMemory);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);

    if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colour == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
    {
        png_set_tRNS_to_alpha(png);
        colour |= PNG_COLOR_MASK_ALPHA;
    }
    if (depth == 16) png_set_strip_16(png);
    if (depth < 8) png_set_packing(png);
    if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (colour & PNG_COLOR_MASK_ALPHA)
        png_set_swap_alpha(png);
    else
        png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);

    // libpng refuses sizes above its limits (and 0) while reading the header, so both fit an int32.
    const int32_t w = int32_t(width), h = int32_t(height);
    PIX_IBitmap* bitmap = destination;
    if (bitmap)
        bitmap->ResizeTo(w, h);
    else
    {
        created = new (std::nothrow) PIX_MemBitmap(w, h, 4);
        bitmap = created;
    }
    if (!bitmap || bitmap->PixelWidth() != w || bitmap->PixelHeight() != h || !bitmap->PixelData())
    {
        png_destroy_read_struct(&png, &info, nullptr);
        delete created;
        return nullptr;
    }

    rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * size_t(h)));
    if (!rows)
    {
        png_destroy_read_struct(&png, &info, nullptr);
        delete created;
        return nullptr;
    }
    for (int32_t i = 0; i < h; ++i)
        rows[i] =
            reinterpret_cast<png_bytep>(bitmap->PixelData() + size_t(i) * size_t(bitmap->RowSpanPixels()));
    png_read_image(png, rows);

    std::free(rows);
    png_destroy_read_struct(&png, &info, nullptr);
    ArgbBytesToWords(bitmap, w, h);
    return bitmap;
}

PIX_IBitmap* LoadPngResource(PIX_ModuleHandle module, int32_t id, PIX_IBitmap* destination)
{
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!PIX_FindResource(module, id, &data, &size) || !data || size < 8) return nullptr;
    return LoadPngFromMemory(data, size, destination);
}
