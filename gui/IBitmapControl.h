#pragma once
// One frame of a film strip, chosen by the value (the editor's background is one of these).
#include "gui/IControl.h"

class IBitmapControl : public IControl
{
public:
    IBitmapControl(IEffectBase* plug, const IArea& area, int32_t paramIndex, const IBitmapRef& bitmap,
                   const IBlend* blend = nullptr, bool vertical = true);

    bool Render(IGraphics* graphics) override;

    // 1-based frame for the current value: 1 for a single frame, else nearest of N.
    int32_t FrameForValue() const;
    const IBitmapRef& Bitmap() const { return bitmap; }

protected:
    bool vertical;
    IBitmapRef bitmap;
};
