#pragma once
// A 32-bit block's frames as one buffer of pairs of doubles (left, right), widened from the host's two
// buffers and narrowed back to them, each sample as a plain conversion does in the current
// floating-point mode. AVX-512 sixteen frames at a time where the processor has it, else one by one;
// both give the same bits. Any thread, no allocation.
#include <cstdint>

namespace framepairs
{
// Whether this processor runs the AVX-512 form (read once).
bool HasWide();
// Whether a 32-bit block is faster converted in these passes than frame by frame inside the
// limiter's loop: measured so on an AMD core with AVX-512 (Zen 5), and the other way round on an
// Intel one with it; AMD's other AVX-512 cores are taken to be alike.
bool PassesPay();

void Widen(const float* l, const float* r, double* pairs, int32_t n, bool wide = HasWide());
void Narrow(const double* pairs, float* l, float* r, int32_t n, bool wide = HasWide());
} // namespace framepairs
