#pragma once
// Writes small PNG files of every kind the loader must read, with libpng itself.
#include <cstdint>
#include <vector>

struct PngImage
{
    int32_t width;
    int32_t height;
    int colourType; // PNG_COLOR_TYPE_*
    int bitDepth;
    std::vector<uint8_t> rows;              // packed rows as PNG stores them, height x rowbytes
    std::vector<uint8_t> palette = {};      // r, g, b triples
    std::vector<uint8_t> transparency = {}; // tRNS: palette alphas, or a 16-bit grey / rgb value
    bool interlaced = false;
};

std::vector<uint8_t> WritePng(const PngImage& image);
