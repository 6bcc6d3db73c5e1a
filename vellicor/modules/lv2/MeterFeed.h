#pragma once
// The meter record as it travels from the LV2 DSP instance to its editor instance: the reductions,
// peaks, peak times and the smoothing coefficient, as floats (times are whole seconds, exact in a
// float). The stored memory is not sent: the editor has "Meml"/"Memr" from the host's ports.
// Any thread; the record's fields are atomic.
#include "vellicor/engine/MeterData.h"

#include <cstdint>

namespace MeterFeed
{
enum Field : int32_t
{
    kCurrentLeft,
    kCurrentRight,
    kPeakLeft,
    kPeakRight,
    kPeakTimeLeft,
    kPeakTimeRight,
    kMeterCoef,
    kCount,
};

// The editor's reset button, passed on to the DSP instance, whose record the peaks come from.
inline constexpr int32_t kCommandResetPeaks = 1;

// values: kCount floats; answers kCount.
int32_t Pack(const MeterData& meter, float* values);
// The DSP side after a feed went out: the block reductions have been shown.
void ClearCurrent(MeterData& meter);
// The DSP side on the editor's reset: peaks and their times to 0.
void ClearPeaks(MeterData& meter);
// The editor side: a feed shorter than kCount is ignored; a current reduction of 0 does not wipe
// one the editor has not drawn yet.
void Unpack(const float* values, int32_t count, MeterData& meter);
} // namespace MeterFeed
