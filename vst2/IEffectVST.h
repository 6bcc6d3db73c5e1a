#pragma once
// The plug-in as a VST 2.4 effect: owns the effect record handed to the host and translates the host's
// requests, parameter calls and block callbacks into the operations of IEffectBase.
//
// Threads: the host calls the dispatcher and the parameter callbacks from its UI or automation threads
// and the block callbacks from its audio thread. Every one of them holds the plug-in lock throughout,
// so requests, parameter changes and blocks never overlap on one instance; only the editor's requests
// run without it (they call the host and draw), taking it wherever they touch the plug-in.
#include "core/IEffectBase.h"
#include "vst2/Vst2Abi.h"

class IEffectVST : public IEffectBase
{
public:
    struct InstanceInfo
    {
        audioMasterCallback hostCallback = nullptr;
        void* moduleInstance = nullptr; // the module's own handle: the editor's window class and artwork
    };

    // Host text buffers are never written past these sizes (terminator included).
    static constexpr int kParamTextSize = 32;
    static constexpr int kProgramNameSize = kVstMaxProgNameLen;
    static constexpr int kEffectNameSize = kVstMaxEffectNameLen;
    static constexpr int kVendorTextSize = kVstMaxVendorStrLen;
    // Requests beyond these are refused rather than trusted: no state is this large.
    static constexpr intptr_t kMaxChunkBytes = 1 << 20;
    static constexpr int32_t kMaxEventsPerCall = 1 << 16;

    IEffectVST(const InstanceInfo& info, int32_t paramCount, const char* channelConfig, int32_t presetCount,
               const char* effectName, const char* productName, const char* makerName, int32_t version,
               int32_t uniqueId, int32_t makerId, int32_t latency, int32_t midiMode, bool chunks,
               bool instrument);
    ~IEffectVST() override;

    AEffect* Effect() { return &effect; }
    const ERect& EditorRect() const { return editRect; }
    const VstSpeakerArrangement& InputArrangement() const { return inputArrangement; }
    const VstSpeakerArrangement& OutputArrangement() const { return outputArrangement; }

    // Host services (UI thread; ParamEdited also inside SetParamFromGui, lock held).
    void BeginParamEdit(int32_t index) override;
    void BeginParamEditIfIdle(int32_t index) override;
    void ParamEdited(int32_t index, double normalized) override;
    void EndParamEdit(int32_t index) override;
    int32_t HostSamplePos() override; // audio thread, from ProcessBlock
    int32_t HostKind() override;      // asks the host on first use
    void HostSetup() override;        // once per instance, on effOpen
    void AttachEditor(IEditor* gui) override;

    // The request handler proper: the plug-in lock is held by the caller, except for the editor's
    // requests (open, close, idle, host wheel), which the entry passes on without it. effClose is
    // handled by the entry itself.
    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

    // The plug-in behind an effect record this binding made; null for null.
    static IEffectVST* FromEffect(AEffect* effect);

private:
    // Entry points stored in the effect record.
    static intptr_t DispatcherProc(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                   float opt);
    static void ProcessProc(AEffect* effect, float** inputs, float** outputs, int32_t frames);
    static void ProcessReplacingProc(AEffect* effect, float** inputs, float** outputs, int32_t frames);
    static void ProcessDoubleReplacingProc(AEffect* effect, double** inputs, double** outputs,
                                           int32_t frames);
    static void SetParameterProc(AEffect* effect, int32_t index, float value);
    static float GetParameterProc(AEffect* effect, int32_t index);

    intptr_t HostCall(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    void WantMidiIfNeeded();

    intptr_t GetChunk(int32_t index, void** data);
    intptr_t SetChunk(int32_t index, intptr_t size, const void* data);
    intptr_t ProcessEvents(const VstEvents* events);
    intptr_t StringToParameter(int32_t index, const char* text);
    intptr_t PinProperties(int32_t index, VstPinProperties* pin, bool input);
    void SetSpeakerArrangement(const VstSpeakerArrangement* input, const VstSpeakerArrangement* output);
    intptr_t VendorSpecific(int32_t index, intptr_t value, void* ptr, float opt);
    intptr_t CanDo(const char* text) const;

    ERect editRect{};
    audioMasterCallback hostCallback;
    VstSpeakerArrangement inputArrangement{};
    VstSpeakerArrangement outputArrangement{};
    bool hostSetupDone = false;
    StateChunk programChunk, bankChunk;
    AEffect effect{};
};

namespace vellicor::vst2
{
// The module's load address (the library handle the editor loads its artwork through); null until
// the first entry call records it.
extern void* ModuleHandle;
void RecordModuleHandle();
} // namespace vellicor::vst2
