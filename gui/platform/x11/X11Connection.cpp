#include "gui/platform/x11/X11Connection.h"

#include "gui/platform/x11/X11ErrorTrap.h"
#include "gui/platform/x11/X11Window.h"

#include <X11/Xlib.h>

#include <algorithm>

X11Connection::X11Connection() : display(XOpenDisplay(nullptr))
{
    if (display) X11ErrorTrap::Register(display);
}

X11Connection::~X11Connection()
{
    if (!display) return;
    {
        // A lost connection still needs its memory back; XCloseDisplay then fails quietly.
        X11ErrorTrap trap(display);
        XCloseDisplay(display);
    }
    X11ErrorTrap::Unregister(display);
}

bool X11Connection::Ok() const
{
    return display && !X11ErrorTrap::Lost(display);
}

int X11Connection::Fd() const
{
    return Ok() ? ConnectionNumber(display) : -1;
}

void X11Connection::Dispatch()
{
    if (!Ok()) return;
    X11ErrorTrap trap(display);
    while (!X11ErrorTrap::Lost(display) && XPending(display) > 0)
    {
        XEvent event;
        XNextEvent(display, &event);
        // A handler may destroy windows (a pop-up closing): look the target up for every event.
        for (X11Window* w : windows)
            if (w->Id() == event.xany.window)
            {
                w->Handle(event);
                break;
            }
    }
}

void X11Connection::Add(X11Window* window)
{
    if (std::find(windows.begin(), windows.end(), window) == windows.end()) windows.push_back(window);
}

void X11Connection::Remove(X11Window* window)
{
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}
