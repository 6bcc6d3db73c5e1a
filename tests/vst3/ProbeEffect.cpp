#include "tests/vst3/ProbeEffect.h"

void RecordingEditor::SetParamFromPlugin(int32_t index, double value, bool normalized)
{
    log->calls.push_back("param " + std::to_string(index) + " " + std::to_string(value) +
                         (normalized ? " n" : " r"));
}

void* RecordingEditor::OpenWindow(void* parent)
{
    log->calls.push_back("open");
    return parent;
}

ProbeEffect::ProbeEffect(Events* ev, RecordingEditor::Log* editorLog, int32_t midiMode)
    : IEffectVST3(InstanceInfo{}, kNumParams, "1-1 2-2", 4, "Probe", "Probe", "Tests", 0x10000, 0x50726f62,
                  0x54657374, 0, midiMode, true, false),
      events(ev)
{
    GetParam(kGain)->InitReal("Gain", 1.0, 0.0, 4.0, 0.01, "x");
    GetParam(kMode)->InitInteger("Mode", 3, 0, 14, "st");
    IParamSlot* tone = GetParam(kTone);
    tone->InitReal("Tone", 0.25, 0.0, 1.0, 0.001, "");
    tone->SetShape(2.0);
    tone->SetGroup("Tone");
    tone->automatable = false;

    MakeDefaultPresets(nullptr, 1);
    MakePreset("Loud", {2.0, 7, 0.5});
    MakePreset("Quiet", {0.5, 1, 0.1});
    if (editorLog) AttachEditor(new RecordingEditor(editorLog));
}

void ProbeEffect::ParamChanged(int32_t index)
{
    events->paramChanged.push_back(index);
    if (index == kGain) gain = GetParam(kGain)->value;
    if (index == kNumParams - 1) ProcessingReady = true;
}

void ProbeEffect::ProcessBlock(double** inputs, double** outputs, int32_t frames)
{
    lastHostSamplePos = HostSamplePos();
    for (int c = 0; c < 2; ++c)
        for (int32_t i = 0; i < frames; ++i)
            outputs[c][i] = inputs[c][i] * gain;
}
