#include "drawing/PIX_Blit.h"

#include "drawing/PIX_Combine.h"

#include <cmath>

namespace
{
// 16.16 fixed point, rounding half away from zero; false when the value does not fit.
bool ToFixed(float v, int64_t* out)
{
    const double scaled = double(v) * 65536.0;
    if (!(std::fabs(scaled) < 9.0e15)) return false;
    *out = scaled >= 0.0 ? int64_t(scaled + 0.5) : int64_t(scaled - 0.5);
    return true;
}

struct Limits
{
    const uint32_t* pixels; // pixel (left, top) of the limit rectangle
    int32_t span;
    uint32_t width;
    uint32_t height;
    int64_t left;
    int64_t top;
};

struct Walk
{
    int64_t x0, y0;     // source position of the first destination pixel
    int64_t dxi, dyi;   // per destination pixel
    int64_t dxj, dyj;   // per destination row
    int32_t cols, rows; // destination pixels to visit
    uint32_t* dst;
    int32_t dstSpan;
};

inline uint32_t Lerp2(uint32_t a, uint32_t b, uint32_t f)
{
    const uint32_t g = 65536 - f;
    auto ch = [&](int sh) { return (((a >> sh) & 0xFF) * g + ((b >> sh) & 0xFF) * f) >> 16; };
    return ch(24) << 24 | ch(16) << 16 | ch(8) << 8 | ch(0);
}

// The four-neighbour mix and its edge rules; false when the position is skipped.
inline bool SampleBilinear(const Limits& s, int64_t sx, int64_t sy, uint32_t* out)
{
    const uint32_t X = uint32_t((sx >> 16) - s.left), Y = uint32_t((sy >> 16) - s.top);
    const uint32_t fx = uint32_t(sx & 0xFFFF), fy = uint32_t(sy & 0xFFFF);
    if ((sx >> 16) - s.left != int64_t(X) || (sy >> 16) - s.top != int64_t(Y)) return false;
    if (Y + 1 < s.height)
    {
        const uint32_t* p = s.pixels + int64_t(Y) * s.span + X;
        if (X + 1 < s.width)
        {
            const uint32_t w11 = (fx * fy) >> 16;
            const uint32_t w01 = fy - w11, w10 = fx - w11, w00 = 65536 - fx - fy + w11;
            const uint32_t tl = p[0], tr = p[1], bl = p[s.span], br = p[s.span + 1];
            auto ch = [&](int sh)
            {
                return (w00 * ((tl >> sh) & 0xFF) + w10 * ((tr >> sh) & 0xFF) + w01 * ((bl >> sh) & 0xFF) +
                        w11 * ((br >> sh) & 0xFF)) >>
                       16;
            };
            *out = ch(24) << 24 | ch(16) << 16 | ch(8) << 8 | ch(0);
            return true;
        }
        if (X + 1 == s.width)
        {
            *out = Lerp2(p[0], p[s.span], fy);
            return true;
        }
        return false;
    }
    if (Y + 1 == s.height)
    {
        const uint32_t* p = s.pixels + int64_t(Y) * s.span + X;
        if (X + 1 < s.width)
        {
            *out = Lerp2(p[0], p[1], fx);
            return true;
        }
        if (X + 1 == s.width)
        {
            *out = p[0];
            return true;
        }
    }
    return false;
}

inline bool SampleNearest(const Limits& s, int64_t sx, int64_t sy, uint32_t* out)
{
    const int64_t X = (sx >> 16) - s.left, Y = (sy >> 16) - s.top;
    if (X < 0 || Y < 0 || X >= s.width || Y >= s.height) return false;
    *out = s.pixels[Y * s.span + X];
    return true;
}

template <pix::Op op, bool filter> void WalkRows(const Walk& w, const Limits& s, int32_t k)
{
    uint32_t* drow = w.dst;
    int64_t rx = w.x0, ry = w.y0;
    for (int32_t j = 0; j < w.rows; ++j, drow += w.dstSpan, rx += w.dxj, ry += w.dyj)
    {
        int64_t sx = rx, sy = ry;
        for (int32_t i = 0; i < w.cols; ++i, sx += w.dxi, sy += w.dyi)
        {
            uint32_t p;
            if (!(filter ? SampleBilinear(s, sx, sy, &p) : SampleNearest(s, sx, sy, &p))) continue;
            drow[i] = pix::Combine<op>(p, drow[i], k);
        }
    }
}

template <bool filter> void Dispatch(pix::Op op, const Walk& w, const Limits& s, int32_t k)
{
    switch (op)
    {
    case pix::Op::Copy:
        return WalkRows<pix::Op::Copy, filter>(w, s, k);
    case pix::Op::Normal:
        return WalkRows<pix::Op::Normal, filter>(w, s, k);
    case pix::Op::Add:
        return WalkRows<pix::Op::Add, filter>(w, s, k);
    case pix::Op::AddAlpha:
        return WalkRows<pix::Op::AddAlpha, filter>(w, s, k);
    case pix::Op::Dodge:
        return WalkRows<pix::Op::Dodge, filter>(w, s, k);
    case pix::Op::DodgeAlpha:
        return WalkRows<pix::Op::DodgeAlpha, filter>(w, s, k);
    case pix::Op::None:
        return;
    }
}
} // namespace

