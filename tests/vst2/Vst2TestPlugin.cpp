#include "tests/vst2/Vst2TestPlugin.h"

#include "tests/support/TestIdentity.h"

#include <cstring>

Vst2PluginOptions Vst2TestPlugin::next;
int Vst2TestPlugin::destroyed = 0;

Vst2TestPlugin::Vst2TestPlugin(const InstanceInfo& info)
    : IEffectVST(info, kNParams, next.channels, next.presets, next.effectName.c_str(),
                 next.productName.c_str(), next.makerName.c_str(), test_identity::kVersion,
                 test_identity::kUniqueId, test_identity::kMakerId, 7, next.midiMode, next.chunks,
                 next.instrument)
{
    GetParam(kGain)->InitReal("Gain", 0.0, -18.0, 18.0, 0.1, "dB");
    GetParam(kMode)->InitInteger("Mode", 1, 0, 3, "");
    GetParam(kMode)->AddDisplayText(0, "Off");
    GetParam(kMode)->AddDisplayText(1, "Soft");
    GetParam(kChoice)->kind = IParamSlot::kIntegerA;
    GetParam(kChoice)->InitInteger("Choice", 0, 0, 2, "");
    GetParam(kChoice)->AddDisplayText(0, "A");
    GetParam(kChoice)->AddDisplayText(1, "B");
    GetParam(kChoice)->AddDisplayText(2, "C");

    if (next.withEditor)
    {
        editor = new Vst2TestEditor;
        editor->opensWindows = next.editorOpensWindows;
        AttachEditor(editor);
    }
    if (next.presets > 0) MakeDefaultPresets("Init", 1);
    MakePreset("Loud", {12.0, 2.0, 1.0});
    MakePreset(kLongPresetName, {-6.0, 0.0, 2.0});
}

Vst2TestPlugin::~Vst2TestPlugin()
{
    ++destroyed;
}

void Vst2TestPlugin::ParamChanged(int32_t index)
{
    changed.push_back(index);
    if (index == kNParams - 1) ProcessingReady = true;
}

void Vst2TestPlugin::ProcessBlock(double** inputs, double** outputs, int32_t frames)
{
    samplePosSeen = HostSamplePos();
    for (int32_t c = 0; c < NOutChannels(); ++c)
        for (int32_t s = 0; s < frames; ++s)
            outputs[c][s] = inputs[c][s] * 0.5 + 0.25;
}

bool Vst2TestPlugin::MidiNoteName(int32_t note, char* out)
{
    if (note != 60) return IEffectVST::MidiNoteName(note, out);
    std::strcpy(out, "Middle C");
    return true;
}
