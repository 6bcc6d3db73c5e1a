#include "vst3/IEffectVST3.h"

#include "core/BindingLimits.h"
#include "core/Utf16Text.h"
#include "vst3/IEffectParameter.h"
#include "vst3/IEffectVST3View.h"

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/vstspeaker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;
using vellicor::Utf16ToUtf8;
using vellicor::Utf8ToUtf16;

namespace
{
// Speaker arrangement for a channel count; counts without a layout get the empty arrangement.
SpeakerArrangement ArrangementFor(int32 channels)
{
    switch (channels)
    {
    case 1:
        return SpeakerArr::kMono;
    case 2:
        return SpeakerArr::kStereo;
    case 3:
        return SpeakerArr::k30Music; // L R Cs
    case 4:
        return SpeakerArr::kAmbi1stOrderACN;
    case 5:
        return SpeakerArr::k50;
    case 6:
        return SpeakerArr::k51;
    default:
        return SpeakerArr::kEmpty;
    }
}

struct BusName
{
    explicit BusName(const char* text) { Utf8ToUtf16(text, name, 128); }
    TChar name[128];
};

const char* LabelAt(const std::vector<std::string>& labels, size_t index)
{
    return index < labels.size() ? labels[index].c_str() : "";
}

int32 ChannelCountOf(const AudioBus* bus)
{
    return bus ? SpeakerArr::getChannelCount(bus->getArrangement()) : -1;
}
} // namespace

IEffectVST3::IEffectVST3(const InstanceInfo&, int32_t paramCount, const char* channelConfig,
                         int32_t presetCount, const char* effectName, const char* productName,
                         const char* makerName, int32_t version, int32_t uniqueId, int32_t makerId,
                         int32_t latency, int32_t midiMode, bool chunks, bool instrument, int32_t sideChain)
    : IEffectBase(paramCount, channelConfig, presetCount, effectName, productName, makerName, version,
                  uniqueId, makerId, latency, midiMode, chunks, instrument, kBindingVST3),
      sideChainChannels(std::clamp<int32_t>(sideChain, 0, 2))
{
    sideChainChannels = std::min(sideChainChannels, NInChannels());
    openViews.reserve(10);
    SetInputConnections(0, NInChannels(), true);
    SetOutputConnections(0, NOutChannels(), true);

    SetInputBusLabel(0, "Main Input");
    if (sideChainChannels > 0) SetInputBusLabel(1, "Aux Input");
    if (instrument)
    {
        char label[32];
        for (int32_t pair = 0; pair < NOutChannels() / 2; ++pair)
        {
            std::snprintf(label, sizeof label, "Output %i", pair + 1);
            SetOutputBusLabel(pair, label);
        }
    }
    else
        SetOutputBusLabel(0, "Output");

    hostIn32.assign(static_cast<size_t>(NInChannels()), nullptr);
    hostIn64.assign(static_cast<size_t>(NInChannels()), nullptr);
    hostOut32.assign(static_cast<size_t>(NOutChannels()), nullptr);
    hostOut64.assign(static_cast<size_t>(NOutChannels()), nullptr);
    loadedValues.assign(static_cast<size_t>(paramCount), 0.0);
}

IEffectVST3::~IEffectVST3() = default;

// ---- Host services -------------------------------------------------------------------------

void IEffectVST3::BeginParamEdit(int32_t index)
{
    // A wheel gesture still waiting for its end is ended first: hosts take no begin inside an open
    // gesture.
    FlushEndParamEdit();
    beginEdit(static_cast<ParamID>(index));
}

void IEffectVST3::BeginParamEditIfIdle(int32_t index)
{
    // Hosts take edits only inside a begin/end pair; without this a wheel step would send its
    // perform and deferred end with no begin.
    {
        PluginLock::Scoped hold(Lock());
        if (index == PendingEndEdit()) return; // the running gesture continues
    }
    BeginParamEdit(index); // outside the lock, as every host call
}

void IEffectVST3::ParamEdited(int32_t index, double normalized)
{
    performEdit(static_cast<ParamID>(index), normalized);
}

void IEffectVST3::EndParamEdit(int32_t index)
{
    endEdit(static_cast<ParamID>(index));
}

int32_t IEffectVST3::HostSamplePos()
{
    // Past 2^31 samples (12 h at 48 kHz) the position saturates rather than wrapping to a negative time.
    const int64_t pos = hostTransport.projectTimeSamples;
    return static_cast<int32_t>(std::clamp<int64_t>(pos, INT32_MIN, INT32_MAX));
}

