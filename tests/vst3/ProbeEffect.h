#pragma once
// A small plug-in on the VST3 binding for in-process tests: three parameters (one grouped), four
// presets, output = input x gain, and an optional recording editor.
#include "core/IEditor.h"
#include "vst3/IEffectVST3.h"

#include <string>
#include <vector>

class RecordingEditor : public IEditor
{
public:
    struct Log
    {
        std::vector<std::string> calls;
        bool destroyed = false;
        bool opensWindows = true;
    };
    explicit RecordingEditor(Log* log) : log(log) {}
    ~RecordingEditor() override { log->destroyed = true; }

    int32_t Width() const override { return 562; }
    int32_t Height() const override { return 270; }
    int32_t FrameRate() const override { return 24; }
    bool OpensWindows() const override { return log->opensWindows; }
    void SetParamFromPlugin(int32_t index, double value, bool normalized) override;
    void PrepareBackBuffer() override {}
    void* OpenWindow(void* parent) override;
    void CloseWindow() override { log->calls.push_back("close"); }
    bool ForwardHostWheel(float) override { return false; }
    void StartDeferredEditEnd(int32_t) override {}
    void CancelDeferredEditEnd() override {}
    int EventFd() const override { return eventFd; }
    void HostEvents() override { log->calls.push_back("events"); }
    void HostTimer() override { log->calls.push_back("timer"); }

    int eventFd = -1;

private:
    Log* log;
};

class ProbeEffect : public IEffectVST3
{
public:
    enum
    {
        kGain, // real 0..4, step 0.01
        kMode, // integer 0..14, default 3, label "st"
        kTone, // real 0..1 with shape 2, group "Tone", not automatable
        kNumParams
    };
    struct Events
    {
        std::vector<int32_t> paramChanged;
        int32_t resets = 0;
        std::vector<std::string> editor; // "opened", "closed"
        std::vector<MidiMessage> midi;
        bool destroyed = false;
    };

    ProbeEffect(Events* events, RecordingEditor::Log* editorLog, int32_t midiMode = 0);
    ~ProbeEffect() override { events->destroyed = true; }

    void ResetState() override { ++events->resets; }
    void ParamChanged(int32_t index) override;
    void ProcessBlock(double** inputs, double** outputs, int32_t frames) override;
    void EditorOpened() override { events->editor.push_back("opened"); }
    void EditorClosed() override { events->editor.push_back("closed"); }
    void MidiReceived(const MidiMessage& m) override { events->midi.push_back(m); }

    double gain = 1.0;
    int32_t lastHostSamplePos = -1;

private:
    Events* events;
};
