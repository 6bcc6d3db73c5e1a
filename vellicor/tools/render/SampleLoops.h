#pragma once
// The renderer's inner loops: (de)interleaving with the peak taken on the way. Peaks are kept as
// the magnitude's bit pattern: for IEEE numbers that orders like the magnitude itself, integer
// maxima vectorise without relaxing floating-point rules, and a pattern at or above the infinity
// pattern says a NaN or infinity passed.
#include <algorithm>
#include <bit>
#include <cstdint>

template <class T> struct SampleBits;
template <> struct SampleBits<float>
{
    using U = uint32_t;
    static constexpr U kMagnitude = 0x7FFFFFFFu;
    static constexpr U kInfinity = 0x7F800000u;
};
template <> struct SampleBits<double>
{
    using U = uint64_t;
    static constexpr U kMagnitude = 0x7FFFFFFFFFFFFFFFull;
    static constexpr U kInfinity = 0x7FF0000000000000ull;
};

template <class T> inline typename SampleBits<T>::U MagnitudeBits(T v)
{
    return std::bit_cast<typename SampleBits<T>::U>(v) & SampleBits<T>::kMagnitude;
}

template <class T> inline bool IsNonFinite(typename SampleBits<T>::U peakBits)
{
    return peakBits >= SampleBits<T>::kInfinity;
}

template <class T> inline double PeakValue(typename SampleBits<T>::U peakBits)
{
    return static_cast<double>(std::bit_cast<T>(peakBits));
}

// Mono: only the peak of one channel buffer.
template <class T> void TakePeak(const T* __restrict samples, int64_t frames, typename SampleBits<T>::U& peak)
{
    typename SampleBits<T>::U m = peak;
    for (int64_t i = 0; i < frames; ++i)
        m = std::max(m, MagnitudeBits(samples[i]));
    peak = m;
}

// Stereo frames into two channel buffers.
template <class T>
void Deinterleave(const T* __restrict src, T* __restrict left, T* __restrict right, int64_t frames,
                  typename SampleBits<T>::U* peak)
{
    typename SampleBits<T>::U l = peak[0], r = peak[1];
    for (int64_t i = 0; i < frames; ++i)
    {
        const T a = src[2 * i], b = src[2 * i + 1];
        left[i] = a;
        right[i] = b;
        l = std::max(l, MagnitudeBits(a));
        r = std::max(r, MagnitudeBits(b));
    }
    peak[0] = l;
    peak[1] = r;
}

// Two channel buffers into stereo frames.
template <class T>
void Interleave(const T* __restrict left, const T* __restrict right, T* __restrict dst, int64_t frames,
                typename SampleBits<T>::U* peak)
{
    typename SampleBits<T>::U l = peak[0], r = peak[1];
    for (int64_t i = 0; i < frames; ++i)
    {
        const T a = left[i], b = right[i];
        dst[2 * i] = a;
        dst[2 * i + 1] = b;
        l = std::max(l, MagnitudeBits(a));
        r = std::max(r, MagnitudeBits(b));
    }
    peak[0] = l;
    peak[1] = r;
}
