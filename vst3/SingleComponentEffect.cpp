#include "vst3/SingleComponentEffect.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

SingleComponentEffect::SingleComponentEffect()
    : audioInputs(kAudio, kInput), audioOutputs(kAudio, kOutput), eventInputs(kEvent, kInput),
      eventOutputs(kEvent, kOutput)
{
    processSetup.processMode = kRealtime;
    processSetup.symbolicSampleSize = kSample32;
    processSetup.maxSamplesPerBlock = 1024;
    processSetup.sampleRate = 44100.0;
}

AudioBus* SingleComponentEffect::addAudioInput(const TChar* name, SpeakerArrangement arr, BusType busType,
                                               int32 flags)
{
    auto* bus = new AudioBus(name, busType, flags, arr);
    audioInputs.emplace_back(owned(bus));
    return bus;
}

AudioBus* SingleComponentEffect::addAudioOutput(const TChar* name, SpeakerArrangement arr, BusType busType,
                                                int32 flags)
{
    auto* bus = new AudioBus(name, busType, flags, arr);
    audioOutputs.emplace_back(owned(bus));
    return bus;
}

EventBus* SingleComponentEffect::addEventInput(const TChar* name, int32 channels, BusType busType,
                                               int32 flags)
{
    auto* bus = new EventBus(name, busType, flags, channels);
    eventInputs.emplace_back(owned(bus));
    return bus;
}

AudioBus* SingleComponentEffect::getAudioInput(int32 index) const
{
    if (index < 0 || index >= static_cast<int32>(audioInputs.size())) return nullptr;
    return FCast<AudioBus>(audioInputs[static_cast<size_t>(index)].get());
}

AudioBus* SingleComponentEffect::getAudioOutput(int32 index) const
{
    if (index < 0 || index >= static_cast<int32>(audioOutputs.size())) return nullptr;
    return FCast<AudioBus>(audioOutputs[static_cast<size_t>(index)].get());
}

void SingleComponentEffect::replaceAudioBus(BusDirection dir, int32 index, AudioBus* bus)
{
    BusList& list = dir == kInput ? audioInputs : audioOutputs;
    if (index < 0 || index > static_cast<int32>(list.size()))
    {
        bus->release();
        return;
    }
    if (index == static_cast<int32>(list.size()))
        list.emplace_back(owned(bus));
    else
        list[static_cast<size_t>(index)] = owned(bus);
}

void SingleComponentEffect::removeAllBusses()
{
    audioInputs.clear();
    audioOutputs.clear();
    eventInputs.clear();
    eventOutputs.clear();
}

BusList* SingleComponentEffect::getBusList(MediaType type, BusDirection dir)
{
    if (type == kAudio) return dir == kInput ? &audioInputs : &audioOutputs;
    if (type == kEvent) return dir == kInput ? &eventInputs : &eventOutputs;
    return nullptr;
}

tresult PLUGIN_API SingleComponentEffect::initialize(FUnknown* context)
{
    return EditController::initialize(context);
}

tresult PLUGIN_API SingleComponentEffect::terminate()
{
    removeAllBusses();
    return EditController::terminate();
}

tresult PLUGIN_API SingleComponentEffect::getControllerClassId(TUID)
{
    return kNotImplemented;
}

tresult PLUGIN_API SingleComponentEffect::setIoMode(IoMode)
{
    return kNotImplemented;
}

int32 PLUGIN_API SingleComponentEffect::getBusCount(MediaType type, BusDirection dir)
{
    BusList* list = getBusList(type, dir);
    return list ? static_cast<int32>(list->size()) : 0;
}

tresult PLUGIN_API SingleComponentEffect::getBusInfo(MediaType type, BusDirection dir, int32 index,
                                                     BusInfo& info)
{
    BusList* list = getBusList(type, dir);
    if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
    info.mediaType = type;
    info.direction = dir;
    return (*list)[static_cast<size_t>(index)]->getInfo(info) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API SingleComponentEffect::getRoutingInfo(RoutingInfo&, RoutingInfo&)
{
    return kNotImplemented;
}

tresult PLUGIN_API SingleComponentEffect::activateBus(MediaType type, BusDirection dir, int32 index,
                                                      TBool state)
{
    BusList* list = getBusList(type, dir);
    if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
    (*list)[static_cast<size_t>(index)]->setActive(state);
    return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::setActive(TBool)
{
    return kResultOk;
}

tresult SingleComponentEffect::setComponentData(IBStream*)
{
    return kNotImplemented;
}

tresult SingleComponentEffect::getComponentData(IBStream*)
{
    return kNotImplemented;
}

tresult SingleComponentEffect::setControllerState(IBStream*)
{
    return kNotImplemented;
}

tresult SingleComponentEffect::getControllerState(IBStream*)
{
    return kNotImplemented;
}

tresult PLUGIN_API SingleComponentEffect::setBusArrangements(SpeakerArrangement*, int32, SpeakerArrangement*,
                                                             int32)
{
    return kResultFalse;
}

tresult PLUGIN_API SingleComponentEffect::getBusArrangement(BusDirection dir, int32 index,
                                                            SpeakerArrangement& arr)
{
    AudioBus* bus = dir == kInput ? getAudioInput(index) : getAudioOutput(index);
    if (!bus) return kResultFalse;
    arr = bus->getArrangement();
    return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::canProcessSampleSize(int32 symbolicSampleSize)
{
    return symbolicSampleSize == kSample32 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API SingleComponentEffect::setupProcessing(ProcessSetup& setup)
{
    processSetup = setup;
    return kResultOk;
}

tresult PLUGIN_API SingleComponentEffect::setProcessing(TBool)
{
    return kNotImplemented;
}

tresult PLUGIN_API SingleComponentEffect::process(ProcessData&)
{
    return kNotImplemented;
}

tresult PLUGIN_API SingleComponentEffect::setComponentState(IBStream*)
{
    return kNotImplemented;
}

tresult PLUGIN_API SingleComponentEffect::getParameterInfo(int32 paramIndex, ParameterInfo& info)
{
    if (paramIndex < 0 || paramIndex >= parameters.getParameterCount()) return kResultFalse;
    return EditController::getParameterInfo(paramIndex, info);
}

tresult PLUGIN_API SingleComponentEffect::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, IConnectionPoint::iid))
    {
        *obj = nullptr;
        return kNoInterface;
    }
    QUERY_INTERFACE(iid, obj, IComponent::iid, IComponent)
    QUERY_INTERFACE(iid, obj, IAudioProcessor::iid, IAudioProcessor)
    return EditController::queryInterface(iid, obj);
}