void RotatedBlit(PIX_IBitmap* destination, PIX_IBitmap* source, int32_t destX, int32_t destY,
                 int32_t destWidth, int32_t destHeight, int32_t sourceX, int32_t sourceY, int32_t sourceWidth,
                 int32_t sourceHeight, float angle, bool clipToSource, float opacity, int32_t mode,
                 float centreOffsetX, float centreOffsetY)
{
    // Negative destination sizes (mirroring) are not provided: they draw nothing.
    if (!destination || !source || destWidth <= 0 || destHeight <= 0) return;

    const float c = std::cos(angle), s = std::sin(angle);
    const float fx = float(sourceWidth) / float(destWidth), fy = float(sourceHeight) / float(destHeight);
    const float hw = float(destWidth) * 0.5f, hh = float(destHeight) * 0.5f;
    const float sx0 = float(sourceX) + centreOffsetX + float(sourceWidth) * 0.5f - hw * fx * c - hh * fx * s;
    const float sy0 = float(sourceY) + centreOffsetY + float(sourceHeight) * 0.5f + hw * fy * s - hh * fy * c;
    Walk w{};
    if (!ToFixed(sx0, &w.x0) || !ToFixed(sy0, &w.y0) || !ToFixed(fx * c, &w.dxi) ||
        !ToFixed(-fy * s, &w.dyi) || !ToFixed(fx * s, &w.dxj) || !ToFixed(fy * c, &w.dyj))
        return;
    const int32_t k = pix::OpacityRound(opacity);
    if (k == 0) return;

    // Clip the destination rectangle, moving the start values with it.
    int64_t left = destX, top = destY;
    int64_t right = left + destWidth, bottom = top + destHeight;
    if (left < 0)
    {
        w.x0 += -left * w.dxi;
        w.y0 += -left * w.dyi;
        left = 0;
    }
    if (top < 0)
    {
        w.x0 += -top * w.dxj;
        w.y0 += -top * w.dyj;
        top = 0;
    }
    if (right > destination->PixelWidth()) right = destination->PixelWidth();
    if (bottom > destination->PixelHeight()) bottom = destination->PixelHeight();
    uint32_t* dp = destination->PixelData();
    uint32_t* sp = source->PixelData();
    if (left >= right || top >= bottom || !dp || !sp) return;

    Limits lim{
        sp, source->RowSpanPixels(), uint32_t(source->PixelWidth()), uint32_t(source->PixelHeight()), 0, 0};
    if (clipToSource)
    {
        // The source rectangle, never beyond the bitmap.
        int64_t l = sourceX < 0 ? 0 : sourceX, t = sourceY < 0 ? 0 : sourceY;
        int64_t r = int64_t(sourceX) + sourceWidth, b = int64_t(sourceY) + sourceHeight;
        if (r > source->PixelWidth()) r = source->PixelWidth();
        if (b > source->PixelHeight()) b = source->PixelHeight();
        if (l >= r || t >= b) return;
        lim = {sp + t * lim.span + l, lim.span, uint32_t(r - l), uint32_t(b - t), l, t};
    }
    if (lim.width == 0 || lim.height == 0) return;

    w.cols = int32_t(right - left);
    w.rows = int32_t(bottom - top);
    w.dstSpan = destination->RowSpanPixels();
    w.dst = dp + top * w.dstSpan + left;
    const pix::Op op = pix::OpOf(mode);
    if (mode & PIX_MODE_FILTER)
        Dispatch<true>(op, w, lim, k);
    else
        Dispatch<false>(op, w, lim, k);
}
