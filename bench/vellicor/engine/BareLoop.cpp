#include "bench/vellicor/engine/BareLoop.h"

#include <algorithm>

double BareLoop(const BareCoefs& k, const double* inL, const double* inR, double* outL, double* outR,
                int32_t frames, double* ring, double* state)
{
    double envL = state[0], envR = state[1], aL = state[2], aR = state[3], bL = state[4], bR = state[5];
    uint32_t counter = static_cast<uint32_t>(state[6]), pos = static_cast<uint32_t>(state[7]);
    double peakL = 0.0, peakR = 0.0;
    for (int32_t i = 0; i < frames; ++i)
    {
        const double xL = inL[i], xR = inR[i];
        double dL = (xL < 0 ? -xL : xL) * k.gain, dR = (xR < 0 ? -xR : xR) * k.gain;
        double sL = xL, sR = xR;
        if (k.lookAhead)
        {
            ring[pos] = xL;
            ring[pos + 1] = xR;
            pos += 2;
            if (pos >= static_cast<uint32_t>(k.delayLength)) pos = 0;
            sL = ring[pos];
            sR = ring[pos + 1];
        }
        if (k.hold)
        {
            if (++counter > static_cast<uint32_t>(k.holdLength))
            {
                counter = 0;
                aL = aR = 0;
            }
            aL = std::max(aL, dL);
            aR = std::max(aR, dR);
            if (counter == static_cast<uint32_t>(k.holdHalf)) bL = bR = 0;
            dL = bL = std::max(bL, dL);
            dR = bR = std::max(bR, dR);
            dL = std::max(aL, dL);
            dR = std::max(aR, dR);
        }
        double eL = std::max(envL, k.link * envR);
        double eR = std::max(envR, k.link * eL);
        if (!(eL >= dL)) eL = dL + (eL - dL) * k.attack;
        eL = dL + (eL - dL) * k.release;
        if (eR >= dR)
            eR = dR + (eR - dR) * k.release;
        else
            eR = dR + (eR - dR) * k.attack;
        envL = eL;
        envR = eR;
        if (eL > k.ceiling)
        {
            outL[i] = sL * k.gain * k.ceiling / eL;
            peakL = std::max(peakL, eL);
        }
        else
            outL[i] = sL * k.gain;
        if (eR > k.ceiling)
        {
            outR[i] = sR * k.gain * k.ceiling / eR;
            peakR = std::max(peakR, eR);
        }
        else
            outR[i] = sR * k.gain;
    }
    state[0] = envL;
    state[1] = envR;
    state[2] = aL;
    state[3] = aR;
    state[4] = bL;
    state[5] = bR;
    state[6] = counter;
    state[7] = pos;
    return peakL + peakR;
}
