#pragma once
// What the VST3 tests add to the host kit: audio buffers with guard samples, one process call on
// them, and a test signal. The host objects themselves are the host kit's.
#include "hostkit/HostText.h"
#include "hostkit/Vst3HostObjects.h"
#include "hostkit/Vst3Instance.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace testhost
{
using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace hostkit;

// Audio buffers for one block with guard samples on both sides of every channel, so that a write
// outside the block shows up as a changed guard.
template <typename T> class GuardedBuffers
{
public:
    static constexpr int kGuard = 64;
    static constexpr T kGuardValue = static_cast<T>(-12345.0);

    GuardedBuffers(int channels, int frames) : frames(frames), storage(channels)
    {
        for (auto& ch : storage)
            ch.assign(static_cast<size_t>(frames + 2 * kGuard), kGuardValue);
        for (auto& ch : storage)
        {
            std::fill(ch.begin() + kGuard, ch.end() - kGuard, T(0));
            pointers.push_back(ch.data() + kGuard);
        }
    }
    T* operator[](int ch) { return pointers[static_cast<size_t>(ch)]; }
    T** Pointers() { return pointers.data(); }
    int Channels() const { return static_cast<int>(pointers.size()); }
    bool GuardsIntact() const
    {
        for (const auto& ch : storage)
            for (int i = 0; i < kGuard; ++i)
                if (ch[static_cast<size_t>(i)] != kGuardValue ||
                    ch[ch.size() - 1 - static_cast<size_t>(i)] != kGuardValue)
                    return false;
        return true;
    }

    int frames;

private:
    std::vector<std::vector<T>> storage;
    std::vector<T*> pointers;
};

// One process call on guarded buffers: an input bus and an output bus of the given sample type.
template <typename T> struct Block : Vst3ProcessCall
{
    Block(int frames, int inChannels = 2, int outChannels = 2)
        : Vst3ProcessCall(sizeof(T) == 8 ? kSample64 : kSample32, inChannels), in(inChannels, frames),
          out(outChannels, frames)
    {
        outBus.numChannels = outChannels;
        SetBuffers(in.Pointers(), out.Pointers(), frames);
    }

    GuardedBuffers<T> in, out;
};

// Deterministic test signal: a sum of sines with bursts that make a limiter work.
double Signal(int channel, int64_t frame);

} // namespace testhost
