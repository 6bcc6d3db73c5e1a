#include "gui/IGraphicsHeadless.h"

#include "drawing/PIX_Blit.h"
#include "drawing/PIX_MemBitmap.h"
#include "drawing/PIX_Png.h"

namespace
{
bool classRegistered = false;
}

IGraphicsHeadless::IGraphicsHeadless(IEffectBase* plugin, int32_t w, int32_t h, int32_t rate)
    : IGraphics(plugin, w, h, rate)
{
}

IGraphicsHeadless::~IGraphicsHeadless()
{
    CloseWindow(); // while this layer's hooks still exist
}

bool IGraphicsHeadless::PresentArea(const IArea& area)
{
    ++presents;
    lastPresented = area;
    if (!frame || !BackBuffer()) return false;
    Blit(frame.get(), BackBuffer(), area.left, area.top, area.left, area.top, area.W(), area.H(), 1.0f, 0);
    return true;
}

PIX_IBitmap* IGraphicsHeadless::LoadImageResource(int32_t id, const char*)
{
    return LoadPngResource(nullptr, id, nullptr);
}

void IGraphicsHeadless::RegisterWindowClass()
{
    classRegistered = true;
}

void IGraphicsHeadless::UnregisterWindowClass()
{
    classRegistered = false;
}

bool IGraphicsHeadless::WindowClassRegistered()
{
    return classRegistered;
}

void* IGraphicsHeadless::CreateNativeWindow(void*, const IArea& where)
{
    placement = where;
    if (!frame) frame = std::make_unique<PIX_MemBitmap>(Width(), Height(), 4);
    return frame.get();
}

void IGraphicsHeadless::DestroyNativeWindow()
{
    // The frame stays readable after closing, as a screenshot would.
}

bool IGraphicsHeadless::CreatePopup(const IPopupEntry&)
{
    ++popupsShown;
    return true;
}

void IGraphicsHeadless::DestroyPopup() {}

bool IGraphicsHeadless::PointerInWindow(int32_t* x, int32_t* y)
{
    if (pointerX < 0 || pointerY < 0 || pointerX >= Width() || pointerY >= Height()) return false;
    *x = pointerX;
    *y = pointerY;
    return true;
}

bool IGraphicsHeadless::AskYesNo(const char*, const char* text)
{
    messages.emplace_back(text ? text : "");
    return answerYes;
}

void IGraphicsHeadless::ShowMessage(const char*, const char* text)
{
    messages.emplace_back(text ? text : "");
}

bool IGraphicsHeadless::OpenWebPage(const char* url, const char* caption, const char* confirmation,
                                    const char* failure)
{
    lastCaption = caption ? caption : "";
    return IGraphics::OpenWebPage(url, caption, confirmation, failure);
}

bool IGraphicsHeadless::OpenUrl(const char* url)
{
    webRequests.push_back({url, lastCaption});
    return urlOpens;
}

void IGraphicsHeadless::Tick(int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
    {
        clockMs += TimerPeriodMs(); // each tick is one timer period later
        OnTimer();
    }
}

void IGraphicsHeadless::Click(int32_t x, int32_t y, const IMouseMods& mods)
{
    if (mods.right)
        OnRightButtonDown(x, y, mods);
    else
        OnLeftButtonDown(x, y, mods);
    OnButtonUp(x, y, mods);
}

void IGraphicsHeadless::Drag(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t steps,
                             const IMouseMods& mods)
{
    IMouseMods held = mods;
    held.left = true;
    OnLeftButtonDown(x0, y0, held);
    if (steps < 1) steps = 1;
    for (int32_t i = 1; i <= steps; ++i)
        OnPointerMove(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps, held);
    OnButtonUp(x1, y1, held);
}

void IGraphicsHeadless::TypeIntoPopup(const char* text)
{
    Popup().TypeText(text);
}

uint32_t IGraphicsHeadless::FramePixel(int32_t x, int32_t y) const
{
    if (!frame || x < 0 || y < 0 || x >= frame->PixelWidth() || y >= frame->PixelHeight()) return 0;
    const uint32_t* p = frame->PixelData();
    return p ? p[static_cast<size_t>(y) * frame->RowSpanPixels() + x] : 0;
}
