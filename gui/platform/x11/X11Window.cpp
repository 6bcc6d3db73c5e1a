#include "gui/platform/x11/X11Window.h"

#include "gui/platform/x11/X11Connection.h"
#include "gui/platform/x11/X11ErrorTrap.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>

namespace
{
// Crossing events tell a broken grab (mode NotifyUngrab) from an ordinary one.
constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | ButtonMotionMask |
                            KeyPressMask | FocusChangeMask | StructureNotifyMask | EnterWindowMask |
                            LeaveWindowMask;
constexpr unsigned kGrabMask =
    ButtonPressMask | ButtonReleaseMask | ButtonMotionMask | EnterWindowMask | LeaveWindowMask;

X11Mods ModsOf(unsigned state)
{
    X11Mods m;
    m.left = (state & Button1Mask) != 0;
    m.right = (state & Button3Mask) != 0;
    m.shift = (state & ShiftMask) != 0;
    m.control = (state & ControlMask) != 0;
    m.alt = (state & Mod1Mask) != 0;
    return m;
}

// The character a key types, from its keysym: Latin-1 keysyms are their own code points, Unicode
// keysyms carry theirs in the low 24 bits.
unsigned long CodePoint(KeySym sym)
{
    if ((sym >= 0x20 && sym <= 0x7e) || (sym >= 0xa0 && sym <= 0xff)) return sym;
    if ((sym & 0xff000000UL) == 0x01000000UL) return sym & 0x00ffffffUL;
    return 0;
}

void AppendUtf8(unsigned long cp, char* out)
{
    if (cp < 0x80)
    {
        out[0] = static_cast<char>(cp);
        out[1] = 0;
    }
    else if (cp < 0x800)
    {
        out[0] = static_cast<char>(0xc0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3f));
        out[2] = 0;
    }
    else if (cp < 0x10000)
    {
        out[0] = static_cast<char>(0xe0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
        out[2] = static_cast<char>(0x80 | (cp & 0x3f));
        out[3] = 0;
    }
    else if (cp < 0x110000)
    {
        out[0] = static_cast<char>(0xf0 | (cp >> 18));
        out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3f));
        out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
        out[3] = static_cast<char>(0x80 | (cp & 0x3f));
        out[4] = 0;
    }
    else
        out[0] = 0;
}
} // namespace

X11Window::X11Window(X11Connection& c, X11WindowEvents& e) : connection(c), events(e) {}

X11Window::~X11Window()
{
    Destroy();
}

bool X11Window::Create(unsigned long parent, int x, int y, int width, int height)
{
    Destroy();
    Display* d = connection.Get();
    if (!connection.Ok() || parent == 0 || width <= 0 || height <= 0) return false;
    X11ErrorTrap trap(d);
    XWindowAttributes parentAttributes;
    if (!XGetWindowAttributes(d, parent, &parentAttributes) || trap.Failed()) return false;

    // Always the screen's default visual: a host parent of another depth (an ARGB window) must not
    // decide the format our pixels are put in.
    const int screen = XScreenNumberOfScreen(parentAttributes.screen);
    XSetWindowAttributes a{};
    a.background_pixmap = None; // the back buffer paints everything: no flash of background
    a.border_pixel = 0;
    a.colormap = DefaultColormap(d, screen);
    a.event_mask = kEventMask;
    a.bit_gravity = NorthWestGravity;
    const Window w = XCreateWindow(d, parent, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                   DefaultDepth(d, screen), InputOutput, DefaultVisual(d, screen),
                                   CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask | CWBitGravity, &a);
    // A fixed size, said where embedding toolkits look (GTK sockets size the host's frame from it).
    XSizeHints hints{};
    hints.flags = PMinSize | PMaxSize | PBaseSize;
    hints.min_width = hints.max_width = hints.base_width = width;
    hints.min_height = hints.max_height = hints.base_height = height;
    if (w) XSetWMNormalHints(d, w, &hints);
    XMapWindow(d, w);
    if (trap.Failed())
    {
        if (w) XDestroyWindow(d, w);
        XSync(d, False);
        return false;
    }
    window = w;
    connection.Add(this);
    return true;
}

