// The window logic every platform shares: opening and closing with the process-wide window count,
// the timer step, the pop-up entry and its commit, the deferred gesture end, host wheel turns and
// web pages. Window layers reach it through the platform hooks and the On... calls.
#include "core/IEffectBase.h"
#include "gui/IEditableTextControl.h"
#include "gui/IGraphics.h"

#include <chrono>

namespace
{
// Touched only from the host's GUI thread, which runs every editor window of the process.
int32_t openWindows = 0;
int32_t timerFrameRate = IGraphics::kDefaultFrameRate;
} // namespace

int32_t IGraphics::OpenWindowCount()
{
    return openWindows;
}

int32_t IGraphics::TimerFrameRate()
{
    return timerFrameRate;
}

int32_t IGraphics::TimerPeriodMs()
{
    return 1000 / timerFrameRate;
}

bool IGraphics::IsWindowOpen()
{
    return NativeWindow() != nullptr;
}

void* IGraphics::OpenWindow(void* parent)
{
    parentWindow = parent;
    IArea placement{0, 0, width, height};
    if (IsWindowOpen())
    {
        placement = WindowPlacement();
        CloseWindow();
    }
    if (openWindows++ == 0) RegisterWindowClass();
    timerFrameRate = frameRate;
    window = CreateNativeWindow(parent, placement);
    if (!window)
    {
        if (--openWindows == 0) UnregisterWindowClass();
        return nullptr;
    }
    MarkAllChanged();
    return window;
}

void IGraphics::CloseWindow()
{
    if (!IsWindowOpen()) return;
    StopWindowDriver(); // nothing of the window may go while another thread still runs it
    // The host hears the end of every gesture still open: a press whose release will never come,
    // and a wheel gesture waiting for its end.
    EndOpenPress();
    if (DeferredEditPending() && plug) plug->FlushEndParamEdit();
    editEndDueMs = 0;
    // The pop-up goes with the window, uncommitted.
    if (popup.IsOpen()) DestroyPopup();
    popup.Reset();
    DestroyNativeWindow();
    window = nullptr;
    mouseCaptured = false;
    if (--openWindows == 0) UnregisterWindowClass();
}

void* IGraphics::CreateNativeWindow(void*, const IArea&)
{
    return nullptr;
}

IArea IGraphics::WindowPlacement()
{
    return {0, 0, width, height};
}

void IGraphics::InvalidateAndPaint(const IArea& area)
{
    OnPaint(area);
}

bool IGraphics::PointerInWindow(int32_t*, int32_t*)
{
    return false;
}

std::string IGraphics::ReadPopupText()
{
    return popup.CommitText();
}

bool IGraphics::HostFolder(char* out, int32_t size)
{
    if (out && size > 0) out[0] = '\0';
    return false;
}

bool IGraphics::PluginFolder(char* out, int32_t size)
{
    return HostFolder(out, size);
}

bool IGraphics::PromptForFile(char* out, int32_t size, bool, const char*)
{
    return HostFolder(out, size);
}

bool IGraphics::PromptForColour(IRgba*)
{
    return false;
}

bool IGraphics::OpenWebPage(const char* url, const char* caption, const char* confirmation,
                            const char* failure)
{
    if (!url || !*url) return false;
    if (confirmation && *confirmation && !AskYesNo(caption, confirmation)) return false;
    if (OpenUrl(url)) return true;
    if (failure && *failure) ShowMessage(caption, failure);
    return false;
}

bool IGraphics::ForwardHostWheel(float delta)
{
    int32_t x = 0, y = 0;
    if (!IsWindowOpen() || !PointerInWindow(&x, &y)) return false;
    MouseWheel(x, y, KeyboardModifiers(), IInputMap::HostWheelNotches(delta));
    return true;
}

int64_t IGraphics::NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void IGraphics::StartDeferredEditEnd(int32_t ticks)
{
    // Due by the clock, not by counted ticks: a host idling the editor slower than the frame rate
    // would otherwise stretch the half second.
    const int64_t due = NowMs() + static_cast<int64_t>(ticks > 0 ? ticks : 0) * (1000 / frameRate);
    editEndDueMs = due != 0 ? due : 1;
}

void IGraphics::CancelDeferredEditEnd()
{
    editEndDueMs = 0;
}

// ---- Pop-up entry ----

