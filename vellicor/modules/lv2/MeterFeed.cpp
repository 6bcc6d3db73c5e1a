#include "vellicor/modules/lv2/MeterFeed.h"

#include <cmath>

namespace MeterFeed
{
int32_t Pack(const MeterData& m, float* v)
{
    for (int c = 0; c < 2; ++c)
    {
        v[kCurrentLeft + c] = MeterData::Load(m.currentReduction[c]);
        v[kPeakLeft + c] = MeterData::Load(m.peakReduction[c]);
        v[kPeakTimeLeft + c] = static_cast<float>(MeterData::Load(m.peakTime[c]));
    }
    v[kMeterCoef] = MeterData::Load(m.meterCoef);
    return kCount;
}

void ClearCurrent(MeterData& m)
{
    for (auto& reduction : m.currentReduction)
        MeterData::Store(reduction, 0.0f);
}

void ClearPeaks(MeterData& m)
{
    for (int c = 0; c < 2; ++c)
    {
        MeterData::Store(m.peakReduction[c], 0.0f);
        MeterData::Store(m.peakTime[c], 0);
    }
}

void Unpack(const float* v, int32_t count, MeterData& m)
{
    if (count < kCount) return;
    for (int c = 0; c < 2; ++c)
    {
        if (v[kCurrentLeft + c] > 0.0f) MeterData::Store(m.currentReduction[c], v[kCurrentLeft + c]);
        MeterData::Store(m.peakReduction[c], v[kPeakLeft + c]);
        // Seconds within int32 (the DSP wrote an int32); anything else is no time.
        const float t = v[kPeakTimeLeft + c];
        MeterData::Store(m.peakTime[c], std::fabs(t) < 2.0e9f ? static_cast<int32_t>(t) : 0);
    }
    MeterData::Store(m.meterCoef, v[kMeterCoef]);
}
} // namespace MeterFeed
