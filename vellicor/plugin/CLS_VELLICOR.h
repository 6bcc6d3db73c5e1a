#pragma once
// The Vellicor limiter plug-in: identity, parameters and factory presets, and the three operations
// that carry the limiter (ResetState, ParamChanged, ProcessBlock). Written once and compiled against
// the binding class of each deliverable (VELLICOR_BINDING_CLASS from VELLICOR_BINDING_HEADER).
#include VELLICOR_BINDING_HEADER
#include "vellicor/engine/LimiterEngine.h"
#include "vellicor/engine/MeterPanelState.h"

#include <cstdint>

class IGraphics;

class CLS_VELLICOR : public VELLICOR_BINDING_CLASS
{
public:
    explicit CLS_VELLICOR(const VELLICOR_BINDING_CLASS::InstanceInfo& info);
    ~CLS_VELLICOR() override;

    // Any thread; takes the plug-in lock. Host bindings call it when rate or activation changes.
    void ResetState() override;
    // Any thread; takes the plug-in lock. Called after the parameter's value was stored.
    void ParamChanged(int32_t index) override;
    // Audio thread, plug-in lock already held by the binding.
    void ProcessBlock(double** inputs, double** outputs, int32_t frames) override;
    // A 32-bit host's stereo buffers straight into the engine, which converts in its loop.
    bool ProcessFloatBlock(float** inputs, float** outputs, int32_t frames) override;
    // Audio thread, plug-in lock held: starts over as after a reset, without touching the rate.
    void PassThroughEnded() override;

    // The meter panel's record and rules; the editor's meter panel draws from it. Never null.
    MeterPanelState& MeterPanel() { return *meterPanel; }
    const LimiterEngine& Engine() const { return engine; }

protected:
    // Window thread: the editor's reset button cleared the peaks.
    virtual void MeterPeaksCleared() {}

private:
    // The host-notifying set of the meter panel, on this plug-in.
    class MeterBridge final : public MeterParamTarget
    {
    public:
        explicit MeterBridge(CLS_VELLICOR& plugin) : plugin(plugin) {}
        double MeterParamValue(int32_t index) const override;
        void BeginMeterEdit(int32_t index) override;
        void SetMeterParamClamped(int32_t index, double value) override;
        void EndMeterEdit(int32_t index) override;
        void MeterPeaksCleared() override { plugin.MeterPeaksCleared(); }

    private:
        CLS_VELLICOR& plugin;
    };

    static int32_t QueryHostSamplePos(void* self);
    // One block through the engine (the first one after a reset) and its meter hand-off.
    template <typename T> void RunEngine(T** inputs, T** outputs, int32_t frames);

    LimiterEngine engine;
    bool readySeen[LimiterEngine::kParamCount] = {};
    int16_t readyCountdown = LimiterEngine::kParamCount;
    MeterBridge meterBridge{*this};
    IGraphics* editor = nullptr;           // owned by the base from AttachEditor on
    MeterPanelState* meterPanel = nullptr; // the editor's meter panel's record
};
