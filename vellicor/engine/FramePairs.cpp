#include "vellicor/engine/FramePairs.h"

#if defined(__SSE2__) && defined(__GNUC__)
#include <immintrin.h>
#define VELLICOR_AVX512 __attribute__((target("avx512f")))
#endif

namespace framepairs
{
namespace
{
struct Processor
{
    bool wide, passesPay;
};

Processor Detect()
{
#if defined(VELLICOR_AVX512)
    __builtin_cpu_init(); // static initialisation may come before libgcc has probed the processor
    const bool wide = __builtin_cpu_supports("avx512f");
    return {wide, wide && __builtin_cpu_is("amd")};
#else
    return {false, false};
#endif
}

// Read at load time, so that the audio thread never waits on a first-use guard.
const Processor kProcessor = Detect();

#if defined(VELLICOR_AVX512)
// GCC 12's headers start some of these from a deliberately undefined register, and then warn about it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

// Lane indices into two registers of sixteen floats, the second's numbered from 16: the even lanes of
// both (the left samples of sixteen pairs) and the odd ones; and back, the first or last eight lanes
// of each interleaved into eight pairs.
VELLICOR_AVX512 inline __m512i Evens()
{
    return _mm512_set_epi32(30, 28, 26, 24, 22, 20, 18, 16, 14, 12, 10, 8, 6, 4, 2, 0);
}
VELLICOR_AVX512 inline __m512i Odds()
{
    return _mm512_set_epi32(31, 29, 27, 25, 23, 21, 19, 17, 15, 13, 11, 9, 7, 5, 3, 1);
}
VELLICOR_AVX512 inline __m512i FirstEightPaired()
{
    return _mm512_set_epi32(23, 7, 22, 6, 21, 5, 20, 4, 19, 3, 18, 2, 17, 1, 16, 0);
}
VELLICOR_AVX512 inline __m512i LastEightPaired()
{
    return _mm512_set_epi32(31, 15, 30, 14, 29, 13, 28, 12, 27, 11, 26, 10, 25, 9, 24, 8);
}

VELLICOR_AVX512 inline __m512d WidenEight(__m512 pairs, bool upper)
{
    const __m512d halves = _mm512_castps_pd(pairs);
    const __m256 eight =
        _mm256_castpd_ps(upper ? _mm512_extractf64x4_pd(halves, 1) : _mm512_castpd512_pd256(halves));
    return _mm512_cvtps_pd(eight);
}

VELLICOR_AVX512 int32_t WidenWide(const float* l, const float* r, double* pairs, int32_t n)
{
    int32_t i = 0;
    for (; i + 16 <= n; i += 16)
    {
        const __m512 left = _mm512_loadu_ps(l + i), right = _mm512_loadu_ps(r + i);
        const __m512 first = _mm512_permutex2var_ps(left, FirstEightPaired(), right);
        const __m512 last = _mm512_permutex2var_ps(left, LastEightPaired(), right);
        double* const p = pairs + 2 * i;
        _mm512_storeu_pd(p, WidenEight(first, false));
        _mm512_storeu_pd(p + 8, WidenEight(first, true));
        _mm512_storeu_pd(p + 16, WidenEight(last, false));
        _mm512_storeu_pd(p + 24, WidenEight(last, true));
    }
    return i;
}

// Eight doubles narrowed into the lower half of the result, the next eight into the upper.
VELLICOR_AVX512 inline __m512 NarrowSixteen(const double* p)
{
    const __m256 a = _mm512_cvtpd_ps(_mm512_loadu_pd(p)), b = _mm512_cvtpd_ps(_mm512_loadu_pd(p + 8));
    return _mm512_castpd_ps(
        _mm512_insertf64x4(_mm512_castpd256_pd512(_mm256_castps_pd(a)), _mm256_castps_pd(b), 1));
}

VELLICOR_AVX512 int32_t NarrowWide(const double* pairs, float* l, float* r, int32_t n)
{
    int32_t i = 0;
    for (; i + 16 <= n; i += 16)
    {
        const __m512 first = NarrowSixteen(pairs + 2 * i), last = NarrowSixteen(pairs + 2 * i + 16);
        _mm512_storeu_ps(l + i, _mm512_permutex2var_ps(first, Evens(), last));
        _mm512_storeu_ps(r + i, _mm512_permutex2var_ps(first, Odds(), last));
    }
    return i;
}
#pragma GCC diagnostic pop
#endif
} // namespace

bool HasWide()
{
    return kProcessor.wide;
}

bool PassesPay()
{
    return kProcessor.passesPay;
}

void Widen(const float* l, const float* r, double* pairs, int32_t n, bool wide)
{
    int32_t i = 0;
#if defined(VELLICOR_AVX512)
    if (wide) i = WidenWide(l, r, pairs, n);
#else
    (void)wide;
#endif
    for (; i < n; ++i)
    {
        pairs[2 * i] = l[i];
        pairs[2 * i + 1] = r[i];
    }
}

void Narrow(const double* pairs, float* l, float* r, int32_t n, bool wide)
{
    int32_t i = 0;
#if defined(VELLICOR_AVX512)
    if (wide) i = NarrowWide(pairs, l, r, n);
#else
    (void)wide;
#endif
    for (; i < n; ++i)
    {
        l[i] = static_cast<float>(pairs[2 * i]);
        r[i] = static_cast<float>(pairs[2 * i + 1]);
    }
}
} // namespace framepairs
