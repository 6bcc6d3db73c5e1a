#pragma once
// Drag-to-turn base of the knobs: moving by the control's height (or width) changes the value by
// 1 / gearing; shift or control gears ten times finer.
#include "gui/IControl.h"

class IKnobControl : public IControl
{
public:
    IKnobControl(IEffectBase* plug, const IArea& area, int32_t paramIndex, bool horizontal = false,
                 double gearing = 4.0, const IBlend* blend = nullptr);

    void DragBy(int32_t x, int32_t y, int32_t dx, int32_t dy, const IMouseMods& mods) override;

protected:
    bool horizontal;
    double gearing;
};