void X11Window::Destroy()
{
    if (!window) return;
    connection.Remove(this);
    Display* d = connection.Get();
    if (connection.Ok())
    {
        // Already gone when the host destroyed the parent first: the trap swallows BadWindow.
        X11ErrorTrap trap(d);
        if (captured) XUngrabPointer(d, CurrentTime);
        XDestroyWindow(d, window);
        trap.Failed();
    }
    window = 0;
    captured = false;
    exposePending = false;
}

bool X11Window::Present(const uint32_t* pixels, int stride, int width, int height, int x, int y, int w, int h)
{
    if (!window || !pixels || !connection.Ok()) return false;
    x = std::max(x, 0);
    y = std::max(y, 0);
    w = std::min(w, width - x);
    h = std::min(h, height - y);
    if (w <= 0 || h <= 0) return true;

    Display* d = connection.Get();
    const int screen = DefaultScreen(d);
    Visual* v = DefaultVisual(d, screen);
    const int depth = DefaultDepth(d, screen);
    // Our pixels are 0xAARRGGBB words: they go out as they are to a 24/32-bit true-colour visual.
    if ((depth != 24 && depth != 32) || v->red_mask != 0xff0000 || v->green_mask != 0xff00 ||
        v->blue_mask != 0xff)
        return false;
    X11ErrorTrap trap(d);
    XImage* image = XCreateImage(d, v, static_cast<unsigned>(depth), ZPixmap, 0,
                                 reinterpret_cast<char*>(const_cast<uint32_t*>(pixels)),
                                 static_cast<unsigned>(width), static_cast<unsigned>(height), 32, stride * 4);
    if (!image) return false;
    image->byte_order = LSBFirst;
    XPutImage(d, window, DefaultGC(d, screen), image, x, y, x, y, static_cast<unsigned>(w),
              static_cast<unsigned>(h));
    image->data = nullptr; // the buffer is not ours to free
    XDestroyImage(image);
    XFlush(d);
    return !X11ErrorTrap::Lost(d);
}

void X11Window::TakeFocus()
{
    if (!window || !connection.Ok()) return;
    X11ErrorTrap trap(connection.Get());
    XSetInputFocus(connection.Get(), window, RevertToParent, CurrentTime);
    XFlush(connection.Get());
}

void X11Window::Capture()
{
    if (!window || !connection.Ok() || captured) return;
    X11ErrorTrap trap(connection.Get());
    captured = XGrabPointer(connection.Get(), window, False, kGrabMask, GrabModeAsync, GrabModeAsync, None,
                            None, CurrentTime) == GrabSuccess;
}

void X11Window::Release()
{
    if (!captured) return;
    captured = false;
    if (!connection.Ok()) return;
    X11ErrorTrap trap(connection.Get());
    XUngrabPointer(connection.Get(), CurrentTime);
    XFlush(connection.Get());
}

void X11Window::LoseCapture()
{
    if (!captured) return;
    captured = false;
    pressedLeft = false;
    events.WindowCaptureLost();
}

bool X11Window::PointerOver(int& x, int& y) const
{
    if (!window || !connection.Ok()) return false;
    Display* d = connection.Get();
    X11ErrorTrap trap(d);
    Window root, child;
    int rootX, rootY, wx, wy;
    unsigned mask;
    if (!XQueryPointer(d, window, &root, &child, &rootX, &rootY, &wx, &wy, &mask)) return false;
    int gx, gy, gw, gh;
    if (!Geometry(gx, gy, gw, gh) || wx < 0 || wy < 0 || wx >= gw || wy >= gh) return false;
    x = wx;
    y = wy;
    return true;
}

X11Mods X11Window::KeyboardState() const
{
    X11Mods m;
    if (!window || !connection.Ok()) return m;
    X11ErrorTrap trap(connection.Get());
    Window root, child;
    int rootX, rootY, wx, wy;
    unsigned mask = 0;
    if (XQueryPointer(connection.Get(), window, &root, &child, &rootX, &rootY, &wx, &wy, &mask))
    {
        m = ModsOf(mask);
        m.left = m.right = false;
    }
    return m;
}