// ---- Lifecycle -------------------------------------------------------------------------------

tresult PLUGIN_API IEffectVST3::initialize(FUnknown* context)
{
    // A second initialize (possible with a null context, which the SDK does not remember) would
    // add every bus and parameter twice.
    const tresult result = initialized ? kResultFalse : SingleComponentEffect::initialize(context);

    if (context)
    {
        IHostApplication* app = nullptr;
        if (context->queryInterface(IHostApplication::iid, reinterpret_cast<void**>(&app)) == kResultOk &&
            app)
        {
            // A host that cannot name itself is still identified, as an unknown one.
            String128 name{};
            char text[kNameSize];
            if (app->getName(name) != kResultOk) name[0] = 0;
            Utf16ToUtf8(name, 128, text, sizeof text);
            SetHostInfo(text, 0);
            app->release();
        }
    }

    if (result == kResultOk)
    {
        initialized = true;
        const std::vector<std::string>& inLabels = InputBusLabels();
        const std::vector<std::string>& outLabels = OutputBusLabels();

        const int32 mainIn = NInChannels() - sideChainChannels;
        if (mainIn >= 1 && mainIn <= 6)
            addAudioInput(BusName(LabelAt(inLabels, 0)).name, ArrangementFor(mainIn), kMain,
                          BusInfo::kDefaultActive);

        if (!IsInstrument())
            addAudioOutput(BusName(LabelAt(outLabels, 0)).name, ArrangementFor(NOutChannels()), kMain,
                           BusInfo::kDefaultActive);
        else
            for (int32 pair = 0; pair < NOutChannels() / 2; ++pair)
                addAudioOutput(BusName(LabelAt(outLabels, static_cast<size_t>(pair))).name, ArrangementFor(2),
                               kMain, BusInfo::kDefaultActive);

        if (sideChainChannels > 0)
            addAudioInput(BusName(LabelAt(inLabels, 1)).name, ArrangementFor(sideChainChannels), kAux, 0);

        if (vellicor::ReceivesMidi(MidiMode()))
            addEventInput(BusName("MIDI Input").name, 1, kMain, BusInfo::kDefaultActive);

        AddParameters();
    }

    HostIdentified();
    return result;
}

void IEffectVST3::AddParameters()
{
    if (NPresets() >= 1)
    {
        auto* presets =
            new StringListParameter(BusName("Presets").name, kProgramTag, nullptr,
                                    ParameterInfo::kIsList | ParameterInfo::kIsProgramChange, kRootUnitId);
        String128 empty{};
        for (int32_t i = 0; i < NPresets(); ++i)
            presets->appendString(empty);
        parameters.addParameter(presets);
    }

    for (int32_t i = 0; i < NParams(); ++i)
    {
        IParamSlot* slot = GetParam(i);
        UnitID unit = kRootUnitId;
        const char* group = slot->Group();
        if (group && group[0] != '\0')
        {
            auto found = std::find(paramGroupNames.begin(), paramGroupNames.end(), group);
            if (found == paramGroupNames.end())
            {
                paramGroupNames.emplace_back(group);
                unit = static_cast<UnitID>(paramGroupNames.size());
            }
            else
                unit = static_cast<UnitID>(found - paramGroupNames.begin()) + 1;
        }
        parameters.addParameter(new IEffectParameter(slot, static_cast<ParamID>(i), unit));
        ParamChanged(i);
    }
}

tresult PLUGIN_API IEffectVST3::terminate()
{
    // The views stay alive until the host releases them; they then find themselves unlisted.
    openViews.clear();
    initialized = false;
    return SingleComponentEffect::terminate();
}

tresult PLUGIN_API IEffectVST3::setActive(TBool state)
{
    ActiveChanged(state != 0);
    return kResultOk;
}

// ---- Processing setup ----------------------------------------------------------------------

