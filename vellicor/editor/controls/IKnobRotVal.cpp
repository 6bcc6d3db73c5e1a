#include "vellicor/editor/controls/IKnobRotVal.h"

#include "core/IEffectBase.h"
#include "core/IParamSlot.h"
#include "gui/IGraphics.h"
#include "vellicor/engine/Nint.h"

#include <cmath>
#include <cstring>

namespace
{
constexpr double kPi = 3.14159265358979323846;
}

IArea IKnobRotVal::Placement(int32_t centreX, int32_t centreY, const IBitmapRef& pointer,
                             const ITextStyle& style, int32_t textOffset, int32_t fixedSize)
{
    const int32_t frames = pointer.frames > 0 ? pointer.frames : 1;
    const int32_t hh = Nint(static_cast<float>(pointer.height) * 0.5f);
    const int32_t hw = fixedSize != 0
                           ? fixedSize / 2
                           : Nint(static_cast<float>(pointer.width) / static_cast<float>(frames) * 0.5f);
    const int32_t bottom = textOffset < 0 ? centreY + hh : centreY + hh + style.size + textOffset;
    return {centreX - hw, centreY - hh, centreX + hw, bottom};
}

IKnobRotVal::IKnobRotVal(IEffectBase* plug, int32_t paramIndex, int32_t centreX, int32_t centreY,
                         const IBitmapRef& pointer, const ITextStyle& textStyle, int32_t textOffset,
                         int32_t sweep, double gearing, int32_t fixedSize, bool horizontal, bool appendLabel,
                         int32_t steps)
    : IKnobControl(plug, Placement(centreX, centreY, pointer, textStyle, textOffset, fixedSize), paramIndex,
                   horizontal, gearing),
      textStyle(textStyle), pointer(pointer), centreX(centreX), centreY(centreY), textOffset(textOffset),
      sweep(sweep), steps(static_cast<int16_t>(steps - 1)), appendLabel(appendLabel)
{
}

double IKnobRotVal::PointerAngle(double value, int32_t sweep)
{
    const float a = static_cast<float>(sweep * kPi / 360.0);
    const float b = static_cast<float>(-sweep * kPi / 360.0);
    return a * (2.0 * value) + b;
}

float IKnobRotVal::SourceShift(double value)
{
    return -static_cast<float>(std::fabs(value - 0.5) * 2.0);
}

IArea IKnobRotVal::TextArea() const
{
    IArea text{area.left, area.bottom - textStyle.size, area.right, area.bottom};
    if (textOffset < 0)
    {
        text.top += textOffset;
        text.bottom += textOffset;
    }
    return text;
}

void IKnobRotVal::ReleaseAt(int32_t, int32_t, const IMouseMods&)
{
    if (steps > 0) value = std::floor(steps * value + 0.5) / steps;
    MarkChanged(true);
}

bool IKnobRotVal::Render(IGraphics* graphics)
{
    drawBlend = IBlend{IBlend::kNormal, 1.0f};
    const double v = value;

    if (const IParamSlot* param = Param(); param && textStyle.size > 0)
    {
        char text[2 * IParamSlot::kTextSize] = {};
        {
            // The host thread writes the slot under the lock; read it whole.
            PluginLock::Scoped hold(plug->Lock());
            param->FormatValue(param->value, false, text);
            if (text[0] && appendLabel)
                std::strncat(text, param->Label(), sizeof(text) - std::strlen(text) - 1);
        }
        if (text[0])
        {
            textStyle.align = ITextStyle::kAlignCentre;
            graphics->DrawStyledText(textStyle, text, TextArea());
        }
    }

    const double angle = PointerAngle(v, sweep);
    const float shift = SourceShift(v);
    const IBitmapRef* rotated = &pointer;
    if (pointer.frames > 1)
    {
        if (!frameCache.bitmap)
            frameCache = graphics->CropBitmap(pointer, {0, 0, Nint(pointer.width * 0.5), pointer.height});
        const double half = static_cast<double>(pointer.width) / pointer.frames * 0.5;
        const IArea still{Nint(centreX - half), area.top, Nint(centreX + half),
                          area.bottom - textOffset - textStyle.size};
        graphics->DrawBitmapFrame(pointer, still, pointer.frames, &drawBlend, false);
        rotated = &frameCache;
    }
    graphics->DrawRotatedBitmap(*rotated, centreX, centreY, angle, &drawBlend, shift, shift);
    return true;
}
