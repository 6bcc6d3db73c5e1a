#pragma once
// The glyph blend of cached-font text, one row of coverage at a time (library-internal). Every
// covered pixel moves toward the solid text colour by its weight h, bytes in 16-bit arithmetic:
// d' = t + (d - t) x h / 256 truncated toward zero, with t = the colour's bytes and alpha 255 (the colour's
// own alpha is not used), and h = 255 - v at full opacity k = 256, else 256 - min(256, k v / 256). Uncovered
// pixels (v = 0) stay; h = 0 writes the colour itself.
#include <cstdint>

namespace pix
{
void BlendGlyphRow(uint32_t* pixels, const uint8_t* coverage, int32_t count, uint32_t colour, int32_t k);
} // namespace pix
