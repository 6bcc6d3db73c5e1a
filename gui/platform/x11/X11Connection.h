#pragma once
// One connection to the X server per open editor. Each editor's window, pop-ups and events live on
// its own connection, used only by the thread that drives that editor, so Xlib needs no locking
// (no XInitThreads) and a host's own connection is never touched.
#include <vector>

typedef struct _XDisplay Display;
union _XEvent;
class X11Window;

class X11Connection
{
public:
    X11Connection(); // opens $DISPLAY; Ok() tells whether that worked
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    bool Ok() const; // open, and the server has not gone away
    Display* Get() const { return display; }
    int Fd() const; // to watch for readable events; -1 when not Ok

    // Reads every pending event and hands each to the window it belongs to. Safe after the server
    // went away (does nothing).
    void Dispatch();

    // The windows that receive events; a window registers itself while it exists.
    void Add(X11Window* window);
    void Remove(X11Window* window);

private:
    Display* display;
    std::vector<X11Window*> windows;
};
