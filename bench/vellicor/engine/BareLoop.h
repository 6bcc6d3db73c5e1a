#pragma once
// The limiter's per-frame recurrence written as one free function over locals: no class, no
// members, no input cleaning. The engine's ProcessBlock is measured against it.
#include <cstdint>

struct BareCoefs
{
    double gain, ceiling, attack, release, link;
    int32_t holdLength, holdHalf, delayLength;
    bool lookAhead, hold;
};

// ring: at least delayLength + 2 doubles. Returns the left block peak (keeps the work observable).
double BareLoop(const BareCoefs& k, const double* inL, const double* inR, double* outL, double* outR,
                int32_t frames, double* ring, double* state);
