// Control list, values, redraw cycle and input dispatch.
#include "gui/IGraphics.h"

#include "core/IEffectBase.h"
#include "drawing/PIX_IBitmap.h"
#include "gui/IBitmapControl.h"
#include "gui/IGraphicsCaches.h"

#include <utility>

IGraphics::IGraphics(IEffectBase* plugin, int32_t w, int32_t h, int32_t rate)
    : plug(plugin), width(w > 0 ? w : 0), height(h > 0 ? h : 0),
      frameRate(rate > 0 ? rate : kDefaultFrameRate)
{
    IGraphicsCaches::EditorCreated();
}

IGraphics::~IGraphics()
{
    CloseWindow();
    while (!controls.empty())
        controls.pop_back();
    backBuffer.reset();
    IGraphicsCaches::EditorDestroyed();
}

// ---- Set-up ----

IBitmapRef IGraphics::LoadBitmap(int32_t id, const char* name, int32_t frames)
{
    IBitmapRef ref;
    ref.frames = frames >= 1 ? frames : 1;
    PIX_IBitmap* bitmap = IGraphicsCaches::FindBitmap(id);
    if (!bitmap) bitmap = IGraphicsCaches::AddBitmap(id, LoadImageResource(id, name));
    if (!bitmap) return ref; // a missing image draws nothing
    ref.bitmap = bitmap;
    ref.width = bitmap->PixelWidth();
    ref.height = bitmap->PixelHeight();
    return ref;
}

void IGraphics::AddBackground(int32_t id, const char* name)
{
    const IBitmapRef bitmap = LoadBitmap(id, name, 1);
    const IBlend copy{IBlend::kCopy, 1.0f};
    auto background = std::make_unique<IBitmapControl>(plug, IArea{0, 0, bitmap.width, bitmap.height}, -1,
                                                       bitmap, &copy, true);
    controls.insert(controls.begin(), std::move(background));
    // Indices moved up by one: a captured control is still the same one.
    if (captured >= 0) ++captured;
}

int32_t IGraphics::AddControl(IControl* control)
{
    if (!control) return -1;
    controls.emplace_back(control);
    return ControlCount() - 1;
}

IControl* IGraphics::GetControl(int32_t index) const
{
    return index >= 0 && index < ControlCount() ? controls[index].get() : nullptr;
}

// ---- Values ----

void IGraphics::SetParamFromPlugin(int32_t index, double value, bool normalized)
{
    if (!normalized)
    {
        const IParamSlot* param = plug ? plug->GetParam(index) : nullptr;
        if (!param) return;
        value = param->ToNormalized(value);
    }
    // While the user drags a control, the host's echo of its own edits must not move it back.
    if (index == gestureParam.load(std::memory_order_relaxed)) return;
    for (auto& c : controls)
        if (c->ParamIndex() == index) c->ApplyValueFromHost(value);
}

void IGraphics::PushParamFromEditor(int32_t index, double normalized)
{
    for (auto& c : controls)
        if (c->ParamIndex() == index) c->ApplyValueFromEntry(normalized);
}

void IGraphics::MarkAllChanged()
{
    for (auto& c : controls)
        c->MarkChanged(false);
}

// ---- Redraw ----

bool IGraphics::CollectDirty(IArea* dirty)
{
    IArea area;
    bool any = false;
    for (auto& c : controls)
        if (c->NeedsRedraw())
        {
            area = area.Union(c->Area());
            any = true;
        }
    if (dirty) *dirty = area;
    return any;
}

void IGraphics::DrawDirty(const IArea& update)
{
    drawArea = update;
    for (auto& c : controls)
    {
        const IArea& a = c->Area();
        if (!c->IsHidden() && !update.IsEmpty() && !a.IsEmpty() && a.Overlaps(update)) c->Render(this);
        c->MarkDrawn();
    }
    PresentArea(update);
}

// ---- Input dispatch ----

namespace
{
// Gestures go to the host only for parameters that exist.
int32_t GestureIndex(const IEffectBase* plug, const IControl& c)
{
    return plug && plug->GetParam(c.ParamIndex()) ? c.ParamIndex() : -1;
}
} // namespace

