#include "vellicor/engine/SampleChecks.h"

#include <initializer_list>
#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace samples
{
namespace
{
#if defined(__SSE2__) && defined(__GNUC__)
#define VELLICOR_AVX2 __attribute__((target("avx2")))

Width Detect()
{
    __builtin_cpu_init(); // static initialisation may come before libgcc has probed the processor
    return __builtin_cpu_supports("avx2") ? Width::kAvx2 : Width::kSse2;
}
#elif defined(__SSE2__)
Width Detect()
{
    return Width::kSse2;
}
#else
Width Detect()
{
    return Width::kPlain;
}
#endif

// Read at load time, so that the audio thread never waits on a first-use guard.
const Width kWidest = Detect();

// A word is odd above most, or (kQuietToo) non-zero under least: with k = 2^31 - least, a + k > k
// (wrapping) holds exactly for 0 < a < least. Nothing is carried from one register to the next but
// the lanes seen odd, so a pass costs the compares alone.
#if defined(__SSE2__)
inline __m128i FourWords(const double* p)
{
    return _mm_castps_si128(
        _mm_shuffle_ps(_mm_castpd_ps(_mm_loadu_pd(p)), _mm_castpd_ps(_mm_loadu_pd(p + 2)), 0xDD));
}
inline __m128i FourWords(const float* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

template <bool kQuietToo> inline __m128i OddLanes(__m128i words, __m128i top, __m128i k)
{
    const __m128i a = _mm_and_si128(words, _mm_set1_epi32(0x7FFFFFFF));
    const __m128i over = _mm_cmpgt_epi32(a, top);
    return kQuietToo ? _mm_or_si128(over, _mm_cmpgt_epi32(_mm_add_epi32(a, k), k)) : over;
}

template <bool kQuietToo, typename T>
bool ScanSse2(const T* l, const T* r, int32_t& i, int32_t n, uint32_t least, uint32_t most)
{
    const __m128i top = _mm_set1_epi32(static_cast<int32_t>(most)),
                  k = _mm_set1_epi32(static_cast<int32_t>(0x80000000u - least));
    __m128i seen = _mm_setzero_si128();
    for (; i + 4 <= n; i += 4)
        seen = _mm_or_si128(seen, _mm_or_si128(OddLanes<kQuietToo>(FourWords(l + i), top, k),
                                               OddLanes<kQuietToo>(FourWords(r + i), top, k)));
    return _mm_movemask_epi8(seen) != 0;
}
#endif

#if defined(VELLICOR_AVX2)
VELLICOR_AVX2 inline __m256i EightWords(const double* p)
{
    // High words in the order the lanes give them; the order does not matter to the answer.
    return _mm256_castps_si256(_mm256_shuffle_ps(_mm256_castpd_ps(_mm256_loadu_pd(p)),
                                                 _mm256_castpd_ps(_mm256_loadu_pd(p + 4)), 0xDD));
}
VELLICOR_AVX2 inline __m256i EightWords(const float* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

template <bool kQuietToo> VELLICOR_AVX2 inline __m256i OddLanes(__m256i words, __m256i top, __m256i k)
{
    const __m256i a = _mm256_and_si256(words, _mm256_set1_epi32(0x7FFFFFFF));
    const __m256i over = _mm256_cmpgt_epi32(a, top);
    return kQuietToo ? _mm256_or_si256(over, _mm256_cmpgt_epi32(_mm256_add_epi32(a, k), k)) : over;
}

template <bool kQuietToo, typename T>
VELLICOR_AVX2 bool ScanAvx2(const T* l, const T* r, int32_t& i, int32_t n, uint32_t least, uint32_t most)
{
    const __m256i top = _mm256_set1_epi32(static_cast<int32_t>(most)),
                  k = _mm256_set1_epi32(static_cast<int32_t>(0x80000000u - least));
    __m256i seen = _mm256_setzero_si256();
    for (; i + 8 <= n; i += 8)
        seen = _mm256_or_si256(seen, _mm256_or_si256(OddLanes<kQuietToo>(EightWords(l + i), top, k),
                                                     OddLanes<kQuietToo>(EightWords(r + i), top, k)));
    return !_mm256_testz_si256(seen, seen);
}
#endif

template <bool kQuietToo, typename T>
bool Passes(const T* l, const T* r, int32_t n, uint32_t least, uint32_t most, Width width)
{
    int32_t i = 0;
    bool odd = false;
#if defined(VELLICOR_AVX2)
    if (width == Width::kAvx2) odd = ScanAvx2<kQuietToo>(l, r, i, n, least, most);
#endif
#if defined(__SSE2__)
    if (width != Width::kPlain) odd |= ScanSse2<kQuietToo>(l, r, i, n, least, most);
#else
    (void)width;
#endif
    for (; i < n; ++i)
        for (const T x : {l[i], r[i]})
        {
            const uint32_t word = MagnitudeWord(x);
            odd |= word > most || (kQuietToo && word != 0 && word < least);
        }
    return !odd;
}
} // namespace

Width Widest()
{
    return kWidest;
}

bool AllAtMost(const double* l, const double* r, int32_t n, uint32_t most, Width width)
{
    return Passes<false>(l, r, n, 0, most, width);
}

bool AllAtMost(const float* l, const float* r, int32_t n, uint32_t most, Width width)
{
    return Passes<false>(l, r, n, 0, most, width);
}

bool ZeroOrWithin(const float* l, const float* r, int32_t n, uint32_t least, uint32_t most, Width width)
{
    return Passes<true>(l, r, n, least, most, width);
}
} // namespace samples