tresult PLUGIN_API IEffectVST3::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                   SpeakerArrangement* outputs, int32 numOuts)
{
    SetInputConnections(0, NInChannels(), false);
    SetOutputConnections(0, NOutChannels(), false);
    if (!inputs || numIns < 1 || !outputs || numOuts < 1) return kResultFalse;

    const int32 a = SpeakerArr::getChannelCount(inputs[0]);
    const int32 b = SpeakerArr::getChannelCount(outputs[0]);
    if (!IsLegalIO(a, b)) return kResultFalse;
    // A refused proposal leaves the buses as they were.
    if (numIns != (sideChainChannels == 0 ? 1 : 2)) return kResultFalse;

    if (ChannelCountOf(getAudioInput(0)) != a)
        replaceAudioBus(
            kInput, 0,
            new AudioBus(BusName("Input").name, kMain, BusInfo::kDefaultActive, ArrangementFor(a)));
    if (ChannelCountOf(getAudioOutput(0)) != b)
        replaceAudioBus(
            kOutput, 0,
            new AudioBus(BusName("Output").name, kMain, BusInfo::kDefaultActive, ArrangementFor(b)));
    if (sideChainChannels > 0)
    {
        const int32 c = SpeakerArr::getChannelCount(inputs[1]);
        AudioBus* aux = getAudioInput(1);
        if (aux && ChannelCountOf(aux) != c)
            replaceAudioBus(kInput, 1,
                            new AudioBus(BusName("Sidechain Input").name, kAux, 0, ArrangementFor(c)));
    }
    return kResultTrue;
}

tresult PLUGIN_API IEffectVST3::canProcessSampleSize(int32 symbolicSampleSize)
{
    return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue : kResultFalse;
}

uint32 PLUGIN_API IEffectVST3::getLatencySamples()
{
    return static_cast<uint32>(std::max(Latency(), 0));
}

uint32 PLUGIN_API IEffectVST3::getTailSamples()
{
    return static_cast<uint32>(std::max(TailLength(), 0));
}

tresult PLUGIN_API IEffectVST3::setupProcessing(ProcessSetup& setup)
{
    if (setup.symbolicSampleSize != kSample32 && setup.symbolicSampleSize != kSample64) return kResultFalse;
    // An unusable rate is refused and the last valid one kept, as the VST2 binding ignores it.
    if (!vellicor::IsUsableSampleRate(setup.sampleRate)) return kResultFalse;
    if (setup.maxSamplesPerBlock < 1) return kResultFalse;

    SetBypassed(false);
    SetSampleRate(setup.sampleRate);
    // Processing runs in slices of the block size, so a larger host block only needs the cap on
    // the scratch buffers it would size.
    SetBlockSize(std::min<int32>(setup.maxSamplesPerBlock, vellicor::kMaxBlockFrames));
    ResetState();
    processSetup = setup;
    return kResultOk;
}

// ---- Processing ----------------------------------------------------------------------------

int32_t IEffectVST3::ProgramIndexFor(double normalized) const
{
    const double x = std::isnan(normalized) ? 0.0 : std::clamp(normalized, 0.0, 1.0);
    return static_cast<int32_t>((NPresets() - 1) * x + 0.5);
}

bool IEffectVST3::ApplyParameterChanges(IParameterChanges* changes)
{
    bool programLoaded = false;
    if (!changes) return false;
    const int32 queues = changes->getParameterCount();
    for (int32 q = 0; q < queues; ++q)
    {
        IParamValueQueue* queue = changes->getParameterData(q);
        if (!queue) continue;
        const int32 points = queue->getPointCount();
        int32 offset = 0;
        ParamValue value = 0.0;
        if (points < 1 || queue->getPoint(points - 1, offset, value) != kResultOk) continue;

        const ParamID id = queue->getParameterId();
        if (id == kBypassTag)
            SetBypassed(value > 0.5);
        else if (id == kProgramTag)
        {
            if (NPresets() > 0 && RestorePreset(ProgramIndexFor(value))) programLoaded = true;
        }
        else if (ValidParam(id))
        {
            const auto index = static_cast<int32_t>(id);
            GetParam(index)->SetFromNormalized(value);
            if (IEditor* gui = GetGUI())
                gui->SetParamFromPlugin(index, std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0), true);
            ParamChanged(index);
        }
    }
    return programLoaded;
}

void IEffectVST3::DeliverEvents(IEventList* events)
{
    const int32 count = events->getEventCount();
    for (int32 i = 0; i < count; ++i)
    {
        Event e{};
        if (events->getEvent(i, e) != kResultOk) continue;
        MidiMessage msg{e.sampleOffset, 0, 0, 0};
        if (e.type == Event::kNoteOnEvent)
        {
            const float velocity = std::clamp(e.noteOn.velocity, 0.0f, 1.0f);
            msg.status = static_cast<uint8_t>(0x90 | (e.noteOn.channel & 0x0F));
            msg.data1 = static_cast<uint8_t>(e.noteOn.pitch & 0x7F);
            msg.data2 = static_cast<uint8_t>(velocity * 127.0f);
        }
        else if (e.type == Event::kNoteOffEvent)
        {
            msg.status = static_cast<uint8_t>(0x80 | (e.noteOff.channel & 0x0F));
            msg.data1 = static_cast<uint8_t>(e.noteOff.pitch & 0x7F);
        }
        else
            continue;
        MidiReceived(msg);
    }
}

