#include "vst2/IEffectVST.h"

#include "core/BindingLimits.h"
#include "core/FixedText.h"
#include "core/HostLookup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

using vellicor::CopyText;

namespace
{
// Host-extension queries of the host keyed "reaper"; answered with its published magic value.
constexpr const char* kReaperExtensions = "hasCockosExtensions";
constexpr const char* kReaperViewAsConfig = "hasCockosViewAsConfig";

// Longest host text read: hosts are expected to terminate, but a missing terminator must not
// make us read on without end.
constexpr size_t kHostTextRead = 256;

// Copies a host text into a terminated local buffer of N bytes.
template <size_t N> void ReadHostText(const void* ptr, char (&out)[N])
{
    const char* text = static_cast<const char*>(ptr);
    const size_t n = text ? strnlen(text, N - 1) : 0;
    if (n) std::memcpy(out, text, n);
    out[n] = '\0';
}

void WriteHostText(void* ptr, size_t capacity, const char* text)
{
    CopyText(static_cast<char*>(ptr), capacity, text);
}

// Pointer-sized request values used as indexes: anything outside int32 is no index.
int32_t AsIndex(intptr_t value)
{
    return value >= INT32_MIN && value <= INT32_MAX ? static_cast<int32_t>(value) : -1;
}

int32_t ArrangementType(int32_t channels)
{
    switch (channels)
    {
    case 0:
        return kSpeakerArrEmpty;
    case 1:
        return kSpeakerArrMono;
    case 2:
        return kSpeakerArrStereo;
    default:
        return kSpeakerArrUserDefined;
    }
}

// Hosts whose channel handling needs inputs above the first pair disconnected.
bool NeedsChannelFix(int32_t kind)
{
    return kind == HostKinds::kForte || kind == HostKinds::kAudition || kind == HostKinds::kOrion ||
           kind == HostKinds::kSawStudio;
}

// Requests that only the editor answers (open, close, idle, a host's wheel turn).
bool IsEditorRequest(int32_t opcode, int32_t index, intptr_t value)
{
    return opcode == effEditOpen || opcode == effEditClose || opcode == effEditIdle ||
           (opcode == effVendorSpecific && index == kVendorWheelIndex && value == kVendorWheelValue);
}
} // namespace

namespace vellicor::vst2
{
void* ModuleHandle = nullptr;
} // namespace vellicor::vst2

IEffectVST::IEffectVST(const InstanceInfo& info, int32_t paramCount, const char* channelConfig,
                       int32_t presetCount, const char* effectName, const char* productName,
                       const char* makerName, int32_t version, int32_t uniqueId, int32_t makerId,
                       int32_t latency, int32_t midiMode, bool chunks, bool instrument)
    : IEffectBase(paramCount, channelConfig, presetCount, effectName, productName, makerName, version,
                  uniqueId, makerId, latency, midiMode, chunks, instrument, kBindingVST2),
      hostCallback(info.hostCallback)
{
    inputArrangement.type = ArrangementType(NInChannels());
    inputArrangement.numChannels = NInChannels();
    outputArrangement.type = ArrangementType(NOutChannels());
    outputArrangement.numChannels = NOutChannels();

    effect.magic = kEffectMagic;
    effect.dispatcher = DispatcherProc;
    effect.process = ProcessProc;
    effect.setParameter = SetParameterProc;
    effect.getParameter = GetParameterProc;
    effect.numPrograms = NPresets();
    effect.numParams = NParams();
    effect.numInputs = NInChannels();
    effect.numOutputs = NOutChannels();
    effect.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
    if (HasChunks()) effect.flags |= effFlagsProgramChunks;
    if (IsLegalIO(1, -1)) effect.flags |= effFlagsCanMono;
    if (IsInstrument()) effect.flags |= effFlagsIsSynth;
    effect.initialDelay = Latency();
    effect.ioRatio = 1.0f;
    effect.object = this;
    effect.uniqueID = UniqueId();
    effect.version = VersionNumber(true);
    effect.processReplacing = ProcessReplacingProc;
    effect.processDoubleReplacing = ProcessDoubleReplacingProc;

    SetInputConnections(0, NInChannels(), true);
    SetOutputConnections(0, NOutChannels(), true);
    SetBlockSize(1024);
}

