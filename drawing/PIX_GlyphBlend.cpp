#include "drawing/PIX_GlyphBlend.h"

#include "drawing/PIX_Combine.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pix
{
namespace
{
inline uint16_t GlyphWeight(uint32_t v, int32_t k)
{
    if (k == 256) return uint16_t(255 - v);
    const int32_t w = k * int32_t(v) >> 8;
    return uint16_t(256 - (w < 256 ? w : 256));
}

inline uint32_t BlendPixel(uint32_t d, uint32_t solid, uint16_t h)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= uint32_t(TowardByte(uint8_t(d >> shift), uint8_t(solid >> shift), h)) << shift;
    return out;
}

#if defined(__SSE2__)
// Two pixels' bytes as 16-bit lanes: t + (d - t) x h / 256 toward zero, as |d - t| x h >> 8 taken
// from t in the direction of d.
inline __m128i TowardLanes(__m128i d, __m128i t, __m128i h)
{
    const __m128i diff = _mm_sub_epi16(_mm_max_epi16(d, t), _mm_min_epi16(d, t));
    const __m128i q = _mm_srli_epi16(_mm_mullo_epi16(diff, h), 8);
    const __m128i below = _mm_cmpgt_epi16(t, d); // all ones where d < t: subtract q
    return _mm_add_epi16(t, _mm_sub_epi16(_mm_xor_si128(q, below), below));
}

// Four pixels: their weights, each spread over the pixel's four byte lanes, and their blend.
inline void BlendFour(uint32_t* p, const uint8_t* v, __m128i solidLanes, int32_t k)
{
    int32_t coverage;
    std::memcpy(&coverage, v, 4);
    if (coverage == 0) return;
    const __m128i zero = _mm_setzero_si128();
    const __m128i v16 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(coverage), zero);
    __m128i h;
    if (k == 256)
        h = _mm_sub_epi16(_mm_set1_epi16(255), v16);
    else
    {
        const __m128i w = _mm_srli_epi16(_mm_mullo_epi16(v16, _mm_set1_epi16(int16_t(k))), 8);
        h = _mm_sub_epi16(_mm_set1_epi16(256), _mm_min_epi16(w, _mm_set1_epi16(256)));
    }
    const __m128i pairs = _mm_unpacklo_epi16(h, h);
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i lo = TowardLanes(_mm_unpacklo_epi8(d, zero), solidLanes, _mm_unpacklo_epi32(pairs, pairs));
    const __m128i hi = TowardLanes(_mm_unpackhi_epi8(d, zero), solidLanes, _mm_unpackhi_epi32(pairs, pairs));
    // Uncovered pixels keep their bytes.
    const __m128i uncovered = _mm_cmpeq_epi32(_mm_unpacklo_epi16(v16, zero), zero);
    const __m128i out = _mm_packus_epi16(lo, hi);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                     _mm_or_si128(_mm_and_si128(uncovered, d), _mm_andnot_si128(uncovered, out)));
}
#endif
} // namespace

void BlendGlyphRow(uint32_t* pixels, const uint8_t* coverage, int32_t count, uint32_t colour, int32_t k)
{
    const uint32_t solid = colour | 0xFF000000u;
    int32_t i = 0;
#if defined(__SSE2__)
    const __m128i solidLanes = _mm_unpacklo_epi8(_mm_set1_epi32(int32_t(solid)), _mm_setzero_si128());
    for (; i + 4 <= count; i += 4)
        BlendFour(pixels + i, coverage + i, solidLanes, k);
#endif
    for (; i < count; ++i)
        if (coverage[i] != 0) pixels[i] = BlendPixel(pixels[i], solid, GlyphWeight(coverage[i], k));
}
} // namespace pix
