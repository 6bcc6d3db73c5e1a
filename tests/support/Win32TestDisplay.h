#pragma once
// The Windows counterpart of X11TestDisplay, for tests that run under Wine on the test run's Xvfb
// (scripts/wine-run sets the display): host-side top-level windows, a message loop on the calling
// thread (which owns the windows, so their timers run only while it pumps), real input through
// SendInput, and pixels read back from a window's drawing context.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

class Win32TestDisplay
{
public:
    enum Button
    {
        kLeft,
        kRight
    };

    Win32TestDisplay();
    ~Win32TestDisplay(); // destroys the windows it made
    Win32TestDisplay(const Win32TestDisplay&) = delete;
    Win32TestDisplay& operator=(const Win32TestDisplay&) = delete;

    // A shown, active top-level window at (x, y) on the screen whose client area is width x height:
    // the host's editor frame.
    HWND MakeParent(int x, int y, int width, int height);
    void Destroy(HWND w);
    // The first direct child of parent of that window class, or null.
    static HWND Child(HWND parent, const char* className);
    static int ChildCount(HWND parent);

    // Runs this thread's message loop for ms milliseconds.
    static void Pump(int ms);
    // Pumps until done() holds or timeoutMs passes; true when done() held.
    static bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 2000);
    // How many timer messages of that id the loop has dispatched to w: a window's own tick count.
    static int TimerMessages(HWND w, UINT_PTR id);
    // Called after each message the loop dispatches (null: none).
    static void SetAfterDispatch(std::function<void(const MSG&)> hook);

    // Real input (SendInput), at client coordinates of w. MoveTo answers whether the cursor got there.
    bool MoveTo(HWND w, int x, int y);
    void Press(Button b);
    void Release(Button b);
    void Click(HWND w, int x, int y, Button b = kLeft);
    void Wheel(int delta); // 120 per notch, to the window with the keyboard focus
    void Key(WORD virtualKey);
    void Type(const char* text); // characters of the keyboard layout (digits, letters, '.', '-')

    // The screen's pixels over w's client area as 0x00RRGGBB, row by row (a blit from the screen's
    // drawing context into a 32-bit DIB).
    static std::vector<uint32_t> Pixels(HWND w, int x, int y, int width, int height);

private:
    std::vector<HWND> made;
};