IEffectVST::~IEffectVST()
{
    // A host that keeps the record after effClose finds no object behind it.
    effect.object = nullptr;
}

// ---- Host calls ----

intptr_t IEffectVST::HostCall(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    return hostCallback ? hostCallback(&effect, opcode, index, value, ptr, opt) : 0;
}

void IEffectVST::WantMidiIfNeeded()
{
    if (MidiMode() != 0) HostCall(audioMasterWantMidi, 0, 0, nullptr, 0.0f);
}

void IEffectVST::BeginParamEdit(int32_t index)
{
    FlushEndParamEdit();
    HostCall(audioMasterBeginEdit, index, 0, nullptr, 0.0f);
}

void IEffectVST::BeginParamEditIfIdle(int32_t index)
{
    {
        PluginLock::Scoped hold(Lock());
        if (index == PendingEndEdit()) return; // the running gesture continues
    }
    BeginParamEdit(index); // outside the lock, as every host call
}

void IEffectVST::ParamEdited(int32_t index, double normalized)
{
    HostCall(audioMasterAutomate, index, 0, nullptr, static_cast<float>(normalized));
}

void IEffectVST::EndParamEdit(int32_t index)
{
    HostCall(audioMasterEndEdit, index, 0, nullptr, 0.0f);
}

int32_t IEffectVST::HostSamplePos()
{
    const auto* time =
        reinterpret_cast<const VstTimeInfo*>(HostCall(audioMasterGetTime, 0, 0, nullptr, 0.0f));
    if (!time) return 0;
    const double pos = time->samplePos;
    if (!(pos >= 0.0)) return 0; // negative or NaN
    if (pos + 0.5 >= 2147483647.0) return INT32_MAX;
    return static_cast<int32_t>(pos + 0.5);
}

int32_t IEffectVST::HostKind()
{
    if (IEffectBase::HostKind() == HostKinds::kUnknown)
    {
        char name[256] = {};
        HostCall(audioMasterGetProductString, 0, 0, name, 0.0f);
        name[sizeof(name) - 1] = '\0';
        int32_t packed = 0;
        if (name[0] != '\0')
        {
            // Decimal form: 2400 is 0.24.0, 70200 is 7.2.0.
            const int64_t v = HostCall(audioMasterGetVendorVersion, 0, 0, nullptr, 0.0f);
            packed = static_cast<int32_t>((v / 10000) * 65536 + ((v % 10000) / 100) * 256 + v % 100);
        }
        SetHostInfo(name, packed);
    }
    return IEffectBase::HostKind();
}

void IEffectVST::HostSetup()
{
    if (hostSetupDone) return;
    hostSetupDone = true;
    if (NeedsChannelFix(HostKind()))
    {
        SetInputConnections(2, NInChannels() - 2, false);
        if (NOutChannels() > 2) SetOutputConnections(2, NOutChannels() - 2, true);
    }
    inputArrangement.numChannels = NInChannels();
    outputArrangement.numChannels = NOutChannels();
    effect.numInputs = NInChannels();
    effect.numOutputs = NOutChannels();
}

void IEffectVST::AttachEditor(IEditor* gui)
{
    if (!gui) return;
    IEffectBase::AttachEditor(gui);
    if (gui->OpensWindows()) effect.flags |= effFlagsHasEditor;
    editRect.top = 0;
    editRect.left = 0;
    editRect.bottom = static_cast<int16_t>(gui->Height());
    editRect.right = static_cast<int16_t>(gui->Width());
}

// ---- Entry points of the effect record ----

