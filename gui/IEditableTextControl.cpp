#include "gui/IEditableTextControl.h"

#include "gui/IGraphics.h"

#include <algorithm>

IEditableTextControl::IEditableTextControl(IEffectBase* plugin, const IArea& a, const ITextStyle& s,
                                           const char* t, const IRgba& back, bool canEdit, bool hide)
    : ITextControl(plugin, a, s, t), background(back), editable(canEdit), masked(hide)
{
}

void IEditableTextControl::PressAt(int32_t, int32_t, const IMouseMods&)
{
    if (IGraphics* g = Graphics()) g->OpenTextFieldEditor(this);
    redrawAgain = true;
}

bool IEditableTextControl::Render(IGraphics* graphics)
{
    if (!graphics) return true;
    if (background.a != 0 && !graphics->FillArea(background, area, nullptr)) return false;
    if (text.empty()) return true;
    if (!masked) return graphics->DrawStyledText(style, text.c_str(), area);
    const std::string stars(std::min<size_t>(text.size(), kMaxMasked), '*');
    return graphics->DrawStyledText(style, stars.c_str(), area);
}

void IEditableTextControl::SetTextFromEntry(const char* newText)
{
    const char* t = newText ? newText : "";
    if (text == t) return;
    MarkChanged(false);
    text = t;
}
