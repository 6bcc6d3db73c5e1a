#pragma once
// The plug-in as an LV2 DSP instance: its ports (Lv2PortLayout), control values taken at the
// parameter's nearest step, the host's transport from time:Position (or the samples since
// activation), and the editor link on the atom ports. The editor itself is a separate LV2 UI
// instance (IEffectLV2Ui), so this side's editor object never opens a window.
//
// Threads: LV2 calls instantiate, activate, deactivate and cleanup apart from run ("instantiation
// class"), so the plug-in lock is never contended here; run() is the audio thread and neither
// allocates nor logs. connect_port may come from either.
#include "core/IEffectBase.h"
#include "lv2/Lv2EditorLink.h"
#include "lv2/Lv2PortLayout.h"

#include "lv2/core/lv2.h"

#include <vector>

class IEffectLV2 : public IEffectBase
{
public:
    struct InstanceInfo
    {
        void* moduleInstance = nullptr;
        const char* pluginUri = "";
        const LV2_Feature* const* features = nullptr;
        int32_t channels = 0; // audio ports each way: 0 for the plug-in's widest configuration
    };

    // Blocks are cut into slices of this many frames when the host names no maximum.
    static constexpr int32_t kDefaultBlockFrames = 4096;

    IEffectLV2(const InstanceInfo& info, int32_t paramCount, const char* channelConfig, int32_t presetCount,
               const char* effectName, const char* productName, const char* makerName, int32_t version,
               int32_t uniqueId, int32_t makerId, int32_t latency, int32_t midiMode, bool chunks,
               bool instrument);

    // No editor edits on this side: the UI instance reports them to the host itself.
    void BeginParamEdit(int32_t) override {}
    void ParamEdited(int32_t, double) override {}
    void EndParamEdit(int32_t) override {}
    // Audio thread, from ProcessBlock: the transport position at the start of the current run.
    int32_t HostSamplePos() override;

    // The LV2 entry points (Lv2Entry.h), after construction and SetSampleRate.
    void Prepare();
    void ConnectPort(uint32_t port, void* data);
    void Activate();
    void Deactivate();
    void Run(uint32_t frames);

    const Lv2PortLayout& Ports() const { return ports; }
    // A host control value as the parameter takes it: its nearest step, clamped (NaN: the minimum).
    static double StepValue(const IParamSlot& slot, float hostValue);

protected:
    // Audio thread, after each run: the values the editor should see (at most kMaxFeedValues);
    // answers their count. The binding sends them when they changed or the editor asked.
    virtual int32_t CollectEditorFeed(float*) { return 0; }
    // Audio thread: the last collected feed went out (values that only count once may be cleared).
    virtual void EditorFeedSent() {}
    // Audio thread: a command an editor sent (never kCommandResendFeed, which the binding answers).
    virtual void EditorCommand(int32_t) {}

private:
    void ReadControls();
    void ReadEvents(uint32_t frames);
    void ReadPosition(const LV2_Atom* atom, int64_t offset);
    void WriteFeed(uint32_t frames);

    Lv2PortLayout ports;
    std::vector<float*> audioIn, audioOut;
    std::vector<const float*> controls;
    std::vector<uint32_t> lastControlBits; // as last taken; a NaN pattern no host sends forces the first
    const LV2_Atom_Sequence* controlPort = nullptr;
    LV2_Atom_Sequence* notifyPort = nullptr;

    vellicor::lv2::EditorLinkUrids urids;
    bool linked = false; // the host maps URIDs: events and the feed work
    LV2_URID timePosition = 0, timeFrame = 0, timeSpeed = 0, atomLong = 0, atomDouble = 0;
    LV2_Atom_Forge forge{};

    // Transport: the host's once it sent a position, else the samples since activation.
    bool hostTransport = false;
    int64_t transportFrame = 0; // at the start of the next run
    double transportSpeed = 0.0;
    int64_t runStartFrame = 0;
    int64_t samplesSinceActivation = 0;

    float feed[vellicor::lv2::kMaxFeedValues] = {};
    float sentFeed[vellicor::lv2::kMaxFeedValues] = {};
    int32_t sentCount = -1;
    bool resendFeed = true;
    int64_t framesSinceFeed = 0;
};
