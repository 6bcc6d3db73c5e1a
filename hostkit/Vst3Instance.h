#pragma once
// One instance of a single-component VST3 class as a host holds it, and the record of one process
// call. The instance is deactivated, terminated and released when the object dies.
#include "hostkit/Vst3Module.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

namespace hostkit
{
class Vst3Instance
{
public:
    Vst3Instance() = default;
    ~Vst3Instance() { Release(); }
    Vst3Instance(const Vst3Instance&) = delete;
    Vst3Instance& operator=(const Vst3Instance&) = delete;

    // Creates class cid and initialises it with context. Answers initialize's result, or
    // kNoInterface when the factory gave no component.
    Steinberg::tresult Create(const Vst3Module& module, const unsigned char* cid,
                              Steinberg::FUnknown* context);
    // setActive, and setProcessing to match (many plug-ins answer not-implemented to that).
    // Deactivating an inactive instance does nothing.
    Steinberg::tresult SetActive(bool on);
    void Release();

    Steinberg::Vst::IComponent* component = nullptr;
    Steinberg::Vst::IAudioProcessor* processor = nullptr;  // null when the class has none
    Steinberg::Vst::IEditController* controller = nullptr; // null when it is a separate object

private:
    bool initialised = false, active = false;
};

// One main input and one main output bus of the same channel count, with a transport context.
struct Vst3ProcessCall
{
    Vst3ProcessCall(Steinberg::int32 sampleSize, Steinberg::int32 channels,
                    Steinberg::int32 mode = Steinberg::Vst::kRealtime)
    {
        data.processMode = mode;
        data.symbolicSampleSize = sampleSize;
        inBus.numChannels = outBus.numChannels = channels;
        data.numInputs = data.numOutputs = 1;
        data.inputs = &inBus;
        data.outputs = &outBus;
        data.processContext = &context;
    }
    Vst3ProcessCall(const Vst3ProcessCall&) = delete;
    Vst3ProcessCall& operator=(const Vst3ProcessCall&) = delete;

    template <typename T> void SetBuffers(T** inputs, T** outputs, Steinberg::int32 frames)
    {
        if constexpr (sizeof(T) == sizeof(double))
        {
            inBus.channelBuffers64 = inputs;
            outBus.channelBuffers64 = outputs;
        }
        else
        {
            inBus.channelBuffers32 = inputs;
            outBus.channelBuffers32 = outputs;
        }
        data.numSamples = frames;
    }

    Steinberg::Vst::ProcessData data;
    Steinberg::Vst::ProcessContext context{};
    Steinberg::Vst::AudioBusBuffers inBus, outBus;
};
} // namespace hostkit
