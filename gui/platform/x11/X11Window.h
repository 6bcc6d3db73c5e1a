#pragma once
// One child window on an X11Connection: created inside a given parent, painted from a 32-bit
// 0xAARRGGBB buffer, its input translated into the calls of X11WindowEvents in window coordinates.
// Buttons 1 and 3 are the left and right buttons, 4 and 5 one wheel notch up and down. A second left
// press within kDoubleClickMs and kDoubleClickDistance of the first is a double click instead of a
// press. Drags are reported only while the window holds the pointer (Capture after a press).
#include <cstdint>

union _XEvent;
class X11Connection;

struct X11Mods
{
    bool left = false, right = false, shift = false, control = false, alt = false;
};

class X11WindowEvents
{
public:
    virtual ~X11WindowEvents() = default;
    virtual void WindowExposed(int left, int top, int right, int bottom) = 0; // right, bottom exclusive
    virtual void WindowMouseDown(int x, int y, X11Mods mods) = 0;
    virtual void WindowMouseUp(int x, int y, X11Mods mods) = 0;
    virtual void WindowDoubleClick(int x, int y, X11Mods mods) = 0;
    virtual void WindowDrag(int x, int y, X11Mods mods) = 0;
    virtual void WindowWheel(int x, int y, X11Mods mods, int notches) = 0;
    // keysym as X defines it; text: the key's character as UTF-8, empty when it types none.
    virtual void WindowKey(int x, int y, unsigned long keysym, const char* text) = 0;
    virtual void WindowFocus(bool gained) = 0;
    // The window was destroyed from outside (the host destroyed its parent first).
    virtual void WindowDestroyed() {}
    // The pointer grab of a press ended without its release (the server broke it: the window was
    // unmapped or hidden).
    virtual void WindowCaptureLost() {}
};

class X11Window
{
public:
    static constexpr unsigned kDoubleClickMs = 400;
    static constexpr int kDoubleClickDistance = 4;

    X11Window(X11Connection& connection, X11WindowEvents& events);
    ~X11Window(); // destroys the window
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    // A mapped child window of parent, without decoration (child windows have none). False for a
    // parent the server does not know, or a lost connection.
    bool Create(unsigned long parent, int x, int y, int width, int height);
    void Destroy();
    unsigned long Id() const { return window; }
    bool IsOpen() const { return window != 0; }

    // Copies (x, y, w, h) of a width x height buffer, rows of stride pixels, to the same place in the
    // window. False when nothing could be shown (closed window, lost connection, unusual visual).
    bool Present(const uint32_t* pixels, int stride, int width, int height, int x, int y, int w, int h);

    void TakeFocus();
    // Pointer capture: a press captures the pointer (grab), a release or Release() lets it go.
    void Capture();
    void Release();
    bool Captured() const { return captured; }
    // The pointer position in window coordinates, when it is over this window (not a child of it).
    bool PointerOver(int& x, int& y) const;
    // Shift, control and alt as the keyboard holds them now.
    X11Mods KeyboardState() const;
    // Position inside the parent, and size, as the server sees them now.
    bool Geometry(int& x, int& y, int& width, int& height) const;
    void Raise();

    // Called by the connection for this window's events.
    void Handle(union _XEvent& event);

private:
    void LoseCapture();

    X11Connection& connection;
    X11WindowEvents& events;
    unsigned long window = 0;
    bool captured = false;
    bool pressedLeft = false; // a left press was seen since the last double click
    unsigned long lastPressTime = 0;
    int lastPressX = 0, lastPressY = 0;
    int exposeLeft = 0, exposeTop = 0, exposeRight = 0, exposeBottom = 0;
    bool exposePending = false;
};
