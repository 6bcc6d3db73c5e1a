#include "gui/IKnobControl.h"

IKnobControl::IKnobControl(IEffectBase* plugin, const IArea& a, int32_t index, bool horiz, double gear,
                           const IBlend* b)
    : IControl(plugin, a, index, b), horizontal(horiz), gearing(gear)
{
}

void IKnobControl::DragBy(int32_t, int32_t, int32_t dx, int32_t dy, const IMouseMods& mods)
{
    double g = gearing;
    if (mods.Fine()) g *= 10.0;
    // An area of no extent would divide by zero: such a knob does not turn.
    const int32_t extent = horizontal ? area.right - area.left : area.top - area.bottom;
    if (extent == 0 || g == 0.0) return;
    value += (horizontal ? dx : dy) / static_cast<double>(extent) / g;
    MarkChanged(true);
}