namespace
{
template <typename T> T* ChannelOf(const AudioBusBuffers* bus, int32 channel, bool doubles)
{
    if (!bus || channel >= bus->numChannels) return nullptr;
    if constexpr (sizeof(T) == sizeof(double))
        return doubles && bus->channelBuffers64 ? bus->channelBuffers64[channel] : nullptr;
    else
        return !doubles && bus->channelBuffers32 ? bus->channelBuffers32[channel] : nullptr;
}
} // namespace

void IEffectVST3::ConnectInputs(const ProcessData& data, bool doubles)
{
    const int32 nIn = NInChannels();
    const AudioBusBuffers* main = data.numInputs >= 1 && data.inputs ? &data.inputs[0] : nullptr;
    const AudioBusBuffers* side = data.numInputs >= 2 && data.inputs ? &data.inputs[1] : nullptr;
    std::fill(hostIn32.begin(), hostIn32.end(), nullptr);
    std::fill(hostIn64.begin(), hostIn64.end(), nullptr);

    int32 next = 0;
    auto take = [&](const AudioBusBuffers* bus, int32 channel)
    {
        hostIn32[static_cast<size_t>(next)] = ChannelOf<float>(bus, channel, doubles);
        hostIn64[static_cast<size_t>(next)] = ChannelOf<double>(bus, channel, doubles);
        ++next;
    };

    if (!main)
        SetInputConnections(0, nIn, false); // no input bus this block: silence in
    else if (sideChainChannels == 0)
    {
        const int32 connected = std::clamp<int32>(main->numChannels, 0, nIn);
        SetInputConnections(0, connected, true);
        SetInputConnections(connected, nIn - connected, false);
        for (int32 c = 0; c < connected; ++c)
            take(main, c);
    }
    else
    {
        const int32 m = nIn - sideChainChannels;
        const AudioBus* aux = getAudioInput(1);
        const bool auxActive = aux && aux->isActive();
        if (!auxActive)
        {
            if (sideChainWasActive)
            {
                ZeroScratch();
                sideChainWasActive = false;
            }
            SetInputConnections(0, m, true);
            SetInputConnections(m, sideChainChannels, false);
        }
        else
        {
            sideChainWasActive = true;
            SetInputConnections(0, nIn, true);
        }
        for (int32 c = 0; c < m; ++c)
            take(main, c);
        for (int32 c = 0; auxActive && c < sideChainChannels; ++c)
            take(side, c);
    }
}

void IEffectVST3::ConnectOutputs(const ProcessData& data, bool doubles)
{
    const int32 nOut = NOutChannels();
    std::fill(hostOut32.begin(), hostOut32.end(), nullptr);
    std::fill(hostOut64.begin(), hostOut64.end(), nullptr);
    SetOutputConnections(0, nOut, false);
    if (!data.outputs) return;

    int32 first = 0;
    int32 next = 0;
    for (int32 j = 0; j < data.numOutputs && first < nOut; ++j)
    {
        const AudioBusBuffers& bus = data.outputs[j];
        const int32 k = std::clamp<int32>(bus.numChannels, 0, nOut - first);
        const AudioBus* declared = getAudioOutput(j);
        if (declared && declared->isActive())
        {
            SetOutputConnections(first, k, true);
            for (int32 c = 0; c < k; ++c, ++next)
            {
                hostOut32[static_cast<size_t>(next)] = ChannelOf<float>(&bus, c, doubles);
                hostOut64[static_cast<size_t>(next)] = ChannelOf<double>(&bus, c, doubles);
            }
        }
        first += k;
    }
}

tresult PLUGIN_API IEffectVST3::process(ProcessData& data)
{
    // A host that sent a program keeps showing and saving its own values until told otherwise. It
    // hears of the preset's as output changes of this same call, written with the lock released.
    // (Not restartComponent: that belongs to the UI thread, and Ardour 7 deadlocks when it comes
    // from inside its own setParamNormalized of the program.)
    if (ProcessLocked(data)) ReportLoadedValues(data.outputParameterChanges);
    return kResultOk;
}

