#include "drawing/PIX_Blit.h"

#include "drawing/PIX_Combine.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{
enum : int
{
    kLeft = 1,
    kRight = 2,
    kTop = 4,
    kBottom = 8
};

int Outcode(float x, float y, float xmax, float ymax)
{
    return (x < 0.0f ? kLeft : 0) | (x > xmax ? kRight : 0) | (y < 0.0f ? kTop : 0) |
           (y > ymax ? kBottom : 0);
}

// Outcode clipping against 0..xmax, 0..ymax; false when nothing is left or it does not converge.
bool ClipSegment(float& x1, float& y1, float& x2, float& y2, float xmax, float ymax)
{
    int c1 = Outcode(x1, y1, xmax, ymax), c2 = Outcode(x2, y2, xmax, ymax);
    for (int round = 0; round < 32; ++round)
    {
        if ((c1 | c2) == 0) return true;
        if (c1 & c2) return false;
        const int c = c1 ? c1 : c2;
        // Double intermediates: with far-away end points the float products would overflow to NaN,
        // which no outcode catches.
        const double ax = x1, ay = y1, bx = x2, by = y2;
        double x, y;
        if (c & kBottom)
        {
            x = ax + (bx - ax) * (ymax - ay) / (by - ay);
            y = ymax;
        }
        else if (c & kTop)
        {
            x = ax + (bx - ax) * (0.0 - ay) / (by - ay);
            y = 0.0;
        }
        else if (c & kRight)
        {
            y = ay + (by - ay) * (xmax - ax) / (bx - ax);
            x = xmax;
        }
        else
        {
            y = ay + (by - ay) * (0.0 - ax) / (bx - ax);
            x = 0.0;
        }
        if (!std::isfinite(x) || !std::isfinite(y)) return false;
        // Kept within float range; such a point is still outside and is clipped again.
        x = std::clamp(x, -1e30, 1e30);
        y = std::clamp(y, -1e30, 1e30);
        if (c == c1)
        {
            x1 = float(x);
            y1 = float(y);
            c1 = Outcode(x1, y1, xmax, ymax);
        }
        else
        {
            x2 = float(x);
            y2 = float(y);
            c2 = Outcode(x2, y2, xmax, ymax);
        }
    }
    return false;
}

// d = c + (d - c) x (256 - weight) / 256 on all four bytes.
inline uint32_t Toward(uint32_t d, uint32_t c, int32_t weight)
{
    const int32_t inv = 256 - weight;
    auto mix = [&](int sh) { return pix::Toward(pix::Ch(d, sh), pix::Ch(c, sh), inv); };
    return pix::Pack(mix(24), mix(16), mix(8), mix(0));
}

struct Target
{
    uint32_t* pixels;
    int32_t span, width, height;
    bool majorIsX;

    void Put(int64_t major, int64_t minor, uint32_t colour, int32_t weight) const
    {
        const int64_t x = majorIsX ? major : minor, y = majorIsX ? minor : major;
        if (x < 0 || y < 0 || x >= width || y >= height || weight <= 0) return;
        uint32_t& d = pixels[y * span + x];
        d = Toward(d, colour, weight);
    }
};
} // namespace

void Line(PIX_IBitmap* destination, float x1, float y1, float x2, float y2, uint32_t colour, float opacity,
          int32_t /*mode*/, bool antialiased)
{
    if (!destination || !destination->PixelData()) return;
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) return;
    const int32_t width = destination->PixelWidth(), height = destination->PixelHeight();
    if (width <= 0 || height <= 0) return;
    const int32_t k = pix::OpacityTrunc(opacity);
    if (k == 0) return;
    if (!ClipSegment(x1, y1, x2, y2, float(width - 1), float(height - 1))) return;
    if (x1 == x2 && y1 == y2) return;

    const bool majorIsX = std::fabs(x2 - x1) > std::fabs(y2 - y1);
    float a0 = majorIsX ? x1 : y1, b0 = majorIsX ? y1 : x1;
    float a1 = majorIsX ? x2 : y2, b1 = majorIsX ? y2 : x2;
    if (a1 < a0)
    {
        std::swap(a0, a1);
        std::swap(b0, b1);
    }
    const Target t{destination->PixelData(), destination->RowSpanPixels(), width, height, majorIsX};
    const float slope = (b1 - b0) / (a1 - a0);
    const int64_t first = int64_t(std::ceil(a0)), last = int64_t(std::floor(a1));
    const float m = b0 + (std::ceil(a0) - a0) * slope;

    if (!antialiased)
    {
        // A plain one-pixel line: the nearest pixel on the minor axis.
        for (int64_t a = first; a <= last; ++a)
            t.Put(a, int64_t(std::floor(b0 + (float(a) - a0) * slope + 0.5f)), colour, k);
        return;
    }

    const int32_t step = int32_t(std::fabs(slope) * 65536.0f);
    const bool down = slope < 0.0f;
    int64_t base = int64_t(std::floor(m));
    int32_t f = int32_t((m - std::floor(m)) * 65536.0f);
    if (f > 65535) f = 65535;
    int32_t dir = 1;
    if (down)
    {
        // Mirrored: the base on the far side, the fraction measured from there.
        base += 1;
        f = 65535 - f;
        dir = -1;
    }
    for (int64_t a = first; a <= last; ++a)
    {
        const int32_t e = f >> 8;
        t.Put(a, base, colour, (255 - e) * k >> 8);
        t.Put(a, base + dir, colour, k * e >> 8);
        f += step;
        while (f >= 65536)
        {
            base += dir;
            f -= 65536;
        }
    }
}
