#pragma once
#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

// The host thread's flush-to-zero (0x8000), denormals-are-zero (0x0040) and rounding direction
// (0x6000) bits for a scope.
class HostMode
{
public:
#if defined(__SSE2__)
    explicit HostMode(unsigned bits) : saved(_mm_getcsr()) { _mm_setcsr((saved & ~0xE040u) | bits); }
    ~HostMode() { _mm_setcsr(saved); }

private:
    unsigned saved;
#else
    explicit HostMode(unsigned) {}
#endif
};
