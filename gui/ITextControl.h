#pragma once
// Static text in a style (the version label).
#include "gui/IControl.h"

#include <string>

class ITextControl : public IControl
{
public:
    ITextControl(IEffectBase* plug, const IArea& area, const ITextStyle& style, const char* text);

    bool Render(IGraphics* graphics) override;

    const char* Text() const { return text.c_str(); }
    void SetText(const char* newText) { text = newText ? newText : ""; }
    ITextStyle& Style() { return style; }

protected:
    ITextStyle style;
    std::string text;
};
