// The window logic every platform shares: opening and closing with the process-wide window count,
// the timer step, the pop-up entry and its commit, the deferred gesture end, host wheel turns and
// web pages. Window layers reach it through the platform hooks and the On... calls.
#include "core/IEffectBase.h"
#include "gui/IEditableTextControl.h"
#include "gui/IGraphics.h"

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
    if (countdown != 0 && plug) plug->FlushEndParamEdit();
    countdown = 0;
    // The pop-up goes with the window, uncommitted.
    if (popup.IsOpen()) DestroyPopup();
    popup.Reset();
    DestroyNativeWindow();
    window = nullptr;
    mouseCaptured = false;
    captured = -1;
    lastDragX = lastDragY = -1;
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

void IGraphics::StartDeferredEditEnd(int32_t ticks)
{
    countdown = ticks > 0 ? ticks : 0;
}

void IGraphics::CancelDeferredEditEnd()
{
    countdown = 0;
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
        const bool exists = plug && plug->GetParam(c->ParamIndex());
        if (exists) plug->BeginParamEdit(c->ParamIndex());
        c->ApplyValueFromEntry(popup.param->ToNormalized(real));
        if (exists) plug->EndParamEdit(c->ParamIndex());
    }
    else if (popup.textControl && popup.textControl->IsEditable())
        popup.textControl->SetTextFromEntry(text.c_str());
}

void IGraphics::ClosePopup()
{
    IControl* c = popup.control;
    if (c) c->EndValueEntry();
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
    CaptureMouse(false);
    mouseCaptured = false;
    MouseUp(x, y, mods);
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
    if (countdown != 0 && --countdown == 0 && plug) plug->FlushEndParamEdit();
}
