#include "vellicor/editor/controls/GRAPH.h"

#include "gui/IGraphics.h"
#include "vellicor/engine/Nint.h"

#include <algorithm>
#include <cstdio>

namespace
{
constexpr IRgba kTextColour{180, 255, 255, 255};
constexpr IRgba kBandColour{50, 255, 255, 255};
constexpr IRgba kBarColour{255, 255, 0, 0};

// Text boxes of the read-outs; the background carries their captions.
constexpr IArea kLiveTime[2] = {{257, 158, 298, 177}, {257, 183, 298, 202}};
constexpr IArea kLivePeak[2] = {{441, 158, 474, 177}, {441, 183, 474, 202}};
constexpr IArea kStoredPeak[2] = {{393, 219, 426, 229}, {441, 219, 474, 229}};
constexpr IArea kStoredTime[2] = {{257, 219, 298, 229}, {305, 219, 346, 229}};
constexpr IArea kBars[2] = {GRAPH::kBarLeft, GRAPH::kBarRight};

void FormatDecibels(double v, char* out, size_t size)
{
    std::snprintf(out, size, "%.2f", v);
}
} // namespace

GRAPH::GRAPH(IEffectBase* plug, int32_t left, int32_t top, int32_t right, int32_t bottom,
             MeterParamTarget& target)
    : IControl(plug, IArea{left, top, right, bottom}), state(target),
      textStyle("Arial", 15, kTextColour, 0, ITextStyle::kAlignCentre)
{
}

int32_t GRAPH::BarX(float reduction)
{
    // A reduction is never negative; anything that is not a number draws at 0 dB.
    const float shown = reduction > 0.0f ? std::min(reduction, MeterPanelState::kBarTopDb) : 0.0f;
    return Nint(433.0f - shown * 125.0f * 0.06666667f);
}

int32_t GRAPH::TargetBandWidth(int32_t target)
{
    const int32_t width = kBarLeft.right - kBarLeft.left;
    return std::clamp(width * target / 15, 0, width);
}

IRgba GRAPH::ClassColour(MeterMemory::ColourClass c)
{
    switch (c)
    {
    case MeterMemory::ColourClass::Over:
        return {255, 255, 0, 0};
    case MeterMemory::ColourClass::Above:
        return {180, 255, 255, 0};
    case MeterMemory::ColourClass::OnTarget:
        return {235, 0, 255, 0};
    case MeterMemory::ColourClass::Under:
        break;
    }
    return kTextColour;
}

double GRAPH::TargetForX(int32_t x)
{
    return (kBarLeft.right - x) * 15.0 / (kBarLeft.right - kBarLeft.left);
}

void GRAPH::FormatTime(uint32_t seconds, char* out, size_t size)
{
    std::snprintf(out, size, "%.2u:%.2u", seconds / 60u, seconds % 60u);
}

void GRAPH::SetTargetAt(int32_t x, int32_t y)
{
    if (kBarLeft.Contains(x, y) || kBarRight.Contains(x, y)) state.SetTarget(TargetForX(x));
}

void GRAPH::PressAt(int32_t x, int32_t y, const IMouseMods&)
{
    SetTargetAt(x, y);
}

void GRAPH::DragBy(int32_t x, int32_t y, int32_t, int32_t, const IMouseMods&)
{
    SetTargetAt(x, y);
}

GRAPH::ReadOut GRAPH::Read(const MeterData& data, int32_t target)
{
    ReadOut r;
    for (int c = 0; c < 2; ++c)
    {
        FormatTime(static_cast<uint32_t>(MeterData::Load(data.peakTime[c])), r.liveTime[c],
                   ReadOut::kTextSize);

        const float peak = MeterData::Load(data.peakReduction[c]);
        r.livePeakColour[c] = ClassColour(MeterMemory::Classify(peak, target));
        r.markerX[c] = BarX(peak);
        FormatDecibels(peak, r.livePeak[c], ReadOut::kTextSize);

        const uint32_t code = MeterData::Load(data.storedCode[c]);
        const double stored = MeterMemory::DecodeReduction(code);
        r.storedPeakColour[c] = ClassColour(MeterMemory::Classify(stored, target));
        FormatDecibels(stored, r.storedPeak[c], ReadOut::kTextSize);
        FormatTime(static_cast<uint32_t>(MeterMemory::DecodeSeconds(code)), r.storedTime[c],
                   ReadOut::kTextSize);
    }
    return r;
}

bool GRAPH::Render(IGraphics* graphics)
{
    const int32_t target = state.Target();
    const ReadOut r = Read(state.Data(), target);

    state.Smooth();

    const int32_t band = TargetBandWidth(target);
    for (const IArea& bar : kBars)
        graphics->FillArea(kBandColour, {bar.right - band, bar.top, bar.right, bar.bottom}, nullptr);
    for (int c = 0; c < 2; ++c)
    {
        const IArea& bar = kBars[c];
        graphics->FillArea(kBarColour, {BarX(state.BarReduction(c)), bar.top, bar.right, bar.bottom},
                           nullptr);
    }

    textStyle.colour = kTextColour;
    for (int c = 0; c < 2; ++c)
        graphics->DrawStyledText(textStyle, r.liveTime[c], kLiveTime[c]);
    for (int c = 0; c < 2; ++c)
    {
        const IArea& bar = kBars[c];
        const float x = static_cast<float>(r.markerX[c]);
        textStyle.colour = r.livePeakColour[c];
        graphics->DrawLine(textStyle.colour, x, static_cast<float>(bar.top), x,
                           static_cast<float>(bar.bottom), nullptr, true);
        graphics->DrawStyledText(textStyle, r.livePeak[c], kLivePeak[c]);
    }
    for (int c = 0; c < 2; ++c)
    {
        textStyle.colour = r.storedPeakColour[c];
        graphics->DrawStyledText(textStyle, r.storedPeak[c], kStoredPeak[c]);
    }
    textStyle.colour = kTextColour;
    for (int c = 0; c < 2; ++c)
        graphics->DrawStyledText(textStyle, r.storedTime[c], kStoredTime[c]);

    state.ConsumeResetRequest();
    state.ConsumeStoreRequest();
    state.ClearCurrent();
    return true;
}
