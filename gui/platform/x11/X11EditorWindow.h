#pragma once
// The editor's window on X11: its own connection, the child window inside the host's window, and
// the driver that runs its events and timer (the host's loop, or our thread when the host has none).
// The graphics object is its Client: it receives the window's input and exposes, runs the timer
// step, and paints with Present.
#include "gui/platform/x11/X11Connection.h"
#include "gui/platform/x11/X11EditorDriver.h"
#include "gui/platform/x11/X11Window.h"

#include <cstdint>
#include <memory>

class X11EditorWindow : private X11EditorDriver::Steps
{
public:
    class Client : public X11WindowEvents
    {
    public:
        virtual void Tick() = 0; // the timer step
    };

    explicit X11EditorWindow(Client& client);
    ~X11EditorWindow() override;
    X11EditorWindow(const X11EditorWindow&) = delete;
    X11EditorWindow& operator=(const X11EditorWindow&) = delete;

    // parent: the host's X11 window id; (x, y) inside it. Returns the window id, null on failure.
    void* Open(void* parent, int x, int y, int width, int height, int periodMs);
    void Close();
    // Our thread, if it drives the window, is gone on return (Close does this first too).
    void StopDriver() { driver.Stop(); }
    // Keeps the driver's steps out while a host call on another thread reaches into the window.
    std::unique_lock<std::mutex> Exclusive() { return driver.Exclusive(); }
    bool IsOpen() const { return window && window->IsOpen(); }
    void* NativeWindow() const;

    // The host's loop (IEditor's hooks).
    int EventFd() const;
    void HostEvents() { driver.HostEvents(); }
    void HostTimer() { driver.HostTimer(); }
    void HostIdle() { driver.HostIdle(); }
    bool ThreadDriven() const { return driver.ThreadDriven(); }
    int TimerPeriodMs() const { return driver.PeriodMs(); }

    bool Present(const uint32_t* pixels, int stride, int width, int height, int x, int y, int w, int h);
    // Null while closed. Pop-ups open their own child windows on this connection.
    X11Window* Window() const { return window.get(); }
    X11Connection* Connection() const { return connection.get(); }

private:
    void Events() override;
    void Tick() override;

    Client& client;
    // Declared before the window: destroyed after it.
    std::unique_ptr<X11Connection> connection;
    std::unique_ptr<X11Window> window;
    X11EditorDriver driver;
};
