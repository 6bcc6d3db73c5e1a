#include "gui/ITextControl.h"

#include "gui/IGraphics.h"

ITextControl::ITextControl(IEffectBase* plugin, const IArea& a, const ITextStyle& s, const char* t)
    : IControl(plugin, a), style(s), text(t ? t : "")
{
    style.font = nullptr; // the copy finds its own font in the cache
}

bool ITextControl::Render(IGraphics* graphics)
{
    if (text.empty() || !graphics) return true;
    return graphics->DrawStyledText(style, text.c_str(), area);
}