bool X11Window::Geometry(int& x, int& y, int& width, int& height) const
{
    if (!window || !connection.Ok()) return false;
    Display* d = connection.Get();
    X11ErrorTrap trap(d);
    Window root;
    unsigned w, h, border, depth;
    if (!XGetGeometry(d, window, &root, &x, &y, &w, &h, &border, &depth)) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

void X11Window::Raise()
{
    if (!window || !connection.Ok()) return;
    X11ErrorTrap trap(connection.Get());
    XRaiseWindow(connection.Get(), window);
}

void X11Window::Handle(XEvent& e)
{
    switch (e.type)
    {
    case Expose:
    {
        const int l = e.xexpose.x, t = e.xexpose.y, r = l + e.xexpose.width, b = t + e.xexpose.height;
        if (!exposePending)
        {
            exposeLeft = l, exposeTop = t, exposeRight = r, exposeBottom = b;
            exposePending = true;
        }
        else
        {
            exposeLeft = std::min(exposeLeft, l), exposeTop = std::min(exposeTop, t);
            exposeRight = std::max(exposeRight, r), exposeBottom = std::max(exposeBottom, b);
        }
        if (e.xexpose.count == 0)
        {
            exposePending = false;
            events.WindowExposed(exposeLeft, exposeTop, exposeRight, exposeBottom);
        }
        break;
    }
    case ButtonPress:
    {
        const XButtonEvent& b = e.xbutton;
        X11Mods mods = ModsOf(b.state);
        if (b.button == Button4 || b.button == Button5)
        {
            events.WindowWheel(b.x, b.y, mods, b.button == Button4 ? 1 : -1);
            break;
        }
        if (b.button != Button1 && b.button != Button3) break;
        (b.button == Button1 ? mods.left : mods.right) = true;
        if (b.button == Button1)
        {
            const bool isDouble = pressedLeft && b.time - lastPressTime <= kDoubleClickMs &&
                                  std::abs(b.x - lastPressX) <= kDoubleClickDistance &&
                                  std::abs(b.y - lastPressY) <= kDoubleClickDistance;
            if (isDouble)
            {
                pressedLeft = false; // a third press starts over
                events.WindowDoubleClick(b.x, b.y, mods);
                break;
            }
            pressedLeft = true;
            lastPressTime = b.time;
            lastPressX = b.x;
            lastPressY = b.y;
        }
        else
            pressedLeft = false;
        Capture();
        events.WindowMouseDown(b.x, b.y, mods);
        break;
    }
    case ButtonRelease:
    {
        const XButtonEvent& b = e.xbutton;
        if (b.button != Button1 && b.button != Button3) break;
        X11Mods mods = ModsOf(b.state); // the state before the release: the released button still shows
        Release();
        events.WindowMouseUp(b.x, b.y, mods);
        break;
    }
    case MotionNotify:
    {
        // Only the newest position of a burst matters.
        Display* d = connection.Get();
        while (XCheckTypedWindowEvent(d, window, MotionNotify, &e))
        {
        }
        const XMotionEvent& m = e.xmotion;
        if (captured && (m.state & (Button1Mask | Button3Mask))) events.WindowDrag(m.x, m.y, ModsOf(m.state));
        break;
    }
    case KeyPress:
    {
        char latin1[16];
        KeySym sym = NoSymbol;
        XLookupString(&e.xkey, latin1, sizeof latin1, &sym, nullptr);
        char text[8] = {};
        if (!(e.xkey.state & ControlMask)) AppendUtf8(CodePoint(sym), text);
        events.WindowKey(e.xkey.x, e.xkey.y, sym, text);
        break;
    }
    case FocusIn:
    case FocusOut:
        // Grab-related focus moves do not change who has the keys.
        if (e.xfocus.mode == NotifyNormal || e.xfocus.mode == NotifyWhileGrabbed)
            if (e.xfocus.detail != NotifyPointer && e.xfocus.detail != NotifyInferior)
                events.WindowFocus(e.type == FocusIn);
        break;
    case EnterNotify:
    case LeaveNotify:
        // Our own release clears the flag before it lets the pointer go; an ungrab while the flag
        // still stands was not ours.
        if (e.xcrossing.mode == NotifyUngrab) LoseCapture();
        break;
    case UnmapNotify:
        if (e.xunmap.window == window) LoseCapture(); // the server ends a grab on a hidden window
        break;
    case DestroyNotify:
        if (e.xdestroywindow.window == window)
        {
            connection.Remove(this);
            window = 0;
            captured = false;
            events.WindowDestroyed();
        }
        break;
    default:
        break;
    }
}
