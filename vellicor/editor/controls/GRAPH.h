#pragma once
// The meter panel: per channel a gain-reduction bar from 0 to 15 dB with the target band, the peak
// since the last reset with its host time, and the stored copy of that memory ("Meml"/"Memr").
// A press or drag on a bar sets "Target Attenuation". It owns the meter record that the engine
// writes (see MeterPanelState for the rules) and asks to be drawn on every tick.
//
// Threads: window thread. The meter record is shared with the audio thread field by field.
#include "gui/IControl.h"
#include "vellicor/engine/MeterPanelState.h"

#include <cstddef>

class GRAPH : public IControl
{
public:
    // Bar geometry: x 308 is 15 dB, x 433 is 0 dB; the bars grow leftward from the 0 dB end.
    static constexpr IArea kBarLeft{308, 164, 433, 174};
    static constexpr IArea kBarRight{308, 181, 433, 191};

    GRAPH(IEffectBase* plug, int32_t left, int32_t top, int32_t right, int32_t bottom,
          MeterParamTarget& target);

    void PressAt(int32_t x, int32_t y, const IMouseMods& mods) override;
    void DragBy(int32_t x, int32_t y, int32_t dx, int32_t dy, const IMouseMods& mods) override;
    bool Render(IGraphics* graphics) override;
    bool NeedsRedraw() override { return true; }

    MeterPanelState& State() { return state; }
    bool* ResetFlag() { return &state.Data().resetRequest; }
    bool* StoreFlag() { return &state.Data().storeRequest; }

    // What a frame shows besides the bars: texts with their colours and the peak markers.
    struct ReadOut
    {
        static constexpr size_t kTextSize = 24;
        char liveTime[2][kTextSize];
        char livePeak[2][kTextSize];
        IRgba livePeakColour[2]; // also the marker's
        int32_t markerX[2];
        char storedPeak[2][kTextSize];
        IRgba storedPeakColour[2];
        char storedTime[2][kTextSize];
    };
    static ReadOut Read(const MeterData& data, int32_t target);

    // Drawing rules, exposed for the tests.
    // x of a reduction on the bars (single precision, as the marks of the artwork assume).
    static int32_t BarX(float reduction);
    // Width of the target band for target T, from the 0 dB end.
    static int32_t TargetBandWidth(int32_t target);
    static IRgba ClassColour(MeterMemory::ColourClass c);
    // Target for a press at x on a bar, before the set clamps it.
    static double TargetForX(int32_t x);
    // "mm:ss" of host seconds taken unsigned; minutes are not wrapped at 100.
    static void FormatTime(uint32_t seconds, char* out, size_t size);

private:
    void SetTargetAt(int32_t x, int32_t y);

    MeterPanelState state;
    ITextStyle textStyle;
};
