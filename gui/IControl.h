#pragma once
// Every element of the editor: a rectangle with an optional binding to one plug-in parameter, a
// normalised value, drawing flags and the event handlers the graphics core calls.
//
// Threads: the window thread calls everything, except that ApplyValueFromHost (and the MarkChanged
// it makes) also runs on host threads with the plug-in lock held. The fields those calls write are
// relaxed atomics; no other field is shared.
#include "gui/IGuiTypes.h"
#include "gui/IRelaxed.h"

#include <cstdint>

class IEffectBase;
class IGraphics;
class IParamSlot;

class IControl
{
public:
    IControl(IEffectBase* plug, const IArea& area, int32_t paramIndex = -1, const IBlend* blend = nullptr);
    IControl(const IControl&) = delete;
    IControl& operator=(const IControl&) = delete;

    // ---- Virtual operations, in slot order ----
    virtual ~IControl() = default;
    virtual void PressAt(int32_t x, int32_t y, const IMouseMods& mods);
    virtual void ReleaseAt(int32_t, int32_t, const IMouseMods&) {}
    virtual void DropFileAt(int32_t, int32_t, const char*) {}
    virtual void DragBy(int32_t, int32_t, int32_t, int32_t, const IMouseMods&) {}
    virtual void DoublePressAt(int32_t x, int32_t y, const IMouseMods& mods);
    virtual void WheelAt(int32_t x, int32_t y, const IMouseMods& mods, int32_t notches);
    virtual void KeyAt(int32_t, int32_t, int32_t) {}
    virtual void HoverAt(int32_t, int32_t, const IMouseMods&) {}
    virtual void HoverEnd() {}
    virtual bool Render(IGraphics* graphics) = 0;
    virtual void ApplyValueFromHost(double normalized);
    virtual void ApplyValueFromEntry(double normalized);
    virtual void SetHidden(bool hide);
    virtual void SetGreyed(bool grey);
    virtual bool HitTest(int32_t x, int32_t y);
    virtual void MarkChanged(bool pushToPlugin);
    virtual void MarkDrawn();
    virtual bool NeedsRedraw();

    // ---- Value entry ----
    // Asks the editor for a pop-up to type the bound parameter's value.
    void RequestValueEntry();
    // The editor closed this control's pop-up (committed or not): draw it again. Nothing reaches the
    // plug-in or the host: a commit sent its value in its own gesture, a cancel sends nothing.
    void EndValueEntry();

    // ---- Access ----
    IEffectBase* Plug() const { return plug; }
    // The editor, reached through the plug-in base; null while none is attached.
    IGraphics* Graphics() const;
    // The bound parameter, or null when unbound or bound beyond the parameter list.
    IParamSlot* Param() const;
    int32_t ParamIndex() const { return paramIndex; }
    bool IsBound() const { return paramIndex >= 0; }
    const IArea& Area() const { return area; }
    const IArea& HitArea() const { return hitArea; }
    void SetHitArea(const IArea& a) { hitArea = a; }
    double Value() const { return value; }
    void SetValue(double v) { value = v; } // no flags; MarkChanged clamps and flags
    double DefaultValue() const { return defaultValue; }
    void SetClamp(double low, double high)
    {
        clampLow = low;
        clampHigh = high;
    }
    bool IsHidden() const { return hidden; }
    bool IsGreyed() const { return greyed; }
    bool IsChanged() const { return changed; }
    bool RedrawAgain() const { return redrawAgain; }
    void SetDoubleClickAsPress(bool on) { doubleClickAsPress = on; }
    bool DoubleClickAsPress() const { return doubleClickAsPress; }
    const IBlend& Blend() const { return blend; }
    const char* Tooltip() const { return tooltip; }
    void SetTooltip(const char* text) { tooltip = text; }

protected:
    IEffectBase* plug;
    IArea area;
    IArea hitArea;
    int32_t paramIndex;
    IRelaxed<double> value{0.0};
    IRelaxed<double> defaultValue{-1.0}; // -1: nothing received from the plug-in yet
    double clampLow = 0.0, clampHigh = 1.0;
    IRelaxed<bool> changed{true};
    bool hidden = false, greyed = false;
    IRelaxed<bool> redrawAgain{false};
    bool doubleClickAsPress = false;
    IBlend blend;
    const char* tooltip = nullptr; // carried, not shown
};
