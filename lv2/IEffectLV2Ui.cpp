#include "lv2/IEffectLV2Ui.h"

#include "core/SampleRateRange.h"
#include "lv2/IEffectLV2.h"
#include "lv2/Lv2Options.h"

#include "lv2/core/lv2_util.h"
#include "lv2/parameters/parameters.h"
#include "lv2/urid/urid.h"

namespace
{
// The editor's meter smoothing depends on the rate; until the host names it, a common one.
constexpr double kAssumedRate = 48000.0;
} // namespace

IEffectLV2Ui::IEffectLV2Ui(const InstanceInfo& info, int32_t paramCount, const char* channelConfig,
                           int32_t presetCount, const char* effectName, const char* productName,
                           const char* makerName, int32_t version, int32_t uniqueId, int32_t makerId,
                           int32_t latency, int32_t midiMode, bool chunks, bool instrument)
    : IEffectBase(paramCount, channelConfig, presetCount, effectName, productName, makerName, version,
                  uniqueId, makerId, latency, midiMode, chunks, instrument, kBindingLV2),
      write(info.write), controller(info.controller)
{
    ports = Lv2PortLayout::ForChannels(*this, info.channels);
    written.assign(static_cast<size_t>(ports.params), 0.0);
    parent = lv2_features_data(info.features, LV2_UI__parent);
    resize = static_cast<const LV2UI_Resize*>(lv2_features_data(info.features, LV2_UI__resize));
    touch = static_cast<const LV2UI_Touch*>(lv2_features_data(info.features, LV2_UI__touch));
    const auto* map = static_cast<const LV2_URID_Map*>(lv2_features_data(info.features, LV2_URID__map));
    linked = urids.Map(map, info.pluginUri);
    if (linked) lv2_atom_forge_init(&forge, const_cast<LV2_URID_Map*>(map));
    const auto* rateOption = static_cast<const float*>(vellicor::lv2::OptionValue(
        info.features, map, LV2_PARAMETERS__sampleRate, LV2_ATOM__Float, sizeof(float)));
    const double rate = rateOption ? *rateOption : 0.0;
    SetSampleRate(vellicor::IsUsableSampleRate(rate) ? rate : kAssumedRate);
}

void* IEffectLV2Ui::Open()
{
    // Every value once, as the DSP instance starts (the host's port events follow with its own).
    NotifyAllParams();
    ResetState();
    for (int32_t i = 0; i < NParams(); ++i)
        written[static_cast<size_t>(i)] = GetParam(i)->value;
    IEditor* gui = GetGUI();
    if (!gui || !gui->OpensWindows()) return nullptr;
    void* window = gui->OpenWindow(parent);
    if (!window) return nullptr;
    if (resize) resize->ui_resize(resize->handle, gui->Width(), gui->Height());
    SendEditorCommand(vellicor::lv2::kCommandResendFeed);
    return window;
}

void IEffectLV2Ui::Close()
{
    if (IEditor* gui = GetGUI()) gui->CloseWindow();
}

int IEffectLV2Ui::Idle()
{
    if (IEditor* gui = GetGUI()) gui->HostIdle();
    return 0;
}

void IEffectLV2Ui::PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    if (!buffer) return;
    const int32_t index = ports.ParamAt(port);
    if (index >= 0 && format == 0 && size == sizeof(float))
    {
        PluginLock::Scoped hold(Lock());
        IParamSlot* slot = GetParam(index);
        slot->value = IEffectLV2::StepValue(*slot, *static_cast<const float*>(buffer));
        written[static_cast<size_t>(index)] = slot->value;
        if (IEditor* gui = GetGUI()) gui->SetParamFromPlugin(index, slot->value, false);
        ParamChanged(index);
        return;
    }
    if (port == ports.Notify() && linked && format == urids.eventTransfer && size >= sizeof(LV2_Atom))
    {
        const auto* atom = static_cast<const LV2_Atom*>(buffer);
        if (lv2_atom_total_size(atom) > size) return;
        float values[vellicor::lv2::kMaxFeedValues];
        const int32_t n = vellicor::lv2::ReadFeed(urids, atom, values);
        if (n > 0) EditorFeedArrived(values, n);
    }
}

void IEffectLV2Ui::Touch(int32_t index, bool grabbed)
{
    if (touch && GetParam(index)) touch->touch(touch->handle, ports.Param(index), grabbed);
}

void IEffectLV2Ui::BeginParamEdit(int32_t index)
{
    FlushEndParamEdit();
    Touch(index, true);
}

void IEffectLV2Ui::BeginParamEditIfIdle(int32_t index)
{
    {
        PluginLock::Scoped hold(Lock());
        if (index == PendingEndEdit()) return; // the running gesture continues
    }
    BeginParamEdit(index); // outside the lock, as every host call
}

void IEffectLV2Ui::WriteParam(int32_t index)
{
    const IParamSlot* slot = GetParam(index);
    if (!slot || !write) return;
    written[static_cast<size_t>(index)] = slot->value;
    const float value = static_cast<float>(slot->value);
    write(controller, ports.Param(index), sizeof(float), 0, &value);
}

void IEffectLV2Ui::ParamEdited(int32_t index, double)
{
    WriteParam(index);
}

void IEffectLV2Ui::EndParamEdit(int32_t index)
{
    const IParamSlot* slot = GetParam(index);
    if (!slot) return;
    if (slot->value != written[static_cast<size_t>(index)]) WriteParam(index);
    Touch(index, false);
}

void IEffectLV2Ui::SendEditorCommand(int32_t command)
{
    if (!linked || !write) return;
    alignas(8) uint8_t buffer[128];
    lv2_atom_forge_set_buffer(&forge, buffer, sizeof buffer);
    if (!vellicor::lv2::ForgeCommand(urids, forge, command)) return;
    const auto* atom = reinterpret_cast<const LV2_Atom*>(buffer);
    write(controller, ports.Control(), lv2_atom_total_size(atom), urids.eventTransfer, atom);
}