void IGraphics::OpenParamEntry(IControl* control, IParamSlot* param, bool centred)
{
    if (!control || !param || popup.IsOpen() || !IsWindowOpen()) return;
    IPopupEntry entry = IPopupEntry::ForParam(control, param, centred);
    if (!entry.IsOpen()) return;
    popup = entry;
    if (!CreatePopup(popup)) popup.Reset();
}

void IGraphics::OpenTextFieldEditor(IEditableTextControl* field)
{
    if (!field || popup.IsOpen() || !IsWindowOpen()) return;
    popup = IPopupEntry::ForTextField(field);
    if (!CreatePopup(popup)) popup.Reset();
}

void IGraphics::CommitPopup()
{
    const std::string text = ReadPopupText();
    if (popup.param && popup.control)
    {
        IControl* c = popup.control;
        const double real = IPopupEntry::ValueFromText(*popup.param, text.c_str());
        const int32_t p = plug && plug->GetParam(c->ParamIndex()) ? c->ParamIndex() : -1;
        // One gesture: begin, the value, end. A press gesture already open on the parameter (a
        // click on the same control committed the entry) takes the value as one more edit.
        const bool ownGesture = p >= 0 && p != gestureParam;
        if (ownGesture) plug->BeginParamEdit(p);
        c->ApplyValueFromEntry(popup.param->ToNormalized(real));
        if (ownGesture) plug->EndParamEdit(p);
    }
    else if (popup.textControl && popup.textControl->IsEditable())
        popup.textControl->SetTextFromEntry(text.c_str());
}

void IGraphics::ClosePopup()
{
    IControl* c = popup.control;
    if (c) c->EndValueEntry(); // a redraw only: a cancelled entry sends nothing
    DestroyPopup();
    popup.Reset();
}

// ---- Window messages ----

void IGraphics::OnLeftButtonDown(int32_t x, int32_t y, const IMouseMods& mods)
{
    if (popup.IsOpen()) popup.PressedOutside(false);
    CaptureMouse(true);
    mouseCaptured = true;
    MouseDown(x, y, mods);
}

void IGraphics::OnRightButtonDown(int32_t x, int32_t y, const IMouseMods& mods)
{
    // With a pop-up open a right click only cancels it; the field it edits keeps its text.
    if (popup.IsOpen())
    {
        popup.PressedOutside(true);
        return;
    }
    OnLeftButtonDown(x, y, mods);
}

void IGraphics::OnButtonUp(int32_t x, int32_t y, const IMouseMods& mods)
{
    mouseCaptured = false; // before the release: losing the capture now is no loss
    CaptureMouse(false);
    MouseUp(x, y, mods);
}

void IGraphics::OnCaptureLost()
{
    if (!mouseCaptured) return;
    mouseCaptured = false;
    EndOpenPress();
}

void IGraphics::OnDoubleClick(int32_t x, int32_t y, const IMouseMods& mods)
{
    if (MouseDoubleClick(x, y, mods))
    {
        CaptureMouse(true);
        mouseCaptured = true;
    }
}

void IGraphics::OnPointerMove(int32_t x, int32_t y, const IMouseMods& mods)
{
    if ((mods.left || mods.right) && mouseCaptured) MouseDrag(x, y, mods);
}

void IGraphics::OnWheel(int32_t x, int32_t y, const IMouseMods& mods, int32_t rawDelta)
{
    MouseWheel(x, y, mods, IInputMap::WheelNotches(rawDelta));
}

void IGraphics::OnKeyDown(int32_t x, int32_t y, IInputMap::NamedKey named, int32_t keyValue)
{
    const int32_t code = IInputMap::KeyCodeFor(named, keyValue);
    if (code >= 0) KeyDown(x, y, code);
}

void IGraphics::OnPaint(const IArea& update)
{
    if (!update.IsEmpty()) DrawDirty(update);
}

void IGraphics::OnTimer()
{
    if (popup.IsOpen())
    {
        switch (popup.state)
        {
        case IPopupEntry::kCommitRequested:
            CommitPopup();
            ClosePopup();
            break;
        case IPopupEntry::kCancelRequested:
            ClosePopup();
            break;
        case IPopupEntry::kFocused:
            popup.state = IPopupEntry::kIdle;
            break;
        default:
            break;
        }
    }
    IArea dirty;
    if (CollectDirty(&dirty)) InvalidateAndPaint(dirty);
    const int64_t due = editEndDueMs;
    if (due != 0 && NowMs() >= due && plug) plug->FlushEndParamEdit();
}
