#pragma once
// X errors of our own connections must never end the host: a bad parent window id, a parent the host
// destroyed first, or a server that went away. While a trap is alive, errors on displays registered
// here are recorded instead of reaching the process's handler; errors of every other display (the
// host's own) still go to the handler that was installed before ours.
//
// The process-wide handlers are installed only while at least one trap is alive, so the host's handler
// is back in place whenever our code is not running. Any thread; no X call is made under the lock.
typedef struct _XDisplay Display;

class X11ErrorTrap
{
public:
    explicit X11ErrorTrap(Display* display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Waits for the server to process every request so far; true when one of them failed since the
    // trap was set (or the connection is lost).
    bool Failed();

    // A connection we own. Lost() turns true once its server has gone away.
    static void Register(Display* display);
    static void Unregister(Display* display);
    static bool Lost(Display* display);

private:
    Display* display;
    unsigned long firstSerial;
};
