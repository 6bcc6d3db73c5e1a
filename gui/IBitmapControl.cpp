#include "gui/IBitmapControl.h"

#include "gui/IGraphics.h"

#include <cmath>

IBitmapControl::IBitmapControl(IEffectBase* plugin, const IArea& a, int32_t index, const IBitmapRef& b,
                               const IBlend* bl, bool vert)
    : IControl(plugin, a, index, bl), vertical(vert), bitmap(b)
{
}

int32_t IBitmapControl::FrameForValue() const
{
    const int32_t n = bitmap.frames;
    if (n < 2) return 1;
    const double f = std::trunc((n - 1) * Value() + 0.5);
    if (!(f >= 0.0)) return 1;
    if (f >= n - 1) return n;
    return static_cast<int32_t>(f) + 1;
}

bool IBitmapControl::Render(IGraphics* graphics)
{
    if (!graphics) return true;
    return graphics->DrawBitmapFrame(bitmap, area, FrameForValue(), &blend, vertical);
}