IEffectVST* IEffectVST::FromEffect(AEffect* e)
{
    return e ? static_cast<IEffectVST*>(e->object) : nullptr;
}

// Host UI thread (any thread some hosts choose); plug-in lock for the whole request.
intptr_t IEffectVST::DispatcherProc(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                    float opt)
{
    IEffectVST* plugin = FromEffect(e);
    if (!plugin) return 0;
    if (opcode == effClose)
    {
        plugin->Lock().Lock();
        plugin->ClosingNotice();
        plugin->Lock().Unlock();
        delete plugin;
        return 0;
    }
    if (IsEditorRequest(opcode, index, value))
    {
        // The editor's requests run outside the plug-in lock: they draw, and they may end a gesture
        // or send an edit, which no host may receive while we hold it (a host taking its own lock
        // there, while its audio thread waits on ours, would deadlock). The editor takes the lock
        // itself wherever it touches the plug-in. Host UI thread, like every editor request.
        return plugin->Dispatch(opcode, index, value, ptr, opt);
    }
    PluginLock::Scoped hold(plugin->Lock());
    return plugin->Dispatch(opcode, index, value, ptr, opt);
}

// Audio thread; plug-in lock for the whole block.
void IEffectVST::ProcessProc(AEffect* e, float** inputs, float** outputs, int32_t frames)
{
    IEffectVST* plugin = FromEffect(e);
    if (!plugin) return;
    PluginLock::Scoped hold(plugin->Lock());
    plugin->WantMidiIfNeeded();
    plugin->ProcessHostBlock(inputs, outputs, frames, BlockForm::FloatAccumulating, false);
}

void IEffectVST::ProcessReplacingProc(AEffect* e, float** inputs, float** outputs, int32_t frames)
{
    IEffectVST* plugin = FromEffect(e);
    if (!plugin) return;
    PluginLock::Scoped hold(plugin->Lock());
    plugin->WantMidiIfNeeded();
    plugin->ProcessHostBlock(inputs, outputs, frames, BlockForm::FloatReplacing, false);
}

void IEffectVST::ProcessDoubleReplacingProc(AEffect* e, double** inputs, double** outputs, int32_t frames)
{
    IEffectVST* plugin = FromEffect(e);
    if (!plugin) return;
    PluginLock::Scoped hold(plugin->Lock());
    plugin->WantMidiIfNeeded();
    plugin->ProcessHostBlock(inputs, outputs, frames, false);
}

// Host UI or automation thread; plug-in lock.
void IEffectVST::SetParameterProc(AEffect* e, int32_t index, float value)
{
    IEffectVST* plugin = FromEffect(e);
    if (!plugin) return;
    plugin->SetParamFromHost(index, value);
}

float IEffectVST::GetParameterProc(AEffect* e, int32_t index)
{
    IEffectVST* plugin = FromEffect(e);
    if (!plugin) return 0.0f;
    PluginLock::Scoped hold(plugin->Lock());
    const IParamSlot* slot = plugin->GetParam(index);
    return slot ? static_cast<float>(slot->NormalizedValue()) : 0.0f;
}

// ---- Requests ----

