#pragma once
// The VST3 host binding: one object that is the plug-in base, the audio processor and the edit
// controller. A product's plug-in class derives from it. Parameters appear under tags equal to their index;
// two more tags carry program changes and bypass.
//
// Threads: process runs on the host's audio thread under the plug-in lock; component state calls
// take the same lock; everything else arrives on the host's UI thread, which the host serialises
// against processing (setupProcessing, setActive, setBusArrangements, initialize).
#include "core/IEffectBase.h"
#include "vst3/SingleComponentEffect.h"

#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <string>
#include <vector>

class IEffectVST3View;

class IEffectVST3 : public IEffectBase, public Steinberg::Vst::IUnitInfo, public SingleComponentEffect
{
public:
    struct InstanceInfo
    {
        void* moduleInstance = nullptr; // the module's own handle: the editor's window class and artwork
    };

    static constexpr Steinberg::Vst::ParamID kProgramTag = 0x70727374; // 'prst'
    static constexpr Steinberg::Vst::ParamID kBypassTag = 0x62706173;  // 'bpas'
    static constexpr Steinberg::Vst::ProgramListID kProgramListId = 0x70727374;

    IEffectVST3(const InstanceInfo& info, int32_t paramCount, const char* channelConfig, int32_t presetCount,
                const char* effectName, const char* productName, const char* makerName, int32_t version,
                int32_t uniqueId, int32_t makerId, int32_t latency, int32_t midiMode, bool chunks,
                bool instrument, int32_t sideChainChannels = 0);
    ~IEffectVST3() override;

    // ---- IEffectBase host services ----
    void BeginParamEdit(int32_t index) override;
    void ParamEdited(int32_t index, double normalized) override;
    void EndParamEdit(int32_t index) override;
    // A wheel step: opens a gesture unless the previous step's deferred end is still pending for it.
    void BeginParamEditIfIdle(int32_t index) override;
    int32_t HostSamplePos() override;

    // ---- IPluginBase (UI thread) ----
    Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API terminate() SMTG_OVERRIDE;

    // ---- IComponent (UI thread) ----
    Steinberg::tresult PLUGIN_API setActive(Steinberg::TBool state) SMTG_OVERRIDE;

