#include "drawing/PIX_Blit.h"

#include "drawing/PIX_Combine.h"

#include <cstring>

namespace
{
struct Span
{
    uint32_t* dst;
    const uint32_t* src;
    int32_t dstSpan;
    int32_t srcSpan;
    int32_t width;
    int32_t height;
};

template <pix::Op op> void CombineRows(const Span& r, int32_t k)
{
    uint32_t* d = r.dst;
    const uint32_t* s = r.src;
    for (int32_t y = 0; y < r.height; ++y, d += r.dstSpan, s += r.srcSpan)
        for (int32_t x = 0; x < r.width; ++x)
            d[x] = pix::Combine<op>(s[x], d[x], k);
}

// Opaque normal blits are mostly fully transparent or fully opaque pixels: test those first.
void NormalRowsOpaque(const Span& r)
{
    uint32_t* d = r.dst;
    const uint32_t* s = r.src;
    for (int32_t y = 0; y < r.height; ++y, d += r.dstSpan, s += r.srcSpan)
        for (int32_t x = 0; x < r.width; ++x)
        {
            const uint32_t sp = s[x];
            const uint32_t sa = sp >> 24;
            if (sa == 0) continue;
            d[x] = sa == 255 ? sp : pix::NormalMix(sp, d[x], 256);
        }
}
} // namespace

void Blit(PIX_IBitmap* destination, PIX_IBitmap* source, int32_t destX, int32_t destY, int32_t sourceX,
          int32_t sourceY, int32_t width, int32_t height, float opacity, int32_t mode)
{
    if (!destination || !source || opacity == 0.0f) return;

    // 64-bit so that no coordinate, however large, can wrap.
    int64_t sl = sourceX, st = sourceY;
    int64_t sr = int64_t(sourceX) + width, sb = int64_t(sourceY) + height;
    int64_t dx = destX, dy = destY;
    if (sr > source->PixelWidth()) sr = source->PixelWidth();
    if (sb > source->PixelHeight()) sb = source->PixelHeight();
    if (sl < 0)
    {
        dx -= sl;
        sl = 0;
    }
    if (st < 0)
    {
        dy -= st;
        st = 0;
    }
    if (dx < 0)
    {
        sl -= dx;
        dx = 0;
    }
    if (dy < 0)
    {
        st -= dy;
        dy = 0;
    }
    const int64_t dw = destination->PixelWidth(), dh = destination->PixelHeight();
    if (sl >= sr || st >= sb || dx >= dw || dy >= dh) return;
    const int64_t cw = dw - dx < sr - sl ? dw - dx : sr - sl;
    const int64_t ch = dh - dy < sb - st ? dh - dy : sb - st;
    uint32_t* dp = destination->PixelData();
    const uint32_t* sp = source->PixelData();
    if (!dp || !sp || cw <= 0 || ch <= 0) return;

    Span r{dp + dy * destination->RowSpanPixels() + dx,
           sp + st * source->RowSpanPixels() + sl,
           destination->RowSpanPixels(),
           source->RowSpanPixels(),
           int32_t(cw),
           int32_t(ch)};
    const int32_t k = pix::OpacityTrunc(opacity);
    const pix::Op op = pix::OpOf(mode);

    if (op == pix::Op::Copy)
    {
        if (k == 256)
        {
            // memmove: a bitmap blitted onto itself may overlap.
            uint32_t* d = r.dst;
            const uint32_t* s = r.src;
            if (d > s)
                for (int32_t y = r.height - 1; y >= 0; --y)
                    std::memmove(d + int64_t(y) * r.dstSpan, s + int64_t(y) * r.srcSpan, size_t(r.width) * 4);
            else
                for (int32_t y = 0; y < r.height; ++y)
                    std::memmove(d + int64_t(y) * r.dstSpan, s + int64_t(y) * r.srcSpan, size_t(r.width) * 4);
            return;
        }
        if (opacity == 0.5f)
        {
            uint32_t* d = r.dst;
            const uint32_t* s = r.src;
            for (int32_t y = 0; y < r.height; ++y, d += r.dstSpan, s += r.srcSpan)
                for (int32_t x = 0; x < r.width; ++x)
                    d[x] = ((s[x] >> 1) & 0x7F7F7F7Fu) + ((d[x] >> 1) & 0x7F7F7F7Fu);
            return;
        }
    }
    if (k == 0) return;
    switch (op)
    {
    case pix::Op::Copy:
        CombineRows<pix::Op::Copy>(r, k);
        break;
    case pix::Op::Normal:
        if (k == 256)
            NormalRowsOpaque(r);
        else
            CombineRows<pix::Op::Normal>(r, k);
        break;
    case pix::Op::Add:
        CombineRows<pix::Op::Add>(r, k);
        break;
    case pix::Op::AddAlpha:
        CombineRows<pix::Op::AddAlpha>(r, k);
        break;
    case pix::Op::Dodge:
        CombineRows<pix::Op::Dodge>(r, k);
        break;
    case pix::Op::DodgeAlpha:
        CombineRows<pix::Op::DodgeAlpha>(r, k);
        break;
    case pix::Op::None:
        break;
    }
}
