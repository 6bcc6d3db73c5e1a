#include "gui/IControl.h"

#include "core/IEffectBase.h"
#include "gui/IGraphics.h"

#include <cmath>

IControl::IControl(IEffectBase* plugin, const IArea& a, int32_t index, const IBlend* b)
    : plug(plugin), area(a), hitArea(a), paramIndex(index < 0 ? -1 : index)
{
    if (b) blend = *b;
}

IGraphics* IControl::Graphics() const
{
    return plug ? dynamic_cast<IGraphics*>(plug->GetGUI()) : nullptr;
}

IParamSlot* IControl::Param() const
{
    return plug ? plug->GetParam(paramIndex) : nullptr;
}

void IControl::PressAt(int32_t, int32_t, const IMouseMods& mods)
{
    if (mods.right) RequestValueEntry();
}

void IControl::DoublePressAt(int32_t, int32_t, const IMouseMods&)
{
    if (defaultValue >= 0.0)
    {
        value = defaultValue;
        MarkChanged(true);
    }
}

void IControl::WheelAt(int32_t, int32_t, const IMouseMods& mods, int32_t notches)
{
    const IParamSlot* param = Param();
    if (!param) return;
    // Steps are single precision on purpose: they decide which values a wheel can reach.
    float step = 0.01f;
    if (param->kind != IParamSlot::kInteger && param->kind != IParamSlot::kReal &&
        param->DisplayTextCount() > 0)
        step = 0.5f / static_cast<float>(param->DisplayTextCount());
    if (mods.Fine()) step *= 0.1f;
    value += static_cast<double>(step * static_cast<float>(notches));
    MarkChanged(true);
}

void IControl::ApplyValueFromHost(double v)
{
    // A NaN or infinite value from a host would otherwise become the default that a double click
    // restores; clamp it on arrival as MarkChanged would.
    if (std::isnan(v) || v < clampLow) v = clampLow;
    if (v > clampHigh) v = clampHigh;
    if (defaultValue < 0.0)
        defaultValue = v;
    else if (v == value)
        return;
    value = v;
    MarkChanged(false);
    redrawAgain = true;
}

void IControl::ApplyValueFromEntry(double v)
{
    value = v;
    MarkChanged(true);
    redrawAgain = true;
}

void IControl::SetHidden(bool hide)
{
    hidden = hide;
    redrawAgain = true;
    MarkChanged(false);
}

void IControl::SetGreyed(bool grey)
{
    greyed = grey;
    blend.weight = grey ? 0.25f : 1.0f;
    MarkChanged(false);
}

bool IControl::HitTest(int32_t x, int32_t y)
{
    return hitArea.Contains(x, y);
}

void IControl::MarkChanged(bool pushToPlugin)
{
    double v = value;
    if (v < clampLow || std::isnan(v)) v = clampLow;
    if (v > clampHigh) v = clampHigh;
    value = v;
    changed = true;
    if (pushToPlugin && paramIndex >= 0 && plug) plug->SetParamFromGui(paramIndex, v);
}

void IControl::MarkDrawn()
{
    changed = redrawAgain.Get();
    redrawAgain = false;
}

bool IControl::NeedsRedraw()
{
    return changed;
}

void IControl::RequestValueEntry()
{
    if (paramIndex < 0) return;
    if (IGraphics* g = Graphics()) g->OpenParamEntry(this, Param(), true);
    redrawAgain = true;
}

void IControl::EndValueEntry()
{
    MarkChanged(false);
    redrawAgain = true;
}