int32_t IGraphics::ControlAt(int32_t x, int32_t y)
{
    if (captured >= 0 && captured < ControlCount()) return captured;
    for (int32_t i = ControlCount() - 1; i >= 0; --i)
    {
        IControl* c = controls[i].get();
        if (!c->IsHidden() && !c->IsGreyed() && c->HitTest(x, y)) return i;
    }
    return -1;
}

void IGraphics::MouseDown(int32_t x, int32_t y, const IMouseMods& mods)
{
    EndOpenPress(); // its release never came
    captured = -1;
    lastDragX = lastDragY = -1;
    const int32_t i = ControlAt(x, y);
    if (i < 0) return;
    captured = i;
    lastDragX = x;
    lastDragY = y;
    pressed = i;
    pressX = x;
    pressY = y;
    IControl* c = controls[i].get();
    if (const int32_t p = GestureIndex(plug, *c); p >= 0)
    {
        plug->BeginParamEdit(p);
        gestureParam = p;
    }
    c->PressAt(x, y, mods);
}

void IGraphics::MouseDrag(int32_t x, int32_t y, const IMouseMods& mods)
{
    if (captured < 0 || captured >= ControlCount() || (x == lastDragX && y == lastDragY)) return;
    const int32_t dx = x - lastDragX, dy = y - lastDragY;
    lastDragX = pressX = x;
    lastDragY = pressY = y;
    controls[captured]->DragBy(x, y, dx, dy, mods);
}

void IGraphics::MouseUp(int32_t x, int32_t y, const IMouseMods& mods)
{
    captured = -1;
    lastDragX = lastDragY = -1;
    // A release goes to the control that took the press, wherever it happens; a release with no
    // press delivered (a right click that only cancelled a pop-up) reaches nothing.
    ReleasePress(x, y, mods);
}

void IGraphics::ReleasePress(int32_t x, int32_t y, const IMouseMods& mods)
{
    const int32_t i = std::exchange(pressed, -1);
    const int32_t p = gestureParam.exchange(-1);
    if (i >= 0 && i < ControlCount()) controls[i]->ReleaseAt(x, y, mods);
    if (p >= 0) plug->EndParamEdit(p);
}

void IGraphics::EndOpenPress()
{
    captured = -1;
    lastDragX = lastDragY = -1;
    if (pressed >= 0 || gestureParam >= 0) ReleasePress(pressX, pressY, IMouseMods{});
}

bool IGraphics::MouseDoubleClick(int32_t x, int32_t y, const IMouseMods& mods)
{
    EndOpenPress();
    const int32_t i = ControlAt(x, y);
    if (i < 0) return false;
    pressed = i;
    pressX = x;
    pressY = y;
    IControl* c = controls[i].get();
    if (const int32_t p = GestureIndex(plug, *c); p >= 0)
    {
        plug->BeginParamEdit(p);
        gestureParam = p;
    }
    if (!c->DoubleClickAsPress())
    {
        // No capture: the button-up that follows ends the gesture, wherever it happens.
        c->DoublePressAt(x, y, mods);
        return false;
    }
    captured = i;
    lastDragX = x;
    lastDragY = y;
    c->PressAt(x, y, mods);
    return true;
}

void IGraphics::MouseWheel(int32_t x, int32_t y, const IMouseMods& mods, int32_t notches)
{
    const int32_t i = ControlAt(x, y);
    if (i < 0) return;
    IControl* c = controls[i].get();
    const int32_t p = GestureIndex(plug, *c);
    // Inside a press gesture on the same parameter the step is one more edit of that gesture.
    const bool ownGesture = p >= 0 && p != gestureParam;
    if (ownGesture) plug->BeginParamEditIfIdle(p);
    c->WheelAt(x, y, mods, notches);
    if (ownGesture) plug->DeferEndParamEdit(p);
}

void IGraphics::KeyDown(int32_t x, int32_t y, int32_t keyCode)
{
    const int32_t i = ControlAt(x, y);
    if (i >= 0) controls[i]->KeyAt(x, y, keyCode);
}
