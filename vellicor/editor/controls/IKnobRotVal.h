#pragma once
// The limiter's knob: a small pointer bitmap turned about a fixed centre over the knob body of the
// background, and the bound parameter's value printed in its middle. Dragging is IKnobControl's.
#include "gui/IKnobControl.h"

class IKnobRotVal : public IKnobControl
{
public:
    // textOffset < 0 moves the value text up into the knob; steps > 1 snaps the value on release.
    IKnobRotVal(IEffectBase* plug, int32_t paramIndex, int32_t centreX, int32_t centreY,
                const IBitmapRef& pointer, const ITextStyle& textStyle, int32_t textOffset, int32_t sweep,
                double gearing, int32_t fixedSize = 0, bool horizontal = false, bool appendLabel = false,
                int32_t steps = 0);

    void ReleaseAt(int32_t x, int32_t y, const IMouseMods& mods) override;
    bool Render(IGraphics* graphics) override;

    // Radians, clockwise on screen; 0 at value 0.5. The constants are single precision on purpose:
    // they fix where the pointer lands.
    static double PointerAngle(double value, int32_t sweep);
    // Sub-pixel shift of the rotation source, 0 in the middle and -1 pixel at both ends.
    static float SourceShift(double value);
    static IArea Placement(int32_t centreX, int32_t centreY, const IBitmapRef& pointer,
                           const ITextStyle& style, int32_t textOffset, int32_t fixedSize);
    // Where the value text is drawn.
    IArea TextArea() const;

private:
    ITextStyle textStyle;
    IBitmapRef pointer;
    int32_t centreX, centreY;
    int32_t textOffset;
    int32_t sweep;
    int16_t steps; // count - 1; snapping only when > 0
    bool appendLabel;
    IBlend drawBlend;
    IBitmapRef frameCache; // left half of a multi-frame strip, cut on first use
};
