#include "drawing/PIX_Blit.h"

#include "drawing/PIX_Combine.h"

namespace
{
template <typename F> void ForEachPixel(uint32_t* p, int32_t span, int32_t width, int32_t height, F f)
{
    for (int32_t y = 0; y < height; ++y, p += span)
        for (int32_t x = 0; x < width; ++x)
            p[x] = f(p[x]);
}
} // namespace

void FillRect(PIX_IBitmap* destination, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour,
              float opacity, int32_t mode)
{
    if (!destination) return;
    if (mode & PIX_MODE_SRC_ALPHA) opacity *= float(colour >> 24) * 0.003921569f;

    int64_t l = x, t = y, w = width, h = height;
    if (l < 0)
    {
        w += l;
        l = 0;
    }
    if (t < 0)
    {
        h += t;
        t = 0;
    }
    uint32_t* pixels = destination->PixelData();
    const int64_t bw = destination->PixelWidth(), bh = destination->PixelHeight();
    if (opacity == 0.0f || !pixels || w <= 0 || h <= 0 || l >= bw || t >= bh) return;
    if (w > bw - l) w = bw - l;
    if (h > bh - t) h = bh - t;
    // Other operations are not provided.
    if ((mode & PIX_MODE_OP_MASK) != PIX_MODE_COPY) return;

    const int32_t span = destination->RowSpanPixels();
    uint32_t* p = pixels + t * span + l;
    const int32_t cw = int32_t(w), chh = int32_t(h);
    const int32_t k = pix::OpacityTrunc(opacity);
    const uint32_t c = colour;
    switch (k)
    {
    case 0:
        return;
    case 256:
        return ForEachPixel(p, span, cw, chh, [c](uint32_t) { return c; });
    case 128:
        return ForEachPixel(p, span, cw, chh,
                            [c](uint32_t d) { return ((c >> 1) & 0x7F7F7F7Fu) + ((d >> 1) & 0x7F7F7F7Fu); });
    case 64:
        return ForEachPixel(
            p, span, cw, chh,
            [c](uint32_t d)
            { return ((d >> 1) & 0x7F7F7F7Fu) + ((d >> 2) & 0x3F3F3F3Fu) + ((c >> 2) & 0x3F3F3F3Fu); });
    case 192:
        return ForEachPixel(
            p, span, cw, chh,
            [c](uint32_t d)
            { return ((c >> 1) & 0x7F7F7F7Fu) + ((c >> 2) & 0x3F3F3F3Fu) + ((d >> 2) & 0x3F3F3F3Fu); });
    default:
    {
        // Byte by byte (blue, green, red, alpha in memory), so that the compiler keeps 16 pixels in a
        // vector. The alpha byte moves toward k itself, not toward the colour's alpha.
        const uint16_t inv = uint16_t(256 - k);
        const uint8_t cr = uint8_t(c >> 16), cg = uint8_t(c >> 8), cb = uint8_t(c), ka = uint8_t(k);
        for (int32_t row = 0; row < chh; ++row)
        {
            uint8_t* q = reinterpret_cast<uint8_t*>(p + int64_t(row) * span);
            for (int32_t i = 0; i < cw * 4; i += 4)
            {
                q[i] = pix::TowardByte(q[i], cb, inv);
                q[i + 1] = pix::TowardByte(q[i + 1], cg, inv);
                q[i + 2] = pix::TowardByte(q[i + 2], cr, inv);
                q[i + 3] = pix::TowardByte(q[i + 3], ka, inv);
            }
        }
        return;
    }
    }
}
