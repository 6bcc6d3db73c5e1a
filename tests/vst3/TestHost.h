#pragma once
// Host-side objects a VST3 host hands to a plug-in: application context, parameter changes,
// streams, component handler and a process harness with guarded buffers. Stack objects: their
// reference counts are not used for lifetime.
#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace testhost
{
using namespace Steinberg;
using namespace Steinberg::Vst;

#define TESTHOST_NO_REFCOUNT                                                                                 \
    uint32 PLUGIN_API addRef() override                                                                      \
    {                                                                                                        \
        return 1;                                                                                            \
    }                                                                                                        \
    uint32 PLUGIN_API release() override                                                                     \
    {                                                                                                        \
        return 1;                                                                                            \
    }

// The SDK's 16-bit text: char16_t, or wchar_t on Windows.
using Text16 = std::basic_string<TChar>;
Text16 U16(const char* text);
std::string U8(const TChar* text);

class HostApplication : public IHostApplication
{
public:
    explicit HostApplication(const char* hostName) : name(U16(hostName)) {}
    tresult PLUGIN_API getName(String128 out) override;
    tresult PLUGIN_API createInstance(TUID, TUID, void** obj) override
    {
        *obj = nullptr;
        return kNotImplemented;
    }
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;
    TESTHOST_NO_REFCOUNT

    bool nameFails = false; // getName scribbles its name into the buffer, then reports failure

private:
    Text16 name;
};

class ParamQueue : public IParamValueQueue
{
public:
    explicit ParamQueue(ParamID tag) : id(tag) {}
    ParamID PLUGIN_API getParameterId() override { return id; }
    int32 PLUGIN_API getPointCount() override { return static_cast<int32>(points.size()) + extraPoints; }
    tresult PLUGIN_API getPoint(int32 index, int32& offset, ParamValue& value) override;
    tresult PLUGIN_API addPoint(int32 offset, ParamValue value, int32& index) override;
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override
    {
        *obj = nullptr;
        return kNoInterface;
    }
    TESTHOST_NO_REFCOUNT

    ParamID id;
    std::vector<std::pair<int32, ParamValue>> points;
    int32 extraPoints = 0; // announces points that cannot be read
};

class ParamChanges : public IParameterChanges
{
public:
    ParamChanges& Add(ParamID id, std::vector<ParamValue> values);
    int32 PLUGIN_API getParameterCount() override { return static_cast<int32>(queues.size()); }
    IParamValueQueue* PLUGIN_API getParameterData(int32 index) override;
    IParamValueQueue* PLUGIN_API addParameterData(const ParamID& id, int32& index) override;
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override
    {
        *obj = nullptr;
        return kNoInterface;
    }
    TESTHOST_NO_REFCOUNT

    std::vector<ParamQueue> queues;
};

// A byte stream; reads stop at readLimit bytes per call, writes can be made to fail.
class Stream : public IBStream
{
public:
    Stream() = default;
    explicit Stream(std::vector<uint8_t> content) : bytes(std::move(content)) {}
    tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override;
    tresult PLUGIN_API write(void* buffer, int32 numBytes, int32* numBytesWritten) override;
    tresult PLUGIN_API seek(int64 pos, int32 mode, int64* result) override;
    tresult PLUGIN_API tell(int64* pos) override;
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override
    {
        *obj = nullptr;
        return kNoInterface;
    }
    TESTHOST_NO_REFCOUNT

    std::vector<uint8_t> bytes;
    size_t position = 0;
    bool failWrites = false;
    int32 reads = 0, writes = 0;
};

class ComponentHandler : public IComponentHandler
{
public:
    struct Call
    {
        char kind; // 'b'egin, 'p'erform, 'e'nd
        ParamID id;
        ParamValue value;
        bool operator==(const Call&) const = default;
    };
    tresult PLUGIN_API beginEdit(ParamID id) override;
    tresult PLUGIN_API performEdit(ParamID id, ParamValue value) override;
    tresult PLUGIN_API endEdit(ParamID id) override;
    tresult PLUGIN_API restartComponent(int32) override { return kResultOk; }
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;
    uint32 PLUGIN_API addRef() override { return static_cast<uint32>(++refs); }
    uint32 PLUGIN_API release() override { return static_cast<uint32>(--refs); }

    std::vector<Call> calls;
    int32 refs = 0;
};

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

// One process call: a stereo input bus and a stereo output bus of the given sample type.
template <typename T> struct Block
{
    Block(int frames, int inChannels = 2, int outChannels = 2)
        : in(inChannels, frames), out(outChannels, frames)
    {
        data.symbolicSampleSize = sizeof(T) == 8 ? kSample64 : kSample32;
        data.numSamples = frames;
        data.numInputs = 1;
        data.numOutputs = 1;
        inBus.numChannels = inChannels;
        outBus.numChannels = outChannels;
        SetPointers(inBus, in.Pointers());
        SetPointers(outBus, out.Pointers());
        data.inputs = &inBus;
        data.outputs = &outBus;
        data.processContext = &context;
    }
    static void SetPointers(AudioBusBuffers& bus, T** p)
    {
        if constexpr (sizeof(T) == 8)
            bus.channelBuffers64 = p;
        else
            bus.channelBuffers32 = p;
    }

    GuardedBuffers<T> in, out;
    AudioBusBuffers inBus, outBus;
    ProcessContext context{};
    ProcessData data;
};

// Deterministic test signal: a sum of sines with bursts that make a limiter work.
double Signal(int channel, int64_t frame);

} // namespace testhost
