#include "gui/platform/x11/X11ErrorTrap.h"

#include <X11/Xlib.h>

#include <mutex>
#include <vector>

namespace
{
struct Owned
{
    Display* display;
    unsigned long lastErrorSerial; // 0: none yet
    bool lost;
};

std::mutex lock;
std::vector<Owned> owned;
int depth = 0;
XErrorHandler previousError = nullptr;
XIOErrorHandler previousIOError = nullptr;

Owned* Find(Display* d)
{
    for (auto& o : owned)
        if (o.display == d) return &o;
    return nullptr;
}

int OnError(Display* d, XErrorEvent* e)
{
    XErrorHandler chain;
    {
        std::lock_guard<std::mutex> g(lock);
        if (Owned* o = Find(d))
        {
            o->lastErrorSerial = e->serial;
            return 0;
        }
        chain = previousError;
    }
    return chain ? chain(d, e) : 0;
}

// For our displays this returns: the per-display exit handler (below) then keeps the process alive.
int OnIOError(Display* d)
{
    XIOErrorHandler chain;
    {
        std::lock_guard<std::mutex> g(lock);
        if (Owned* o = Find(d))
        {
            o->lost = true;
            return 0;
        }
        chain = previousIOError;
    }
    return chain ? chain(d) : 0;
}

void StayAlive(Display* d, void*)
{
    std::lock_guard<std::mutex> g(lock);
    if (Owned* o = Find(d)) o->lost = true;
}
} // namespace

X11ErrorTrap::X11ErrorTrap(Display* d) : display(d), firstSerial(d ? NextRequest(d) : 0)
{
    std::lock_guard<std::mutex> g(lock);
    if (depth++ == 0)
    {
        previousError = XSetErrorHandler(OnError);
        previousIOError = XSetIOErrorHandler(OnIOError);
    }
}

X11ErrorTrap::~X11ErrorTrap()
{
    std::lock_guard<std::mutex> g(lock);
    if (--depth == 0)
    {
        XSetErrorHandler(previousError);
        XSetIOErrorHandler(previousIOError);
        previousError = nullptr;
        previousIOError = nullptr;
    }
}

bool X11ErrorTrap::Failed()
{
    if (!display || Lost(display)) return true;
    XSync(display, False);
    std::lock_guard<std::mutex> g(lock);
    const Owned* o = Find(display);
    return !o || o->lost || (o->lastErrorSerial != 0 && o->lastErrorSerial >= firstSerial);
}

void X11ErrorTrap::Register(Display* d)
{
    {
        std::lock_guard<std::mutex> g(lock);
        if (!Find(d)) owned.push_back({d, 0, false});
    }
    XSetIOErrorExitHandler(d, StayAlive, nullptr);
}

void X11ErrorTrap::Unregister(Display* d)
{
    std::lock_guard<std::mutex> g(lock);
    for (size_t i = 0; i < owned.size(); ++i)
        if (owned[i].display == d)
        {
            owned.erase(owned.begin() + static_cast<long>(i));
            return;
        }
}

bool X11ErrorTrap::Lost(Display* d)
{
    std::lock_guard<std::mutex> g(lock);
    const Owned* o = Find(d);
    return o && o->lost;
}