intptr_t IEffectVST::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    IParamSlot* slot = GetParam(index);
    char text[kHostTextRead];
    switch (opcode)
    {
    case effOpen:
        HostSetup();
        NotifyAllParams();
        return 0;
    case effSetProgram:
        ModifyCurrentPreset(nullptr); // the program being left keeps its current values
        RestorePreset(AsIndex(value));
        return 0;
    case effGetProgram:
        return CurrentPresetIndex();
    case effSetProgramName:
        if (ptr)
        {
            ReadHostText(ptr, text);
            ModifyCurrentPreset(text);
        }
        return 0;
    case effGetProgramName:
        if (ptr) WriteHostText(ptr, kProgramNameSize, PresetName(CurrentPresetIndex()));
        return 0;
    case effGetParamLabel:
        if (slot && ptr) WriteHostText(ptr, kParamTextSize, slot->Label());
        return 0;
    case effGetParamDisplay:
        if (slot && ptr)
        {
            char display[IParamSlot::kTextSize] = {};
            slot->FormatValue(slot->value, false, display);
            WriteHostText(ptr, kParamTextSize, display);
        }
        return 0;
    case effGetParamName:
        if (slot && ptr) WriteHostText(ptr, kParamTextSize, slot->Name());
        return 0;
    case effSetSampleRate:
        // A rate no audio runs at would size the look-ahead delay absurdly.
        if (vellicor::IsUsableSampleRate(opt))
        {
            SetSampleRate(opt);
            ResetState();
        }
        return 0;
    case effSetBlockSize:
        // 0 would leave no scratch buffers, silencing every later block.
        if (value >= 1 && value <= vellicor::kMaxBlockFrames)
        {
            SetBlockSize(static_cast<int32_t>(value));
            ResetState();
        }
        return 0;
    case effMainsChanged:
        ActiveChanged(value != 0);
        if (value == 0) ResetState();
        return 0;
    case effEditGetRect:
        if (ptr && GetGUI() && GetGUI()->OpensWindows())
        {
            *static_cast<ERect**>(ptr) = &editRect;
            return 1;
        }
        return 0;
    case effEditOpen:
        if (GetGUI() && GetGUI()->OpensWindows() && GetGUI()->OpenWindow(ptr))
        {
            EditorOpened();
            return 1;
        }
        return 0;
    case effEditClose:
        if (GetGUI())
        {
            EditorClosed();
            GetGUI()->CloseWindow();
            return 1;
        }
        return 0;
    case effEditIdle:
        if (IEditor* gui = GetGUI()) gui->HostIdle();
        return 0;
    case effIdentify:
        return kVstIdentifyAnswer;
    case effGetChunk:
        return GetChunk(index, static_cast<void**>(ptr));
    case effSetChunk:
        return SetChunk(index, value, ptr);
    case effProcessEvents:
        return ProcessEvents(static_cast<const VstEvents*>(ptr));
    case effCanBeAutomated:
        return 1;
    case effString2Parameter:
        return StringToParameter(index, static_cast<const char*>(ptr));
    case effGetProgramNameIndexed:
        if (ptr)
        {
            WriteHostText(ptr, kProgramNameSize, PresetName(index));
            return static_cast<const char*>(ptr)[0] != '\0' ? 1 : 0;
        }
        return 0;
    case effGetInputProperties:
        return PinProperties(index, static_cast<VstPinProperties*>(ptr), true);
    case effGetOutputProperties:
        return PinProperties(index, static_cast<VstPinProperties*>(ptr), false);
    case effGetPlugCategory:
        return IsInstrument() ? kPlugCategSynth : kPlugCategEffect;
    case effSetSpeakerArrangement:
        SetSpeakerArrangement(reinterpret_cast<const VstSpeakerArrangement*>(value),
                              static_cast<const VstSpeakerArrangement*>(ptr));
        return 1;
    case effSetBypass:
        ActiveChanged(value == 0);
        return 0;
    case effGetEffectName:
        if (!ptr) return 0;
        WriteHostText(ptr, kEffectNameSize, EffectName());
        return 1;
    case effGetVendorString:
        if (!ptr) return 0;
        WriteHostText(ptr, kVendorTextSize, MakerName());
        return 1;
    case effGetProductString:
        if (!ptr) return 0;
        WriteHostText(ptr, kVendorTextSize, ProductName());
        return 1;
    case effGetVendorVersion:
        return VersionNumber(true);
    case effVendorSpecific:
        return VendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return CanDo(static_cast<const char*>(ptr));
    case effIdle:
        return 0;
    case effGetVstVersion:
        return kVstVersion;
    // Not a fall-through slip: these MIDI-program and program-bracket requests mark the plug-in
    // active, as effStartProcess does, by design.
    case effGetMidiProgramName:
    case effGetCurrentMidiProgram:
    case effGetMidiProgramCategory:
    case effHasMidiProgramsChanged:
    case effBeginSetProgram:
    case effEndSetProgram:
    case effStartProcess:
        ActiveChanged(true);
        return 0;
    case effGetMidiKeyName:
        if (ptr)
        {
            auto* key = static_cast<MidiKeyName*>(ptr);
            std::memset(key->keyName, 0, sizeof(key->keyName));
            char name[IEffectBase::kNameSize] = {};
            const bool given = MidiNoteName(key->thisKeyNumber, name);
            name[sizeof(name) - 1] = '\0';
            CopyText(key->keyName, name);
            return given ? 1 : 0;
        }
        return 0;
    case effGetSpeakerArrangement:
        if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = &inputArrangement;
        if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = &outputArrangement;
        return 1;
    case effStopProcess:
        ActiveChanged(false);
        return 0;
    default:
        return 0;
    }
}