bool IEffectVST3::ProcessLocked(ProcessData& data)
{
    PluginLock::Scoped hold(Lock());
    if (data.processContext) hostTransport = *data.processContext;
    const bool programLoaded = ApplyParameterChanges(data.inputParameterChanges);
    for (int32_t i = 0; programLoaded && i < NParams(); ++i)
        loadedValues[static_cast<size_t>(i)] = GetParam(i)->NormalizedValue();
    if (vellicor::ReceivesMidi(MidiMode()) && data.inputEvents) DeliverEvents(data.inputEvents);

    // Buffers of another sample width than the one set up cannot be told apart from it: touch nothing.
    if (data.numSamples < 1 || data.symbolicSampleSize != processSetup.symbolicSampleSize)
        return programLoaded;

    const bool doubles = processSetup.symbolicSampleSize == kSample64;
    ConnectInputs(data, doubles);
    ConnectOutputs(data, doubles);
    if (doubles)
        ProcessHostBlock(hostIn64.data(), hostOut64.data(), data.numSamples, IsBypassed());
    else
        ProcessHostBlock(hostIn32.data(), hostOut32.data(), data.numSamples, BlockForm::FloatReplacing,
                         IsBypassed());
    return programLoaded;
}

void IEffectVST3::ReportLoadedValues(IParameterChanges* changes)
{
    if (!changes) return;
    for (size_t i = 0; i < loadedValues.size(); ++i)
    {
        int32 queueIndex = 0, pointIndex = 0;
        if (IParamValueQueue* queue = changes->addParameterData(static_cast<ParamID>(i), queueIndex))
            queue->addPoint(0, loadedValues[i], pointIndex);
    }
}

// ---- State ---------------------------------------------------------------------------------

tresult IEffectVST3::setComponentData(IBStream* state)
{
    if (!state) return kInvalidArgument;
    PluginLock::Scoped hold(Lock());
    StateChunk chunk;
    SaveState(chunk, true);
    const int32 length = chunk.Size();
    if (length <= 0) return kResultFalse;
    // Whatever the stream does not deliver keeps the current values, so a short stream cannot
    // leave a parameter undefined; LoadState clamps every value it reads. Only whole values are
    // taken: a value cut short would mix its bytes with the current one's.
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    int32 got = 0;
    const bool readOk = state->read(bytes.data(), length, &got) == kResultOk;
    got = std::clamp<int32>(got, 0, length);
    std::memcpy(chunk.Data(), bytes.data(), static_cast<size_t>(got - got % 8));
    LoadState(chunk, 0);
    PushParamsToGui();
    // A short state is a failed restore, as it is for every other state reader.
    return readOk && got == length ? kResultOk : kResultFalse;
}

tresult IEffectVST3::getComponentData(IBStream* state)
{
    if (!state) return kInvalidArgument;
    PluginLock::Scoped hold(Lock());
    StateChunk chunk;
    if (!SaveState(chunk, false)) return kResultFalse;
    if (chunk.Size() == 0) return kResultOk;
    int32 written = 0;
    // A stream that takes less than the whole state would lose the project's settings silently.
    if (state->write(chunk.Data(), chunk.Size(), &written) != kResultOk || written != chunk.Size())
        return kResultFalse;
    return kResultOk;
}

tresult IEffectVST3::setControllerState(IBStream*)
{
    PluginLock::Scoped hold(Lock());
    return kResultOk;
}

tresult IEffectVST3::getControllerState(IBStream*)
{
    PluginLock::Scoped hold(Lock());
    return kResultOk;
}

// ---- Controller values ---------------------------------------------------------------------

bool IEffectVST3::ValidParam(ParamID tag) const
{
    return tag < static_cast<ParamID>(NParams()) && GetParam(static_cast<int32_t>(tag)) != nullptr;
}

tresult PLUGIN_API IEffectVST3::getParamStringByValue(ParamID tag, ParamValue valueNormalized,
                                                      String128 string)
{
    if (!ValidParam(tag) || !string) return kResultFalse;
    char text[IParamSlot::kTextSize];
    GetParam(static_cast<int32_t>(tag))->FormatValue(valueNormalized, true, text);
    Utf8ToUtf16(text, string, 128);
    return kResultOk;
}

