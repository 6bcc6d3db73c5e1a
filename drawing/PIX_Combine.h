#pragma once
// The pixel combination rules shared by Blit and RotatedBlit (library-internal). C integer arithmetic:
// "/ 256" truncates toward zero, also for negative intermediates, so it is written as a division.
#include <cmath>
#include <cstdint>

namespace pix
{
inline int32_t Ch(uint32_t p, int shift)
{
    return int32_t((p >> shift) & 0xFF);
}

inline uint32_t Pack(int32_t a, int32_t r, int32_t g, int32_t b)
{
    return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

inline int32_t Clamp255(int32_t v)
{
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// t + (d - t) x w / 256 with the division truncating toward zero, for bytes d, t and 0 <= w <= 256.
// The signed division by 256 compiles to a shift with a bias for negative products: no branch.
inline int32_t Toward(int32_t d, int32_t t, int32_t w)
{
    return t + (d - t) * w / 256;
}

// The same on bytes in 16-bit arithmetic (the product (d - t) x w never exceeds 255 x 256), the form
// row loops use so that the compiler processes eight or sixteen bytes at once.
inline uint8_t TowardByte(uint8_t d, uint8_t t, uint16_t w)
{
    const uint16_t diff = d >= t ? uint16_t(d - t) : uint16_t(t - d);
    const uint16_t q = uint16_t(uint16_t(diff * w) >> 8);
    return uint8_t(d >= t ? t + q : t - q);
}

// Opacity to the integer weight k: truncated (Blit, FillRect, Line) or rounded half away from zero
// (RotatedBlit). Out-of-range and non-finite opacities are limited to 0..256 before converting.
inline int32_t OpacityTrunc(float opacity)
{
    if (!(opacity > 0.0f)) return 0;
    if (opacity >= 1.0f) return 256;
    return int32_t(opacity * 256.0f);
}

inline int32_t OpacityRound(float opacity)
{
    if (!(opacity > 0.0f)) return 0;
    if (opacity >= 1.0f) return 256;
    return int32_t(opacity * 256.0f + 0.5f);
}

// Mode 0 at k < 256: every byte moves from the source toward the destination.
inline uint32_t CopyMix(uint32_t s, uint32_t d, int32_t k)
{
    const int32_t inv = 256 - k;
    auto mix = [&](int sh) { return Toward(Ch(d, sh), Ch(s, sh), inv); };
    return Pack(mix(24), mix(16), mix(8), mix(0));
}

// Copy with source alpha (0x10000).
inline uint32_t NormalMix(uint32_t s, uint32_t d, int32_t k)
{
    const int32_t sa = Ch(s, 24);
    if (sa == 0) return d;
    int32_t inv, add;
    if (k == 256)
    {
        if (sa == 255) return s | 0xFF000000u;
        inv = 255 - sa;
        add = sa;
    }
    else
    {
        const int32_t w = k * (sa + 1) / 256;
        inv = 256 - w;
        add = w;
    }
    auto mix = [&](int sh) { return Toward(Ch(d, sh), Ch(s, sh), inv); };
    const int32_t a = Ch(d, 24) + add;
    return Pack(a > 255 ? 255 : a, mix(16), mix(8), mix(0));
}

// Add (0x10001 with the source alpha; without it the weight is k alone).
inline uint32_t AddMix(uint32_t s, uint32_t d, int32_t k, bool useAlpha)
{
    const int32_t sa = Ch(s, 24);
    if (useAlpha && sa == 0) return d;
    const int32_t w = useAlpha ? k * (sa + 1) / 256 : k;
    auto add = [&](int sh) { return Clamp255(Ch(d, sh) + w * Ch(s, sh) / 256); };
    return Pack(Clamp255(Ch(d, 24) + sa * w / 256), add(16), add(8), add(0));
}

// Dodge (0x10002): brightens the destination by 256 / (256 - t); saturates at 255.
inline uint32_t DodgeMix(uint32_t s, uint32_t d, int32_t k, bool useAlpha)
{
    const int32_t sa = Ch(s, 24);
    const int32_t w = useAlpha ? k * (sa + 1) / 256 : k;
    auto dodge = [&](int sh, int32_t sv)
    {
        const int32_t t = w * sv / 256;
        const int32_t dv = Ch(d, sh);
        const int32_t r = t > 254 ? dv * 256 : dv * 256 / (256 - t);
        return r >= 256 ? 255 : r;
    };
    return Pack(dodge(24, sa), dodge(16, Ch(s, 16)), dodge(8, Ch(s, 8)), dodge(0, Ch(s, 0)));
}

// The operations this library provides; others (multiply, overlay, colour adjustment) draw nothing.
enum class Op
{
    Copy,
    Normal,
    Add,
    AddAlpha,
    Dodge,
    DodgeAlpha,
    None
};

inline Op OpOf(int32_t mode)
{
    const bool alpha = (mode & 0x10000) != 0;
    switch (mode & 0xFF)
    {
    case 0:
        return alpha ? Op::Normal : Op::Copy;
    case 1:
        return alpha ? Op::AddAlpha : Op::Add;
    case 2:
        return alpha ? Op::DodgeAlpha : Op::Dodge;
    default:
        return Op::None;
    }
}

template <Op op> inline uint32_t Combine(uint32_t s, uint32_t d, int32_t k)
{
    if constexpr (op == Op::Copy) return k == 256 ? s : CopyMix(s, d, k);
    if constexpr (op == Op::Normal) return NormalMix(s, d, k);
    if constexpr (op == Op::Add) return AddMix(s, d, k, false);
    if constexpr (op == Op::AddAlpha) return AddMix(s, d, k, true);
    if constexpr (op == Op::Dodge) return DodgeMix(s, d, k, false);
    if constexpr (op == Op::DodgeAlpha) return DodgeMix(s, d, k, true);
    return d;
}
} // namespace pix
