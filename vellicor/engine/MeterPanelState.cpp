#include "vellicor/engine/MeterPanelState.h"

#include "vellicor/engine/Nint.h"

#include <algorithm>

void MeterPanelState::Smooth()
{
    const float coef = MeterData::Load(data.meterCoef);
    for (int c = 0; c < 2; ++c)
    {
        const float shown = MeterMemory::Smooth(MeterData::Load(data.displayReduction[c]),
                                                MeterData::Load(data.currentReduction[c]), coef);
        MeterData::Store(data.displayReduction[c], shown);
    }
}

void MeterPanelState::ConsumeResetRequest()
{
    if (!data.resetRequest) return;
    for (int c = 0; c < 2; ++c)
    {
        MeterData::Store(data.peakReduction[c], 0.0f);
        MeterData::Store(data.peakTime[c], 0);
    }
    data.resetRequest = false;
    target.MeterPeaksCleared();
}

void MeterPanelState::ConsumeStoreRequest()
{
    if (!data.storeRequest) return;
    uint32_t code[2];
    for (int c = 0; c < 2; ++c)
    {
        code[c] =
            MeterMemory::Encode(MeterData::Load(data.peakReduction[c]), MeterData::Load(data.peakTime[c]));
        MeterData::Store(data.storedCode[c], code[c]);
    }
    HostNotifyingSet(kMemLeftIndex, code[0]);
    HostNotifyingSet(kMemRightIndex, code[1]);
    data.storeRequest = false;
}

void MeterPanelState::ClearCurrent()
{
    for (int c = 0; c < 2; ++c)
        MeterData::Store(data.currentReduction[c], 0.0f);
}

void MeterPanelState::Tick()
{
    Smooth();
    ConsumeResetRequest();
    ConsumeStoreRequest();
    ClearCurrent();
}

float MeterPanelState::BarReduction(int channel) const
{
    return std::min(MeterData::Load(data.displayReduction[channel & 1]), kBarTopDb);
}

int32_t MeterPanelState::Target() const
{
    return Nint(target.MeterParamValue(kTargetIndex));
}

MeterMemory::ColourClass MeterPanelState::PeakClass(int channel) const
{
    return MeterMemory::Classify(MeterData::Load(data.peakReduction[channel & 1]), Target());
}

void MeterPanelState::HostNotifyingSet(int32_t index, double value)
{
    target.BeginMeterEdit(index);
    target.SetMeterParamClamped(index, value);
    target.EndMeterEdit(index);
}