intptr_t IEffectVST::GetChunk(int32_t index, void** data)
{
    if (!data) return 0;
    const bool bank = index == 0;
    StateChunk& chunk = bank ? bankChunk : programChunk;
    chunk.Clear();
    bool ok = chunk.AppendInt32(VersionNumber(true));
    if (bank) ModifyCurrentPreset(nullptr);
    ok = SaveState(chunk, false) && ok;
    if (!ok || chunk.Size() <= 0) return 0;
    *data = chunk.Data();
    return chunk.Size();
}

intptr_t IEffectVST::SetChunk(int32_t index, intptr_t size, const void* data)
{
    if (!data) return 0;
    // Larger than any state this plug-in writes: not ours, and not worth copying.
    if (size < 0 || size > kMaxChunkBytes) return 0;
    StateChunk& chunk = index == 0 ? bankChunk : programChunk;
    if (!chunk.Resize(static_cast<int32_t>(size), true)) return 0;
    if (size > 0) std::memcpy(chunk.Data(), data, static_cast<size_t>(size));
    int32_t version = 0;
    int32_t start = -1;
    if (chunk.Size() >= 4) start = chunk.ReadInt32(&version, 0);
    VersionNotice(version);
    if (LoadState(chunk, start) < 0) return 0;
    PushParamsToGui();
    return 1;
}

intptr_t IEffectVST::ProcessEvents(const VstEvents* events)
{
    // Every event is handed on whatever the MIDI mode: the mode only shapes what we tell the host.
    if (!events) return 1;
    const int32_t count = std::min(events->numEvents, kMaxEventsPerCall);
    for (int32_t i = 0; i < count; ++i)
    {
        const VstEvent* event = events->events[i];
        if (!event) continue;
        if (event->type == kVstMidiType)
        {
            const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
            MidiMessage message{midi->deltaFrames, static_cast<uint8_t>(midi->midiData[0]),
                                static_cast<uint8_t>(midi->midiData[1]),
                                static_cast<uint8_t>(midi->midiData[2])};
            MidiReceived(message);
        }
        else if (event->type == kVstSysExType)
        {
            const auto* sysex = reinterpret_cast<const VstMidiSysexEvent*>(event);
            if (sysex->dumpBytes < 0 || (sysex->dumpBytes > 0 && !sysex->sysexDump)) continue;
            SysExMessage message{sysex->deltaFrames, sysex->dumpBytes,
                                 reinterpret_cast<const uint8_t*>(sysex->sysexDump)};
            SysExReceived(message);
        }
    }
    return 1;
}

intptr_t IEffectVST::StringToParameter(int32_t index, const char* hostText)
{
    IParamSlot* slot = GetParam(index);
    if (!slot) return 0;
    if (!hostText) return 1;
    char text[kHostTextRead];
    ReadHostText(hostText, text);
    const double v = slot->ParseValue(text);
    if (IEditor* gui = GetGUI()) gui->SetParamFromPlugin(index, v, false);
    slot->value = slot->Clamp(v);
    ParamChanged(index);
    return 1;
}

