// Both built modules, loaded as hosts load them, must not allocate inside their audio callbacks:
// not on the first block, not with every parameter automated, not across program and bypass
// changes, whatever the block size. The host's own work (its queues, its callback) is not counted.
#include "tests/vellicor/modules/CountingAllocator.h"

#include "hostkit/Vst2Host.h"
#include "hostkit/Vst3HostObjects.h"
#include "hostkit/Vst3Instance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
constexpr int kBlocks = 2000;
constexpr int kMaxBlock = 1024;
constexpr double kRate = 48000.0;
constexpr int kParams = 10;
constexpr int kPresets = 24;
constexpr int kPointsPerParam = 3;
// The plug-in's identity as a host finds it: the VST3 class ID and the program and bypass tags.
constexpr unsigned char kClassId[16] = {0x0D, 0xE7, 0xAE, 0xF2, 0xDE, 0x00, 0x4E, 0x4F,
                                        0x4F, 0x76, 0x44, 0x6E, 0x6E, 0x75, 0x32, 0x76};
constexpr ParamID kProgramTag = 0x70727374;
constexpr ParamID kBypassTag = 0x62706173;

// Loud enough that the limiter works and the meter asks for the transport position.
template <typename T> void Fill(std::vector<T> (&channels)[2], int frames, int64_t start)
{
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < frames; ++i)
        {
            const double t = static_cast<double>(start + i);
            channels[c][static_cast<size_t>(i)] =
                static_cast<T>(2.5 * std::sin(0.021 * t + c) * (((start + i) / 5000) % 2 ? 1.0 : 0.3));
        }
}

template <typename T> struct Buffers
{
    Buffers()
    {
        for (int c = 0; c < 2; ++c)
        {
            in[c].assign(kMaxBlock, T(0));
            out[c].assign(kMaxBlock, T(0));
            inPtr[c] = in[c].data();
            outPtr[c] = out[c].data();
        }
    }
    std::vector<T> in[2], out[2];
    T* inPtr[2];
    T* outPtr[2];
};

// The plug-in calls back into the host from its audio callback (transport time); that is the
// host's code and does not count.
class PausingVst2Host : public hostkit::Vst2Host
{
protected:
    intptr_t HostCall(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) override
    {
        counting::Pause pause;
        return Vst2Host::HostCall(effect, opcode, index, value, ptr, opt);
    }
};

template <typename T> int64_t Vst3Allocations()
{
    hostkit::Vst3Module module;
    std::string error;
    if (!module.Open(VELLICOR_VST3_MODULE, error)) ADD_FAILURE() << error;
    hostkit::HostApplication application("allocation check");
    hostkit::Vst3Instance plugin;
    EXPECT_EQ(plugin.Create(module, kClassId, &application), kResultOk);
    if (!plugin.processor) return -1;

    const int32 sampleSize = sizeof(T) == 8 ? kSample64 : kSample32;
    SpeakerArrangement stereo = SpeakerArr::kStereo;
    EXPECT_EQ(plugin.processor->setBusArrangements(&stereo, 1, &stereo, 1), kResultTrue);
    ProcessSetup setup{kRealtime, sampleSize, kMaxBlock, kRate};
    EXPECT_EQ(plugin.processor->setupProcessing(setup), kResultOk);
    plugin.component->activateBus(kAudio, kInput, 0, true);
    plugin.component->activateBus(kAudio, kOutput, 0, true);
    EXPECT_EQ(plugin.SetActive(true), kResultOk);

    Buffers<T> buffers;
    hostkit::Vst3ProcessCall call(sampleSize, 2);
    hostkit::ParameterChanges changes(kParams + 2); // the host's storage, made before counting
    call.data.inputParameterChanges = &changes;
    call.context.state = ProcessContext::kPlaying;
    call.context.sampleRate = kRate;
    std::mt19937 random(1234);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    bool bypassed = false;

    const int64_t before = counting::Allocations();
    int64_t position = 0;
    for (int block = 0; block < kBlocks; ++block)
    {
        const int frames = 1 + static_cast<int>(random() % kMaxBlock);
        Fill(buffers.in, frames, position);
        changes.Clear();
        for (ParamID id = 0; id < kParams; ++id)
            for (int p = 0; p < kPointsPerParam; ++p)
                changes.Set(id, unit(random), static_cast<int32>(random() % static_cast<unsigned>(frames)));
        if (block % 37 == 5)
            changes.Set(kProgramTag, static_cast<double>(random() % kPresets) / (kPresets - 1));
        if (block % 53 == 7) changes.Set(kBypassTag, (bypassed = !bypassed) ? 1.0 : 0.0);
        call.SetBuffers(buffers.inPtr, buffers.outPtr, frames);
        call.context.projectTimeSamples = position;
        {
            counting::Scope count;
            plugin.processor->process(call.data);
        }
        position += frames;
    }
    return counting::Allocations() - before;
}

