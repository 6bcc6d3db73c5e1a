#include "PngWriter.h"

#include <png.h>

namespace
{
void Append(png_structp png, png_bytep data, png_size_t n)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
} // namespace

std::vector<uint8_t> WritePng(const PngImage& image)
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows(size_t(image.height));
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, Append, nullptr);
    png_set_IHDR(png, info, uint32_t(image.width), uint32_t(image.height), image.bitDepth, image.colourType,
                 image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (size_t i = 0; i + 2 < image.palette.size(); i += 3)
        palette.push_back({image.palette[i], image.palette[i + 1], image.palette[i + 2]});
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
    if (!image.transparency.empty())
    {
        if (image.colourType == PNG_COLOR_TYPE_PALETTE)
            png_set_tRNS(png, info, image.transparency.data(), int(image.transparency.size()), nullptr);
        else
        {
            png_color_16 value{};
            auto v16 = [&](size_t i)
            { return png_uint_16(image.transparency[i] << 8 | image.transparency[i + 1]); };
            if (image.colourType == PNG_COLOR_TYPE_GRAY)
                value.gray = v16(0);
            else
            {
                value.red = v16(0);
                value.green = v16(2);
                value.blue = v16(4);
            }
            png_set_tRNS(png, info, nullptr, 0, &value);
        }
    }
    png_write_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    for (int32_t y = 0; y < image.height; ++y)
        rows[size_t(y)] = const_cast<png_bytep>(image.rows.data() + size_t(y) * rowBytes);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}
