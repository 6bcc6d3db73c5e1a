#pragma once
// The host-neutral plug-in base. Chain: IEffectBase -> binding (IEffectVST3, IEffectVST) -> the product's
// plug-in class. The binding supplies the host services, the plug-in class the limiter; the base is the
// plumbing.
//
// Threads: processing entries run on the host's audio thread, everything else on UI or automation
// threads. Every entry point that touches shared state takes the plug-in lock (re-entrant).
#include "core/IEditor.h"
#include "core/IParamSlot.h"
#include "core/PluginLock.h"
#include "core/StateChunk.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

class IEffectBase
{
public:
    static constexpr int kNameSize = 128;
    static constexpr int kPresetNameSize = 256;

    enum BindingKind : int32_t
    {
        kBindingVST2 = 0,
        kBindingVST3 = 1,
        kBindingLV2 = 2,
    };

    enum class BlockForm
    {
        Double,
        FloatReplacing,
        FloatAccumulating, // VST2 accumulating callback only
    };

    struct MidiMessage
    {
        int32_t frameOffset;
        uint8_t status, data1, data2;
    };

    struct SysExMessage
    {
        int32_t frameOffset;
        int32_t size;
        const uint8_t* bytes; // owned by the caller, valid during the call only
    };

    struct ChannelConfig
    {
        int32_t inputs, outputs;
    };

    struct Preset
    {
        bool initialized = false;
        char name[kPresetNameSize] = {};
        StateChunk state;
    };

    IEffectBase(int32_t paramCount, const char* channelConfig, int32_t presetCount, const char* effectName,
                const char* productName, const char* makerName, int32_t version, int32_t uniqueId,
                int32_t makerId, int32_t latency, int32_t midiMode, bool chunks, bool instrument,
                int32_t bindingKind);
    IEffectBase(const IEffectBase&) = delete;
    IEffectBase& operator=(const IEffectBase&) = delete;

    // ---- Virtual operations, in slot order ----
    virtual ~IEffectBase();
    virtual void ResetState();
    virtual void ParamChanged(int32_t index);
    virtual void HostParamChanged(int32_t index, float normalized);
    // Audio thread, plug-in lock held; reached only while ProcessingReady is set.
    virtual void ProcessBlock(double** inputs, double** outputs, int32_t frames);
    // The same for a 32-bit host whose buffers are all present, handed over as they come (every
    // channel connected, outputs replaced): a plug-in that converts inside its own loop answers true,
    // and the 64-bit scratch round trip is skipped. Audio thread, plug-in lock held, ProcessingReady.
    virtual bool ProcessFloatBlock(float** inputs, float** outputs, int32_t frames);
    // Audio thread, plug-in lock held: the first block run after passed-through ones. The plug-in
    // saw none of the audio passed meanwhile, so what it kept from before is stale.
    virtual void PassThroughEnded() {}
    virtual void EditorOpened() {}
    virtual void EditorClosed() {}
    virtual void ClosingNotice() {}
    virtual void ActiveChanged(bool active);
    virtual void MidiReceived(const MidiMessage&) {}
    virtual void SysExReceived(const SysExMessage&) {}
    virtual bool MidiNoteName(int32_t note, char* out);
    virtual bool SaveState(StateChunk& chunk, bool sizeOnly);
    virtual int32_t LoadState(const StateChunk& chunk, int32_t position);
    virtual void VersionNotice(int32_t version);
    virtual bool ParamInPreset(int32_t paramIndex, int32_t presetIndex);
    // Host services: the binding supplies them.
    virtual void BeginParamEdit(int32_t index) = 0;
    virtual void BeginParamEditIfIdle(int32_t) {}
    virtual void ParamEdited(int32_t index, double normalized) = 0;
    virtual void EndParamEdit(int32_t index) = 0;
    virtual void HostIdentified() {}
    virtual int32_t HostSamplePos() = 0;
    virtual int32_t HostKind();
    virtual void HostSetup() {}
    virtual void AttachEditor(IEditor* gui);
    virtual void SetBlockSize(int32_t frames);
    virtual bool SaveParams(StateChunk& chunk);
    virtual int32_t LoadParams(const StateChunk& chunk, int32_t position);

    // ---- Identity and settings ----
    void SetSampleRate(double rate) { sampleRate = rate; }
    double SampleRate() const { return sampleRate; }
    int32_t BlockSize() const { return blockSize; }
    int32_t Latency() const { return latency; }
    int32_t TailLength() const { return tailLength; }
    void SetHostInfo(const char* productName, int32_t packedVersion);
    int32_t HostVersion() const { return hostVersion; }
    int32_t BindingKind() const { return bindingKind; }
    void VersionText(char* out) const; // out: at least 16 bytes
    int32_t VersionNumber(bool decimal) const;
    int32_t Version() const { return version; }
    int32_t UniqueId() const { return uniqueId; }
    int32_t MakerId() const { return makerId; }
    const char* EffectName() const { return effectName; }
    const char* ProductName() const { return productName; }
    const char* MakerName() const { return makerName; }
    int32_t MidiMode() const { return midiMode; }
    bool HasChunks() const { return chunks; }
    bool IsInstrument() const { return instrument; }
    bool IsBypassed() const { return bypassed; }
    void SetBypassed(bool b) { bypassed = b; }
    bool IsProcessingReady() const { return ProcessingReady; }

