#pragma once
// One object that is audio processor and edit controller at once: the SDK's EditController plus
// IComponent and IAudioProcessor, with the SDK's bus lists. Processor and controller cannot be
// separated, so there is no controller class and no peer connection.
//
// Threads: bus queries and activation come on the host's UI thread; the host serialises them
// against processing.
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "public.sdk/source/vst/vstbus.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

// IComponent and IEditController both name their state calls setState/getState, so a single
// override would serve both. These two adapters give each side a name of its own.
class ControllerStateAdapter : public Steinberg::Vst::EditController
{
public:
    Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) final
    {
        return setControllerState(state);
    }
    Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) final
    {
        return getControllerState(state);
    }

protected:
    virtual Steinberg::tresult setControllerState(Steinberg::IBStream* state) = 0;
    virtual Steinberg::tresult getControllerState(Steinberg::IBStream* state) = 0;
};

class ComponentStateAdapter : public Steinberg::Vst::IComponent
{
public:
    Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) final
    {
        return setComponentData(state);
    }
    Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) final
    {
        return getComponentData(state);
    }

protected:
    virtual Steinberg::tresult setComponentData(Steinberg::IBStream* state) = 0;
    virtual Steinberg::tresult getComponentData(Steinberg::IBStream* state) = 0;
};

class SingleComponentEffect : public ControllerStateAdapter,
                              public ComponentStateAdapter,
                              public Steinberg::Vst::IAudioProcessor
{
public:
    SingleComponentEffect();

    // ---- Buses ----
    Steinberg::Vst::AudioBus* addAudioInput(const Steinberg::Vst::TChar* name,
                                            Steinberg::Vst::SpeakerArrangement arr,
                                            Steinberg::Vst::BusType busType, Steinberg::int32 flags);
    Steinberg::Vst::AudioBus* addAudioOutput(const Steinberg::Vst::TChar* name,
                                             Steinberg::Vst::SpeakerArrangement arr,
                                             Steinberg::Vst::BusType busType, Steinberg::int32 flags);
    Steinberg::Vst::EventBus* addEventInput(const Steinberg::Vst::TChar* name, Steinberg::int32 channels,
                                            Steinberg::Vst::BusType busType, Steinberg::int32 flags);
    // Null when there is no such bus.
    Steinberg::Vst::AudioBus* getAudioInput(Steinberg::int32 index) const;
    Steinberg::Vst::AudioBus* getAudioOutput(Steinberg::int32 index) const;
    // Puts a new bus in place of the one at index (appends when index is the list size).
    void replaceAudioBus(Steinberg::Vst::BusDirection dir, Steinberg::int32 index,
                         Steinberg::Vst::AudioBus* bus);
    void removeAllBusses();

    // ---- IPluginBase ----
    Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API terminate() SMTG_OVERRIDE;

    // ---- IComponent ----
    Steinberg::tresult PLUGIN_API getControllerClassId(Steinberg::TUID classId) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API setIoMode(Steinberg::Vst::IoMode mode) SMTG_OVERRIDE;
    Steinberg::int32 PLUGIN_API getBusCount(Steinberg::Vst::MediaType type,
                                            Steinberg::Vst::BusDirection dir) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getBusInfo(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir,
                                             Steinberg::int32 index,
                                             Steinberg::Vst::BusInfo& info) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getRoutingInfo(Steinberg::Vst::RoutingInfo& inInfo,
                                                 Steinberg::Vst::RoutingInfo& outInfo) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API activateBus(Steinberg::Vst::MediaType type,
                                              Steinberg::Vst::BusDirection dir, Steinberg::int32 index,
                                              Steinberg::TBool state) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API setActive(Steinberg::TBool state) SMTG_OVERRIDE;

    // ---- IAudioProcessor ----
    Steinberg::tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs,
                                                     Steinberg::int32 numIns,
                                                     Steinberg::Vst::SpeakerArrangement* outputs,
                                                     Steinberg::int32 numOuts) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getBusArrangement(Steinberg::Vst::BusDirection dir, Steinberg::int32 index,
                                                    Steinberg::Vst::SpeakerArrangement& arr) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API canProcessSampleSize(Steinberg::int32 symbolicSampleSize) SMTG_OVERRIDE;
    Steinberg::uint32 PLUGIN_API getLatencySamples() SMTG_OVERRIDE { return 0; }
    Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API setProcessing(Steinberg::TBool state) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) SMTG_OVERRIDE;
    Steinberg::uint32 PLUGIN_API getTailSamples() SMTG_OVERRIDE { return 0; }

    // ---- IEditController ----
    Steinberg::tresult PLUGIN_API setComponentState(Steinberg::IBStream* state) SMTG_OVERRIDE;

    // The SDK's container throws on a bad position; hosts are not trusted.
    Steinberg::tresult PLUGIN_API getParameterInfo(Steinberg::int32 paramIndex,
                                                   Steinberg::Vst::ParameterInfo& info) SMTG_OVERRIDE;

    const Steinberg::Vst::ProcessSetup& getProcessSetup() const { return processSetup; }

    OBJ_METHODS(SingleComponentEffect, EditController) // the adapters are not kinds of their own
    // IConnectionPoint is refused: with processor and controller in one object there is no peer.
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) SMTG_OVERRIDE;
    REFCOUNT_METHODS(EditController)

protected:
    // Component state (IComponent) and controller state (IEditController).
    Steinberg::tresult setComponentData(Steinberg::IBStream* state) override;
    Steinberg::tresult getComponentData(Steinberg::IBStream* state) override;
    Steinberg::tresult setControllerState(Steinberg::IBStream* state) override;
    Steinberg::tresult getControllerState(Steinberg::IBStream* state) override;

    Steinberg::Vst::BusList* getBusList(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir);

    Steinberg::Vst::BusList audioInputs;
    Steinberg::Vst::BusList audioOutputs;
    Steinberg::Vst::BusList eventInputs;
    Steinberg::Vst::BusList eventOutputs;
    Steinberg::Vst::ProcessSetup processSetup;
};
