#include "vellicor/plugin/CLS_VELLICOR.h"

#include "gui/IGraphics.h"
#include "gui/PlatformGraphics.h"
#include "vellicor/editor/VellicorEditor.h"
#include "vellicor/plugin/VellicorIdentity.h"
#include "vellicor/plugin/VellicorParams.h"

namespace
{
constexpr int32_t kRateDependent[] = {kLookAhead, kAttack, kRelease, kHold}; // recomputation order
} // namespace

namespace id = vellicor::identity;

CLS_VELLICOR::CLS_VELLICOR(const VELLICOR_BINDING_CLASS::InstanceInfo& info)
    : VELLICOR_BINDING_CLASS(info, kVellicorParamCount, id::kChannelConfig, kVellicorPresetSlots,
                             id::kEffectName, id::kProductName, id::kMakerName, id::kVersion, id::kUniqueId,
                             id::kMakerId, id::kLatencySamples, id::kMidiMode, id::kStateAsChunks,
                             id::kInstrument)
{
    for (int32_t i = 0; i < kVellicorParamCount; ++i)
    {
        const VellicorParamInfo& p = kVellicorParams[i];
        IParamSlot* slot = GetParam(i);
        if (p.integer)
            slot->InitInteger(p.name, static_cast<int>(p.defaultValue), static_cast<int>(p.minimum),
                              static_cast<int>(p.maximum), p.label);
        else
            slot->InitReal(p.name, p.defaultValue, p.minimum, p.maximum, p.step, p.label);
        if (p.shape != 1.0) slot->SetShape(p.shape);
    }

    // The editor exists from construction on, window or not: its meter panel holds the meter record.
    editor = MakePlatformGraphics(this, VellicorEditor::kWidth, VellicorEditor::kHeight, 0);
    editor->SetModuleInstance(info.moduleInstance);
    meterPanel = &VellicorEditor::Build(*editor, this, meterBridge)->State();
    AttachEditor(editor);

    MakeDefaultPresets(kVellicorDefaultPresetName, 1);
    for (const VellicorPresetInfo& p : kVellicorPresets)
    {
        const double* v = p.values;
        MakePreset(p.name, {v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]});
    }
}

CLS_VELLICOR::~CLS_VELLICOR() = default;

void CLS_VELLICOR::ResetState()
{
    PluginLock::Scoped hold(Lock());
    if (engine.PrepareRate(SampleRate()))
    {
        for (int32_t index : kRateDependent)
        {
            engine.ForgetQuantised(index);
            ParamChanged(index);
        }
    }
    engine.ClearState();
}

void CLS_VELLICOR::ParamChanged(int32_t index)
{
    PluginLock::Scoped hold(Lock());
    const IParamSlot* slot = GetParam(index);
    if (!slot || index >= kVellicorParamCount) return;
    if (!engine.ApplyValue(index, slot->value, meterPanel->Data())) return;
    if (ProcessingReady) return;
    if (!readySeen[index])
    {
        readySeen[index] = true;
        --readyCountdown;
    }
    if (readyCountdown <= 0) ProcessingReady = true;
}

void CLS_VELLICOR::ProcessBlock(double** inputs, double** outputs, int32_t frames)
{
    RunEngine(inputs, outputs, frames);
}

bool CLS_VELLICOR::ProcessFloatBlock(float** inputs, float** outputs, int32_t frames)
{
    // The engine takes exactly two channels each way; other layouts take the 64-bit path.
    if (NInChannels() != 2 || NOutChannels() != 2) return false;
    RunEngine(inputs, outputs, frames);
    return true;
}

template <typename T> void CLS_VELLICOR::RunEngine(T** inputs, T** outputs, int32_t frames)
{
    if (engine.StartIfFirstBlock()) ResetState();
    if (frames < 1) return;
    const LimiterEngine::BlockPeaks peaks = engine.ProcessBlock(inputs, outputs, frames);
    engine.HandOffMeters(peaks, meterPanel->Data(), {&CLS_VELLICOR::QueryHostSamplePos, this});
}

void CLS_VELLICOR::PassThroughEnded()
{
    engine.ClearState();
}

int32_t CLS_VELLICOR::QueryHostSamplePos(void* self)
{
    return static_cast<CLS_VELLICOR*>(self)->HostSamplePos();
}

double CLS_VELLICOR::MeterBridge::MeterParamValue(int32_t index) const
{
    PluginLock::Scoped hold(plugin.Lock());
    const IParamSlot* slot = plugin.GetParam(index);
    return slot ? slot->value : 0.0;
}

void CLS_VELLICOR::MeterBridge::BeginMeterEdit(int32_t index)
{
    plugin.BeginParamEdit(index);
}

void CLS_VELLICOR::MeterBridge::SetMeterParamClamped(int32_t index, double value)
{
    double normalized = 0.0;
    {
        // The window thread writes the slot; the lock keeps state saves from reading it half-done.
        PluginLock::Scoped hold(plugin.Lock());
        IParamSlot* slot = plugin.GetParam(index);
        if (!slot) return;
        slot->value = slot->Clamp(value);
        normalized = slot->ToNormalized(slot->value);
    }
    // The host records the value inside the gesture; no ParamChanged. Controls bound to the
    // parameter follow (none in this editor).
    plugin.ParamEdited(index, normalized);
    plugin.editor->PushParamFromEditor(index, normalized);
}

void CLS_VELLICOR::MeterBridge::EndMeterEdit(int32_t index)
{
    plugin.EndParamEdit(index);
}
