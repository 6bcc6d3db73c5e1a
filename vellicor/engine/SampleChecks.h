#pragma once
// The checks a block's samples pass before the limiter's loop runs: one pass over the host's buffers
// with integer compares on the samples' magnitude words, SSE2 four words to a register, AVX2 eight
// where the processor has it. Every width gives the same answer; the widths are there for the tests
// and for processors without AVX2. Any thread, no allocation.
#include <cstdint>
#include <cstring>

namespace samples
{
// The magnitude word of a sample: a double's high word, a float's whole pattern, sign cleared. Words
// order as the magnitudes do, and a NaN's or infinity's word is above every finite one.
inline uint32_t MagnitudeWord(double x)
{
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return static_cast<uint32_t>(bits >> 32) & 0x7FFFFFFFu;
}
inline uint32_t MagnitudeWord(float x)
{
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits & 0x7FFFFFFFu;
}
inline float FloatOf(uint32_t bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

constexpr uint32_t kLargestFiniteFloat = 0x7F7FFFFF;

enum class Width
{
    kPlain,
    kSse2,
    kAvx2
};
// The widest this processor runs (read once).
Width Widest();

// Whether the word of every sample of the n frames from l and r is at most most.
bool AllAtMost(const double* l, const double* r, int32_t n, uint32_t most, Width width = Widest());
bool AllAtMost(const float* l, const float* r, int32_t n, uint32_t most, Width width = Widest());
// Whether every sample is zero or has a word from least to most.
bool ZeroOrWithin(const float* l, const float* r, int32_t n, uint32_t least, uint32_t most,
                  Width width = Widest());
} // namespace samples