    // ---- IAudioProcessor ----
    Steinberg::tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs,
                                                     Steinberg::int32 numIns,
                                                     Steinberg::Vst::SpeakerArrangement* outputs,
                                                     Steinberg::int32 numOuts) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API canProcessSampleSize(Steinberg::int32 symbolicSampleSize) SMTG_OVERRIDE;
    Steinberg::uint32 PLUGIN_API getLatencySamples() SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) SMTG_OVERRIDE;
    // Audio thread; holds the plug-in lock for the block, and after a program change reports every
    // value as output changes once the lock is released.
    Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) SMTG_OVERRIDE;
    Steinberg::uint32 PLUGIN_API getTailSamples() SMTG_OVERRIDE;

    // ---- IEditController (UI thread, no lock) ----
    Steinberg::tresult PLUGIN_API getParamStringByValue(Steinberg::Vst::ParamID tag,
                                                        Steinberg::Vst::ParamValue valueNormalized,
                                                        Steinberg::Vst::String128 string) SMTG_OVERRIDE;
    Steinberg::Vst::ParamValue PLUGIN_API
    plainParamToNormalized(Steinberg::Vst::ParamID tag, Steinberg::Vst::ParamValue plainValue) SMTG_OVERRIDE;
    Steinberg::Vst::ParamValue PLUGIN_API getParamNormalized(Steinberg::Vst::ParamID tag) SMTG_OVERRIDE;
    // Only stores: the signal side and the GUI learn of the value in the next process call.
    Steinberg::tresult PLUGIN_API setParamNormalized(Steinberg::Vst::ParamID tag,
                                                     Steinberg::Vst::ParamValue value) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API openHelp(Steinberg::TBool) SMTG_OVERRIDE { return Steinberg::kResultFalse; }
    Steinberg::tresult PLUGIN_API openAboutBox(Steinberg::TBool) SMTG_OVERRIDE
    {
        return Steinberg::kResultFalse;
    }
    Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) SMTG_OVERRIDE;

    // ---- IUnitInfo (UI thread) ----
    Steinberg::int32 PLUGIN_API getUnitCount() SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getUnitInfo(Steinberg::int32 unitIndex,
                                              Steinberg::Vst::UnitInfo& info) SMTG_OVERRIDE;
    Steinberg::int32 PLUGIN_API getProgramListCount() SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getProgramListInfo(Steinberg::int32 listIndex,
                                                     Steinberg::Vst::ProgramListInfo& info) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getProgramName(Steinberg::Vst::ProgramListID listId,
                                                 Steinberg::int32 programIndex,
                                                 Steinberg::Vst::String128 name) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getProgramInfo(Steinberg::Vst::ProgramListID listId,
                                                 Steinberg::int32 programIndex,
                                                 Steinberg::Vst::CString attributeId,
                                                 Steinberg::Vst::String128 attributeValue) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API hasProgramPitchNames(Steinberg::Vst::ProgramListID listId,
                                                       Steinberg::int32 programIndex) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getProgramPitchName(Steinberg::Vst::ProgramListID listId,
                                                      Steinberg::int32 programIndex,
                                                      Steinberg::int16 midiPitch,
                                                      Steinberg::Vst::String128 name) SMTG_OVERRIDE;
    Steinberg::Vst::UnitID PLUGIN_API getSelectedUnit() SMTG_OVERRIDE { return Steinberg::Vst::kRootUnitId; }
    Steinberg::tresult PLUGIN_API selectUnit(Steinberg::Vst::UnitID unitId) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getUnitByBus(Steinberg::Vst::MediaType type,
                                               Steinberg::Vst::BusDirection dir, Steinberg::int32 busIndex,
                                               Steinberg::int32 channel,
                                               Steinberg::Vst::UnitID& unitId) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API setUnitProgramData(Steinberg::int32 listOrUnitId,
                                                     Steinberg::int32 programIndex,
                                                     Steinberg::IBStream* data) SMTG_OVERRIDE;

    // ---- Open editor views (UI thread) ----
    int32_t OpenViewCount() const { return static_cast<int32_t>(openViews.size()); }
    // The oldest view still alive; it answers the plug-in's frame requests.
    IEffectVST3View* FirstView() const { return openViews.empty() ? nullptr : openViews.front(); }
    void ViewDestroyed(IEffectVST3View* view); // a view that is not listed is ignored
    // The view whose window shows the editor (one editor, one window), null while none is attached.
    IEffectVST3View* EditorView() const { return editorView; }
    void SetEditorView(IEffectVST3View* view) { editorView = view; }

    int32_t SideChainChannels() const { return sideChainChannels; }
    const Steinberg::Vst::ProcessContext& HostTransport() const { return hostTransport; }
    const std::vector<std::string>& ParamGroupNames() const { return paramGroupNames; }

    OBJ_METHODS(IEffectVST3, SingleComponentEffect)
    DEFINE_INTERFACES
    DEF_INTERFACE(Steinberg::Vst::IUnitInfo)
    END_DEFINE_INTERFACES(SingleComponentEffect)
    REFCOUNT_METHODS(SingleComponentEffect)

protected:
    // Component state: the plug-in's state chunk, no header. Plug-in lock held.
    Steinberg::tresult setComponentData(Steinberg::IBStream* state) override;
    Steinberg::tresult getComponentData(Steinberg::IBStream* state) override;
    // Controller state is empty; the lock is taken only to wait for a running block.
    Steinberg::tresult setControllerState(Steinberg::IBStream* state) override;
    Steinberg::tresult getControllerState(Steinberg::IBStream* state) override;

private:
    bool ValidParam(Steinberg::Vst::ParamID tag) const;
    int32_t ProgramIndexFor(double normalized) const;
    void AddParameters();
    // Answers whether a program was loaded.
    bool ApplyParameterChanges(Steinberg::Vst::IParameterChanges* changes);
    // The block under the plug-in lock; answers whether a program was loaded.
    bool ProcessLocked(Steinberg::Vst::ProcessData& data);
    // Every parameter's value after a program change, as output changes at offset 0.
    void ReportLoadedValues(Steinberg::Vst::IParameterChanges* changes);
    void DeliverEvents(Steinberg::Vst::IEventList* events);
    void ConnectInputs(const Steinberg::Vst::ProcessData& data, bool doubles);
    void ConnectOutputs(const Steinberg::Vst::ProcessData& data, bool doubles);

    int32_t sideChainChannels;
    bool sideChainWasActive = false;
    bool initialized = false;
    Steinberg::Vst::ProcessContext hostTransport{};
    std::vector<IEffectVST3View*> openViews;
    IEffectVST3View* editorView = nullptr;
    std::vector<std::string> paramGroupNames; // units 1..G, in order of first appearance
    // Host channel pointers of the current block, one per connected channel; sized at construction.
    std::vector<float*> hostIn32, hostOut32;
    std::vector<double*> hostIn64, hostOut64;
    std::vector<double> loadedValues; // normalised, taken under the lock, reported after it
};
