#pragma once
// The meter panel's side of the meter record: it owns the record until the editor's meter panel
// control takes it over, and implements the rules by which each drawn frame consumes it.
// Window thread, no plug-in lock (the record's fields are atomic); the audio thread and parameter
// delivery write the record through data().
#include "vellicor/engine/LimiterParams.h"
#include "vellicor/engine/MeterData.h"
#include "vellicor/engine/MeterMemory.h"

#include <cstdint>

// What the panel needs from the plug-in: parameter values and the host-notifying set.
class MeterParamTarget
{
public:
    virtual ~MeterParamTarget() = default;
    virtual double MeterParamValue(int32_t index) const = 0;
    virtual void BeginMeterEdit(int32_t index) = 0;
    // Stores value clamped into the parameter's range and reports it to the host as the gesture's
    // edit: no step, no ParamChanged.
    virtual void SetMeterParamClamped(int32_t index, double value) = 0;
    virtual void EndMeterEdit(int32_t index) = 0;
    // The reset button cleared the peaks (an editor apart from the DSP passes it on).
    virtual void MeterPeaksCleared() {}
};

class MeterPanelState
{
public:
    static constexpr int32_t kTargetIndex = kTargetAttenuation;
    static constexpr int32_t kMemLeftIndex = kMemLeft;
    static constexpr int32_t kMemRightIndex = kMemRight;
    static constexpr float kBarTopDb = 15.0f;

    explicit MeterPanelState(MeterParamTarget& target) : target(target) {}

    MeterData& Data() { return data; }
    const MeterData& Data() const { return data; }

    // Mouse handler: held while the reset / memory button is pressed.
    void RequestReset() { data.resetRequest = true; }
    void RequestStore() { data.storeRequest = true; }
    void SetTarget(double decibels) { HostNotifyingSet(kTargetIndex, decibels); }

    // One drawn frame, in order: Smooth, (drawing), ConsumeResetRequest, ConsumeStoreRequest,
    // ClearCurrent. Tick runs them all for a panel that draws nothing.
    void Smooth();
    void ConsumeResetRequest();
    void ConsumeStoreRequest();
    void ClearCurrent();
    void Tick();

    // Drawing inputs.
    float BarReduction(int channel) const; // dB, at most 15
    int32_t Target() const;                // nint of "Target Attenuation"
    MeterMemory::ColourClass PeakClass(int channel) const;

    // Begin gesture, clamped store with its edit, end gesture: the host records the value and it
    // reaches the host's saved state.
    void HostNotifyingSet(int32_t index, double value);

private:
    MeterParamTarget& target;
    MeterData data;
};
