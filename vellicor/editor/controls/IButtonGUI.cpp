#include "vellicor/editor/controls/IButtonGUI.h"

#include "gui/IGraphics.h"

namespace
{
IArea ButtonArea(int32_t x, int32_t y, const IBitmapRef& bitmap)
{
    const int32_t frames = bitmap.frames > 0 ? bitmap.frames : 1;
    return {x, y, x + bitmap.width, y + bitmap.height / frames};
}
} // namespace

IButtonGUI::IButtonGUI(IEffectBase* plug, bool* flag, int32_t x, int32_t y, const IBitmapRef& pressed)
    : IControl(plug, ButtonArea(x, y, pressed)), pressed(pressed), flag(flag)
{
    if (flag) *flag = false;
}

void IButtonGUI::PressAt(int32_t, int32_t, const IMouseMods& mods)
{
    if (!mods.right)
    {
        held = true;
        if (flag) *flag = true;
    }
    MarkChanged(true);
}

void IButtonGUI::ReleaseAt(int32_t, int32_t, const IMouseMods&)
{
    held = false;
    MarkChanged(true);
}

bool IButtonGUI::Render(IGraphics* graphics)
{
    if (held) graphics->DrawBitmapFrame(pressed, area, 1, nullptr, true);
    return true;
}
