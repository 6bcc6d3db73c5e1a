#include "gui/platform/x11/IGraphicsX11.h"

#include "core/IEffectBase.h"
#include "drawing/PIX_Png.h"
#include "gui/platform/x11/X11PopUpView.h"
#include "gui/platform/x11/X11WebPage.h"

#include <X11/keysym.h>

namespace
{
IMouseMods ModsOf(const X11Mods& m)
{
    return IInputMap::MouseMessageMods(m.left, m.right, m.shift, m.control, m.alt);
}

// The core's key table takes named keys and the values ' ', '0'..'9', 'A'..'Z', 'a'..'z', which the
// X keysyms of those keys equal.
void KeyOf(unsigned long sym, IInputMap::NamedKey& named, int32_t& value)
{
    named = IInputMap::NamedKey::kNone;
    value = -1;
    switch (sym)
    {
    case XK_space:
        named = IInputMap::NamedKey::kSpace;
        return;
    case XK_Up:
    case XK_KP_Up:
        named = IInputMap::NamedKey::kUp;
        return;
    case XK_Down:
    case XK_KP_Down:
        named = IInputMap::NamedKey::kDown;
        return;
    case XK_Left:
    case XK_KP_Left:
        named = IInputMap::NamedKey::kLeft;
        return;
    case XK_Right:
    case XK_KP_Right:
        named = IInputMap::NamedKey::kRight;
        return;
    default:
        break;
    }
    if (sym >= XK_KP_0 && sym <= XK_KP_9) sym = XK_0 + (sym - XK_KP_0);
    if ((sym >= XK_0 && sym <= XK_9) || (sym >= XK_A && sym <= XK_Z) || (sym >= XK_a && sym <= XK_z))
        value = static_cast<int32_t>(sym);
}
} // namespace

IGraphicsX11::IGraphicsX11(IEffectBase* plugin, int32_t w, int32_t h, int32_t rate)
    : IGraphics(plugin, w, h, rate), window(*this)
{
}

IGraphicsX11::~IGraphicsX11()
{
    CloseWindow(); // while this layer's hooks still exist
}

bool IGraphicsX11::PresentArea(const IArea& area)
{
    PIX_SysBitmap* b = BackBuffer();
    if (!b || !b->PixelData()) return false;
    return window.Present(b->PixelData(), b->RowSpanPixels(), b->PixelWidth(), b->PixelHeight(), area.left,
                          area.top, area.W(), area.H());
}

PIX_IBitmap* IGraphicsX11::LoadImageResource(int32_t id, const char*)
{
    return LoadPngResource(nullptr, id, nullptr); // the artwork is compiled into the module
}

void* IGraphicsX11::CreateNativeWindow(void* parent, const IArea& placement)
{
    return window.Open(parent, placement.left, placement.top, placement.W(), placement.H(), TimerPeriodMs());
}

bool IGraphicsX11::ForwardHostWheel(float delta)
{
    // The host's thread, while our own thread may be running the window.
    auto exclusive = window.Exclusive();
    return IGraphics::ForwardHostWheel(delta);
}

void IGraphicsX11::DestroyNativeWindow()
{
    popupView.reset();
    window.Close();
}

IArea IGraphicsX11::WindowPlacement()
{
    int x, y, w, h;
    if (window.Window() && window.Window()->Geometry(x, y, w, h)) return {x, y, x + w, y + h};
    return {0, 0, Width(), Height()};
}

void IGraphicsX11::CaptureMouse(bool capture)
{
    if (X11Window* w = window.Window()) capture ? w->Capture() : w->Release();
}

bool IGraphicsX11::CreatePopup(const IPopupEntry& entry)
{
    if (!window.Window() || !window.Connection()) return false;
    popupView = std::make_unique<X11PopUpView>(*this, *window.Connection(), *window.Window(), entry);
    if (!popupView->IsOpen())
    {
        popupView.reset();
        return false;
    }
    return true;
}

void IGraphicsX11::DestroyPopup()
{
    const bool hadPopup = popupView != nullptr;
    popupView.reset();
    if (hadPopup && window.Window()) window.Window()->TakeFocus(); // the keys come back to the editor
}

std::string IGraphicsX11::ReadPopupText()
{
    if (!popupView || Popup().kind != IPopupEntry::kEditBox) return IGraphics::ReadPopupText();
    std::string t = popupView->Text();
    if (static_cast<int32_t>(t.size()) > IPopupEntry::kMaxText) t.resize(IPopupEntry::kMaxText);
    return t;
}

bool IGraphicsX11::PointerInWindow(int32_t* x, int32_t* y)
{
    int px, py;
    if (!window.Window() || !window.Window()->PointerOver(px, py)) return false;
    *x = px;
    *y = py;
    return true;
}

IMouseMods IGraphicsX11::KeyboardModifiers()
{
    X11Mods m;
    if (window.Window()) m = window.Window()->KeyboardState();
    return IInputMap::KeyboardMods(m.shift, m.control, m.alt);
}

bool IGraphicsX11::OpenUrl(const char* url)
{
    return OpenWebPageWithXdg(url);
}

void IGraphicsX11::WindowExposed(int left, int top, int right, int bottom)
{
    PresentArea({left, top, right, bottom}); // the back buffer holds the last frame drawn
}

void IGraphicsX11::WindowMouseDown(int x, int y, X11Mods mods)
{
    // With a pop-up open the keys stay with it: its losing the focus would undo the commit or
    // cancel this press asks for. It hands them back when it closes.
    if (!Popup().IsOpen() && window.Window()) window.Window()->TakeFocus();
    if (mods.left)
        OnLeftButtonDown(x, y, ModsOf(mods));
    else
        OnRightButtonDown(x, y, ModsOf(mods));
}

void IGraphicsX11::WindowMouseUp(int x, int y, X11Mods mods)
{
    OnButtonUp(x, y, ModsOf(mods));
}

void IGraphicsX11::WindowDoubleClick(int x, int y, X11Mods mods)
{
    OnDoubleClick(x, y, ModsOf(mods));
}

void IGraphicsX11::WindowDrag(int x, int y, X11Mods mods)
{
    OnPointerMove(x, y, ModsOf(mods));
}

void IGraphicsX11::WindowWheel(int x, int y, X11Mods mods, int notches)
{
    OnWheel(x, y, ModsOf(mods), notches * 120); // one notch as the core counts wheel units
}

void IGraphicsX11::WindowKey(int x, int y, unsigned long sym, const char*)
{
    IInputMap::NamedKey named;
    int32_t value;
    KeyOf(sym, named, value);
    OnKeyDown(x, y, named, value);
}