enum class Vst2Callback
{
    Replacing,
    Accumulating,
    Double,
};

int64_t Vst2Allocations(Vst2Callback form)
{
    hostkit::ModuleLibrary library;
    std::string error;
    if (!library.Open(VELLICOR_VST2_MODULE, error)) ADD_FAILURE() << error;
    PausingVst2Host host;
    AEffect* effect = host.Create(hostkit::FindVst2Entry(library));
    if (!effect) return -1;
    hostkit::Dispatch(effect, effOpen);
    hostkit::Dispatch(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    hostkit::Dispatch(effect, effSetBlockSize, 0, kMaxBlock);
    hostkit::Dispatch(effect, effMainsChanged, 0, 1);
    hostkit::Dispatch(effect, effStartProcess);

    Buffers<float> floats;
    Buffers<double> doubles;
    std::mt19937 random(5678);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    bool bypassed = false;

    const int64_t before = counting::Allocations();
    int64_t position = 0;
    for (int block = 0; block < kBlocks; ++block)
    {
        const int frames = 1 + static_cast<int>(random() % kMaxBlock);
        // Program and bypass changes are requests of the host's other thread, between blocks.
        if (block % 37 == 5)
            hostkit::Dispatch(effect, effSetProgram, 0, static_cast<intptr_t>(random() % kPresets));
        if (block % 53 == 7) hostkit::Dispatch(effect, effSetBypass, 0, (bypassed = !bypassed) ? 1 : 0);
        host.time.samplePos = static_cast<double>(position);
        if (form == Vst2Callback::Double)
            Fill(doubles.in, frames, position);
        else
            Fill(floats.in, frames, position);
        {
            counting::Scope count;
            // Hosts automate from the audio thread, several values per block.
            for (int32_t index = 0; index < kParams; ++index)
                for (int p = 0; p < kPointsPerParam; ++p)
                    effect->setParameter(effect, index, unit(random));
            if (form == Vst2Callback::Double)
                effect->processDoubleReplacing(effect, doubles.inPtr, doubles.outPtr, frames);
            else if (form == Vst2Callback::Replacing)
                effect->processReplacing(effect, floats.inPtr, floats.outPtr, frames);
            else
                effect->process(effect, floats.inPtr, floats.outPtr, frames);
        }
        position += frames;
    }
    const int64_t counted = counting::Allocations() - before;
    hostkit::Dispatch(effect, effStopProcess);
    hostkit::Dispatch(effect, effMainsChanged, 0, 0);
    hostkit::Dispatch(effect, effClose);
    return counted;
}
} // namespace

TEST(AudioThreadAllocation, CountingSeesAnAllocationInsideTheScope)
{
    // Through a pointer the compiler cannot see through, so that the allocation is not elided.
    void* (*volatile allocate)(size_t) = std::malloc;
    const int64_t before = counting::Allocations();
    {
        counting::Scope count;
        std::free(allocate(100));
    }
    EXPECT_GE(counting::Allocations() - before, 1) << "the counting allocator is not in place";
}

TEST(AudioThreadAllocation, Vst3ProcessAllocatesNothingFor32BitHosts)
{
    EXPECT_EQ(Vst3Allocations<float>(), 0);
}

TEST(AudioThreadAllocation, Vst3ProcessAllocatesNothingFor64BitHosts)
{
    EXPECT_EQ(Vst3Allocations<double>(), 0);
}

TEST(AudioThreadAllocation, Vst2CallbacksAllocateNothing)
{
    EXPECT_EQ(Vst2Allocations(Vst2Callback::Replacing), 0) << "processReplacing";
    EXPECT_EQ(Vst2Allocations(Vst2Callback::Accumulating), 0) << "process";
    EXPECT_EQ(Vst2Allocations(Vst2Callback::Double), 0) << "processDoubleReplacing";
}