    // ---- Parameters ----
    int32_t NParams() const { return static_cast<int32_t>(params.size()); }
    IParamSlot* GetParam(int32_t index);
    const IParamSlot* GetParam(int32_t index) const;
    // GUI edit: store and ParamChanged under the lock, then tell the host (automation) after it.
    // The gesture calls below reach the host outside the lock too: callers never hold it.
    void SetParamFromGui(int32_t index, double normalized);
    // Host edit (VST2 setParameter path): GUI, slot, then HostParamChanged.
    void SetParamFromHost(int32_t index, double normalized);
    void DeferEndParamEdit(int32_t index);
    void FlushEndParamEdit();
    int32_t PendingEndEdit() const { return pendingEndEdit; } // -1 when no gesture end is pending
    int32_t NotifyAllParams();
    void PushParamsToGui();
    IEditor* GetGUI() const { return gui.get(); }

    // ---- Channels ----
    const std::vector<ChannelConfig>& ChannelConfigs() const { return channelConfigs; }
    int32_t NInChannels() const { return static_cast<int32_t>(inChannels.size()); }
    int32_t NOutChannels() const { return static_cast<int32_t>(outChannels.size()); }
    bool IsLegalIO(int32_t inputs, int32_t outputs) const;
    bool IsInputConnected(int32_t channel) const;
    bool IsOutputConnected(int32_t channel) const;
    void SetInputConnections(int32_t first, int32_t count, bool connected);
    void SetOutputConnections(int32_t first, int32_t count, bool connected);
    const std::vector<std::string>& InputBusLabels() const { return inputBusLabels; }
    const std::vector<std::string>& OutputBusLabels() const { return outputBusLabels; }
    void SetInputBusLabel(int32_t index, const char* label);
    void SetOutputBusLabel(int32_t index, const char* label);

    // ---- Presets (programs) ----
    int32_t NPresets() const { return static_cast<int32_t>(presets.size()); }
    int32_t CurrentPresetIndex() const { return currentPreset; }
    // Selects a preset without loading it (VST3 controller); an index outside the list is ignored.
    void SetCurrentPresetIndex(int32_t index);
    const Preset* GetPreset(int32_t index) const;
    void MakeDefaultPresets(const char* name, int32_t count);
    // One value per parameter in index order; integer-valued parameters take whole numbers.
    void MakePreset(const char* name, std::initializer_list<double> values);
    bool RestorePreset(int32_t index);
    void MakeUserPresetName(char* out) const; // out: kPresetNameSize bytes
    const char* PresetName(int32_t index) const;
    void ModifyCurrentPreset(const char* name);
    void EnsureDefaultPreset();

    PluginLock& Lock() { return lock; }

protected:
    bool ProcessingReady = false; // set by the plug-in class once every parameter was delivered

    // ---- Block plumbing, for the bindings' processing entries (audio thread) ----
    // A null host buffer reads as silence (inputs) or is skipped (outputs). Frames above the block
    // size are never converted past a scratch buffer: use ProcessHostBlock for host-sized blocks.
    void AttachInputs(int32_t first, int32_t count, double** buffers);
    void AttachInputs(int32_t first, int32_t count, float** buffers, int32_t frames);
    void AttachOutputs(int32_t first, int32_t count, double** buffers);
    void AttachOutputs(int32_t first, int32_t count, float** buffers);
    // frames must not exceed the block size (scratch buffers hold that many samples).
    void RunBlock(int32_t frames, BlockForm form);
    void PassThroughBlock(int32_t frames, BlockForm form);
    void ZeroScratch();
    // The whole host-side processing call under the plug-in lock: attach the host buffers of all
    // connected channels (one host pointer per connected channel, in order) and run, in slices of
    // the block size so that no scratch buffer is overrun and nothing is allocated. Without a block
    // size there are no scratch buffers: outputs are silenced (accumulating ones left alone).
    void ProcessHostBlock(float** inputs, float** outputs, int32_t frames, BlockForm form, bool passThrough);
    void ProcessHostBlock(double** inputs, double** outputs, int32_t frames, bool passThrough);

private:
    struct InChannel
    {
        bool connected = false;
        int32_t tableIndex = 0;
        std::vector<double> scratch;
    };
    struct OutChannel
    {
        bool connected = false;
        int32_t tableIndex = 0;
        float* hostFloat = nullptr;
        std::vector<double> scratch;
    };

    void ParseChannelConfig(const char* text);
    void DefaultCopy(int32_t frames);
    void WriteFloatOutputs(int32_t frames, BlockForm form);
    int32_t FirstFreePreset() const;
    int32_t CountConnected(bool inputs) const;
    template <typename T>
    void ProcessHostSlices(T** inputs, T** outputs, int32_t frames, BlockForm form, bool passThrough);

    // Declaration order is destruction order in reverse; the destructor releases explicitly.
    std::vector<ChannelConfig> channelConfigs;
    std::vector<std::unique_ptr<IParamSlot>> params;
    std::vector<std::unique_ptr<Preset>> presets;
    int32_t currentPreset = 0;
    int32_t pendingEndEdit = -1;
    PluginLock lock;
    bool instrument;
    bool bypassed = false;
    bool passingThrough = false; // the last host block was passed through
    double sampleRate = 44100.0;
    int32_t latency;
    char effectName[kNameSize] = {};
    char productName[kNameSize] = {};
    char makerName[kNameSize] = {};
    int32_t uniqueId, makerId, version;
    int32_t hostKind = -1;
    int32_t bindingKind;
    int32_t hostVersion = 0;
    bool chunks;
    int32_t midiMode;
    int32_t blockSize = 0;
    int32_t tailLength = 0;
    std::unique_ptr<IEditor> gui;
    std::vector<double*> inputTable, outputTable;
    std::vector<InChannel> inChannels;
    std::vector<OutChannel> outChannels;
    std::vector<std::string> inputBusLabels, outputBusLabels;
};
