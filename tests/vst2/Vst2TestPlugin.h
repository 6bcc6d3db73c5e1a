#pragma once
// A small VST2 plug-in for binding tests: three parameters, a few presets, a processing rule that is
// easy to check (out = in * 0.5 + 0.25), and records of what the binding delivers to it.
#include "tests/support/RecordingEditor.h"
#include "vst2/IEffectVST.h"

#include <functional>
#include <string>
#include <vector>

struct Vst2PluginOptions
{
    const char* channels = "1-1 2-2";
    int32_t presets = 4;
    std::string effectName = "Test Effect";
    std::string makerName = "Test Maker";
    std::string productName = "Test Product";
    int32_t midiMode = 0;
    bool chunks = false;
    bool instrument = false;
    bool withEditor = false;
    bool editorOpensWindows = true;
};

// An editor whose window opens (onto any parent) and whose wheel answer is settable.
class Vst2TestEditor : public RecordingEditor
{
public:
    void* OpenWindow(void* parent) override
    {
        ++opens;
        return parent;
    }
    void CloseWindow() override { ++closes; }
    bool OpensWindows() const override { return opensWindows; }
    bool ForwardHostWheel(float delta) override
    {
        wheels.push_back(delta);
        return wheelOverEditor;
    }

    void HostIdle() override
    {
        ++idles;
        if (onIdle) onIdle();
    }
    std::function<void()> onIdle;

    int opens = 0, closes = 0, idles = 0;
    std::vector<float> wheels;
    bool wheelOverEditor = true;
    bool opensWindows = true;
};

class Vst2TestPlugin : public IEffectVST
{
public:
    enum Param
    {
        kGain,   // real, -18..18 dB
        kMode,   // integer with display texts
        kChoice, // integer of the kind that reports its display-text count
        kNParams
    };
    static constexpr const char* kLongPresetName = "A preset name much longer than twenty-three";

    static Vst2PluginOptions next; // options of the next instance created
    static int destroyed;          // instances destroyed so far

    explicit Vst2TestPlugin(const InstanceInfo& info);
    ~Vst2TestPlugin() override;

    void ParamChanged(int32_t index) override;
    void ResetState() override { ++resets; }
    void ProcessBlock(double** inputs, double** outputs, int32_t frames) override;
    void ActiveChanged(bool active) override { activeChanges.push_back(active); }
    void ClosingNotice() override { ++closingNotices; }
    void VersionNotice(int32_t version) override { versionNotices.push_back(version); }
    void MidiReceived(const MidiMessage& m) override { midi.push_back(m); }
    void SysExReceived(const SysExMessage& m) override
    {
        sysex.emplace_back(reinterpret_cast<const char*>(m.bytes), static_cast<size_t>(m.size));
    }
    bool MidiNoteName(int32_t note, char* out) override;
    void EditorOpened() override { ++editorOpened; }
    void EditorClosed() override { ++editorClosed; }

    Vst2TestEditor* editor = nullptr; // owned by the base once attached
    std::vector<int32_t> changed;
    std::vector<bool> activeChanges;
    std::vector<int32_t> versionNotices;
    std::vector<MidiMessage> midi;
    std::vector<std::string> sysex;
    int resets = 0, closingNotices = 0, editorOpened = 0, editorClosed = 0;
    int32_t samplePosSeen = -1;
};
