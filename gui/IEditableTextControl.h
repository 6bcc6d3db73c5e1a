#pragma once
// Text that the user can edit in a pop-up text box, optionally masked and on a filled background.
#include "gui/ITextControl.h"

class IEditableTextControl : public ITextControl
{
public:
    static constexpr int kMaxMasked = 254; // stars shown for a masked text at most

    IEditableTextControl(IEffectBase* plug, const IArea& area, const ITextStyle& style, const char* text,
                         const IRgba& background, bool editable, bool masked);

    void PressAt(int32_t x, int32_t y, const IMouseMods& mods) override;
    bool Render(IGraphics* graphics) override;

    // The pop-up committed: a different text (byte comparison) is stored and redrawn.
    void SetTextFromEntry(const char* newText);
    bool IsEditable() const { return editable; }
    bool IsMasked() const { return masked; }
    const IRgba& Background() const { return background; }

protected:
    IRgba background; // alpha 0: no background
    bool editable;
    bool masked;
};
