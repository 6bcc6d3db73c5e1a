#pragma once
// Tests that open windows run on the Xvfb server that the test run starts once (the xvfb fixture);
// VELLICOR_XVFB_DIR names its state directory. This helper points DISPLAY at it, makes host-side
// windows, drives real input with XTest and reads pixels back with XGetImage.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Xlib stays out of test sources: its macros (None, Bool, Status) clash with GoogleTest.
typedef struct _XDisplay Display;
using Window = unsigned long;

class X11TestDisplay
{
public:
    // Sets DISPLAY to the run's Xvfb. False (and a reason) when none is running.
    static bool UseTestServer(std::string* reason = nullptr);

    X11TestDisplay();  // the host's own connection; losing its server later does not end the process
    ~X11TestDisplay(); // destroys the windows it made
    X11TestDisplay(const X11TestDisplay&) = delete;
    X11TestDisplay& operator=(const X11TestDisplay&) = delete;

    Display* Get() const { return display; }
    bool Ok() const { return display != nullptr; }

    // A mapped top-level window at (x, y) on the root, as a host's editor frame.
    Window MakeParent(int x, int y, int width, int height);
    void DestroyWindow(Window w);

    // Real input through XTest, at window coordinates of w.
    void MoveTo(Window w, int x, int y);
    void Press(int button);
    void Release(int button);
    void Click(Window w, int x, int y, int button = 1);
    void Key(unsigned long keysym);
    void Type(const char* text); // ASCII letters, digits and punctuation on the US layout
    void Flush();

    // The window's pixels as 0x00RRGGBB words, row by row (XGetImage of a 24-bit window).
    std::vector<uint32_t> Pixels(Window w, int x, int y, int width, int height);

    // Paints over w from this connection, then asks for an expose of all of it.
    void ScribbleAndExpose(Window w);
    // The window's size; false when there is no such window.
    bool Size(Window w, int* width, int* height);
    // Child windows of w, in stacking order.
    std::vector<Window> Children(Window w);

private:
    Display* display = nullptr;
    std::vector<Window> made;
};

// A second X server of the test's own, to be taken away while clients use it. Start sets DISPLAY
// to it; Kill ends it abruptly and restores DISPLAY.
class X11PrivateServer
{
public:
    ~X11PrivateServer() { Kill(); }
    bool Start();
    void Kill();

private:
    int pid = -1;
    std::string previous;
};

// Calls step until done() holds or timeoutMs passes; true when done() held.
bool PumpUntil(const std::function<void()>& step, const std::function<bool()>& done, int timeoutMs = 2000);