intptr_t IEffectVST::PinProperties(int32_t index, VstPinProperties* pin, bool input)
{
    const int32_t count = input ? NInChannels() : NOutChannels();
    if (!pin || index < 0 || index >= count) return 0;
    pin->flags = kVstPinIsActive;
    if (index % 2 == 0 && index < count - 1) pin->flags |= kVstPinIsStereo;
    std::snprintf(pin->label, sizeof(pin->label), input ? "Input %d" : "Output %d", index + 1);
    return 1;
}

void IEffectVST::SetSpeakerArrangement(const VstSpeakerArrangement* input,
                                       const VstSpeakerArrangement* output)
{
    if (input)
    {
        const int32_t n = std::clamp(input->numChannels, 0, NInChannels());
        SetInputConnections(0, n, true);
        SetInputConnections(n, NInChannels() - n, false);
    }
    if (output)
    {
        const int32_t n = std::clamp(output->numChannels, 0, NOutChannels());
        SetOutputConnections(0, n, true);
        SetOutputConnections(n, NOutChannels() - n, false);
    }
}

intptr_t IEffectVST::VendorSpecific(int32_t index, intptr_t value, void* ptr, float opt)
{
    if (index == kVendorWheelIndex && value == kVendorWheelValue)
    {
        IEditor* gui = GetGUI();
        return gui && gui->ForwardHostWheel(opt) ? 1 : 0;
    }
    IParamSlot* slot = GetParam(AsIndex(value));
    switch (index)
    {
    case kVendorFormatNormalized:
        if (!ptr) return 0;
        if (slot)
        {
            char display[IParamSlot::kTextSize] = {};
            slot->FormatValue(opt, true, display);
            WriteHostText(ptr, kParamTextSize, display);
        }
        return kVendorAnswer;
    case kVendorDisplayTextCount:
        if (!slot || slot->kind == IParamSlot::kInteger || slot->kind == IParamSlot::kReal) return 0;
        if (ptr)
        {
            const int32_t count = slot->DisplayTextCount();
            std::memcpy(ptr, &count, sizeof(count));
        }
        return kVendorAnswer;
    case kVendorTextToNormalized:
        if (!ptr || !slot) return 0;
        {
            char text[kHostTextRead];
            ReadHostText(ptr, text);
            if (text[0] != '\0')
            {
                // ToNormalized clamps, so the text stays within "1.00000000000000000".
                char normalized[kParamTextSize];
                std::snprintf(normalized, sizeof(normalized), "%.17f",
                              slot->ToNormalized(slot->ParseValue(text)));
                WriteHostText(ptr, kParamTextSize, normalized);
            }
        }
        return kVendorAnswer;
    case kVendorVersionNotice:
        VersionNotice(AsIndex(value));
        return 0;
    default:
        return 0;
    }
}

intptr_t IEffectVST::CanDo(const char* hostText) const
{
    if (!hostText) return 0;
    char text[64];
    ReadHostText(hostText, text);
    if (std::strlen(text) == sizeof(text) - 1) return 0; // longer than any text we know
    if (std::strcmp(text, "receiveVstTimeInfo") == 0) return 1;
    if ((std::strcmp(text, "sendVstEvents") == 0 || std::strcmp(text, "sendVstMidiEvent") == 0) &&
        vellicor::SendsMidi(MidiMode()))
        return 1;
    if ((std::strcmp(text, "receiveVstEvents") == 0 || std::strcmp(text, "receiveVstMidiEvent") == 0) &&
        vellicor::ReceivesMidi(MidiMode()))
        return 1;
    if (std::strcmp(text, kReaperExtensions) == 0 || std::strcmp(text, kReaperViewAsConfig) == 0)
        return kHostExtensionAnswer;
    return 0;
}