ParamValue PLUGIN_API IEffectVST3::plainParamToNormalized(ParamID tag, ParamValue plainValue)
{
    if (tag == kProgramTag) return NPresets() > 1 ? plainValue / (NPresets() - 1) : 0.0;
    if (ValidParam(tag)) return GetParam(static_cast<int32_t>(tag))->ToNormalized(plainValue);
    return plainValue;
}

ParamValue PLUGIN_API IEffectVST3::getParamNormalized(ParamID tag)
{
    if (tag == kBypassTag) return IsBypassed() ? 1.0 : 0.0;
    if (tag == kProgramTag)
    {
        return NPresets() > 1 ? static_cast<double>(CurrentPresetIndex()) / (NPresets() - 1) : 0.0;
    }
    if (ValidParam(tag)) return GetParam(static_cast<int32_t>(tag))->NormalizedValue();
    return 0.0;
}

tresult PLUGIN_API IEffectVST3::setParamNormalized(ParamID tag, ParamValue value)
{
    if (tag == kBypassTag)
    {
        SetBypassed(value != 0.0);
        return kResultOk;
    }
    if (tag == kProgramTag)
    {
        if (NPresets() > 0) SetCurrentPresetIndex(ProgramIndexFor(value));
        return kResultOk;
    }
    if (!ValidParam(tag)) return kResultFalse;
    GetParam(static_cast<int32_t>(tag))->SetFromNormalized(value);
    return kResultOk;
}

// ---- Views ---------------------------------------------------------------------------------

IPlugView* PLUGIN_API IEffectVST3::createView(FIDString name)
{
    if (!name || std::strcmp(name, "editor") != 0) return nullptr;
    auto* view = new IEffectVST3View(this);
    openViews.push_back(view);
    return view;
}

void IEffectVST3::ViewDestroyed(IEffectVST3View* view)
{
    auto found = std::find(openViews.begin(), openViews.end(), view);
    if (found != openViews.end()) openViews.erase(found);
}

// ---- Units and programs --------------------------------------------------------------------

int32 PLUGIN_API IEffectVST3::getUnitCount()
{
    return static_cast<int32>(paramGroupNames.size()) + 1;
}

tresult PLUGIN_API IEffectVST3::getUnitInfo(int32 unitIndex, UnitInfo& info)
{
    if (unitIndex == 0)
    {
        info.id = kRootUnitId;
        info.parentUnitId = kNoParentUnitId;
        Utf8ToUtf16("Root Unit", info.name, 128);
        info.programListId = kProgramListId;
        return kResultOk;
    }
    if (unitIndex < 0 || unitIndex > static_cast<int32>(paramGroupNames.size())) return kResultFalse;
    info.id = unitIndex;
    info.parentUnitId = kRootUnitId;
    Utf8ToUtf16(paramGroupNames[static_cast<size_t>(unitIndex - 1)].c_str(), info.name, 128);
    info.programListId = kNoProgramListId;
    return kResultOk;
}

int32 PLUGIN_API IEffectVST3::getProgramListCount()
{
    return NPresets() >= 1 ? 1 : 0;
}

tresult PLUGIN_API IEffectVST3::getProgramListInfo(int32 listIndex, ProgramListInfo& info)
{
    if (listIndex != 0 || NPresets() < 1) return kResultFalse;
    info.id = kProgramListId;
    Utf8ToUtf16("Factory Presets", info.name, 128);
    info.programCount = NPresets();
    return kResultOk;
}

tresult PLUGIN_API IEffectVST3::getProgramName(ProgramListID listId, int32 programIndex, String128 name)
{
    if (listId != kProgramListId || !name) return kResultFalse;
    Utf8ToUtf16(PresetName(programIndex), name, 128);
    return kResultOk;
}

tresult PLUGIN_API IEffectVST3::getProgramInfo(ProgramListID, int32, Vst::CString, String128)
{
    return kNotImplemented;
}

tresult PLUGIN_API IEffectVST3::hasProgramPitchNames(ProgramListID, int32)
{
    return kNotImplemented;
}

tresult PLUGIN_API IEffectVST3::getProgramPitchName(ProgramListID, int32, int16, String128)
{
    return kNotImplemented;
}

tresult PLUGIN_API IEffectVST3::selectUnit(UnitID)
{
    return kNotImplemented;
}

tresult PLUGIN_API IEffectVST3::getUnitByBus(MediaType, BusDirection, int32, int32, UnitID&)
{
    return kNotImplemented;
}

tresult PLUGIN_API IEffectVST3::setUnitProgramData(int32, int32, IBStream*)
{
    return kNotImplemented;
}
