#pragma once
// A momentary button: a press raises a flag owned by another object (the meter panel's reset or
// store request), which that object consumes on its next frame; the pressed picture shows while
// the button is held. Not bound to a parameter.
// Release leaves the flag alone, so a click shorter than one frame is not lost, and the picture
// follows the button rather than the flag, which is consumed while the button is still held.
#include "gui/IControl.h"

class IButtonGUI : public IControl
{
public:
    // Clears the flag; the area is the size of one frame of the pressed bitmap.
    IButtonGUI(IEffectBase* plug, bool* flag, int32_t x, int32_t y, const IBitmapRef& pressed);

    void PressAt(int32_t x, int32_t y, const IMouseMods& mods) override;
    void ReleaseAt(int32_t x, int32_t y, const IMouseMods& mods) override;
    bool Render(IGraphics* graphics) override;

private:
    IBitmapRef pressed;
    bool* flag;
    bool held = false;
};
