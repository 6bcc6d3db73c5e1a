#include <X11/Xlib.h>

#include "tests/support/X11TestDisplay.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

bool X11TestDisplay::UseTestServer(std::string* reason)
{
    const char* dir = std::getenv("VELLICOR_XVFB_DIR");
    if (!dir)
    {
        if (reason) *reason = "VELLICOR_XVFB_DIR is not set (run through ctest)";
        return false;
    }
    std::ifstream in(std::string(dir) + "/display");
    std::string name;
    if (!(in >> name))
    {
        if (reason) *reason = std::string("no Xvfb display recorded in ") + dir;
        return false;
    }
    setenv("DISPLAY", name.c_str(), 1);
    return true;
}

namespace
{
void KeepRunning(Display*, void*) {}
int IgnoreIOError(Display*)
{
    return 0;
}
} // namespace

X11TestDisplay::X11TestDisplay() : display(XOpenDisplay(nullptr))
{
    if (display) XSetIOErrorExitHandler(display, KeepRunning, nullptr);
}

X11TestDisplay::~X11TestDisplay()
{
    if (!display) return;
    // The server may be gone (a test takes it away): Xlib's default handler would end the process.
    XIOErrorHandler previous = XSetIOErrorHandler(IgnoreIOError);
    for (Window w : made)
        XDestroyWindow(display, w);
    XCloseDisplay(display);
    XSetIOErrorHandler(previous);
}

Window X11TestDisplay::MakeParent(int x, int y, int width, int height)
{
    const int s = DefaultScreen(display);
    XSetWindowAttributes a{};
    a.override_redirect = True; // no window manager on the test server; placed exactly
    a.background_pixel = 0x336699;
    const Window w = XCreateWindow(display, RootWindow(display, s), x, y, static_cast<unsigned>(width),
                                   static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                   CWOverrideRedirect | CWBackPixel, &a);
    XMapRaised(display, w);
    XSync(display, False);
    made.push_back(w);
    return w;
}

void X11TestDisplay::DestroyWindow(Window w)
{
    XDestroyWindow(display, w);
    XSync(display, False);
    for (size_t i = 0; i < made.size(); ++i)
        if (made[i] == w) made.erase(made.begin() + static_cast<long>(i));
}

void X11TestDisplay::MoveTo(Window w, int x, int y)
{
    int rx = 0, ry = 0;
    Window child;
    XTranslateCoordinates(display, w, DefaultRootWindow(display), x, y, &rx, &ry, &child);
    XTestFakeMotionEvent(display, DefaultScreen(display), rx, ry, CurrentTime);
    Flush();
}

void X11TestDisplay::Press(int button)
{
    XTestFakeButtonEvent(display, static_cast<unsigned>(button), True, CurrentTime);
    Flush();
}

void X11TestDisplay::Release(int button)
{
    XTestFakeButtonEvent(display, static_cast<unsigned>(button), False, CurrentTime);
    Flush();
}

void X11TestDisplay::Click(Window w, int x, int y, int button)
{
    MoveTo(w, x, y);
    Press(button);
    Release(button);
}

void X11TestDisplay::Key(unsigned long keysym)
{
    const KeyCode code = XKeysymToKeycode(display, keysym);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    Flush();
}

void X11TestDisplay::Type(const char* text)
{
    for (const char* c = text; *c; ++c)
    {
        const KeySym sym = static_cast<KeySym>(static_cast<unsigned char>(*c));
        const KeyCode code = XKeysymToKeycode(display, sym);
        // Keys whose character needs Shift on the layout (upper-case letters, most punctuation).
        const bool shift = XkbKeycodeToKeysym(display, code, 0, 0) != sym;
        const KeyCode shiftCode = XKeysymToKeycode(display, XK_Shift_L);
        if (shift) XTestFakeKeyEvent(display, shiftCode, True, CurrentTime);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        if (shift) XTestFakeKeyEvent(display, shiftCode, False, CurrentTime);
    }
    Flush();
}

void X11TestDisplay::Flush()
{
    XSync(display, False);
}

std::vector<uint32_t> X11TestDisplay::Pixels(Window w, int x, int y, int width, int height)
{
    std::vector<uint32_t> out;
    XImage* image =
        XGetImage(display, w, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) return out;
    out.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col)
            out.push_back(static_cast<uint32_t>(XGetPixel(image, col, row)) & 0xffffffu);
    XDestroyImage(image);
    return out;
}

void X11TestDisplay::ScribbleAndExpose(Window w)
{
    GC gc = XCreateGC(display, w, 0, nullptr);
    XSetForeground(display, gc, 0xff00ff);
    XFillRectangle(display, w, gc, 0, 0, 4000, 4000);
    XFreeGC(display, gc);
    XClearArea(display, w, 0, 0, 0, 0, True);
    Flush();
}

std::vector<Window> X11TestDisplay::Children(Window w)
{
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    std::vector<Window> out;
    if (XQueryTree(display, w, &root, &parent, &children, &count))
    {
        out.assign(children, children + count);
        XFree(children);
    }
    return out;
}

bool X11TestDisplay::Size(Window w, int* width, int* height)
{
    XWindowAttributes a;
    if (!XGetWindowAttributes(display, w, &a)) return false;
    *width = a.width;
    *height = a.height;
    return true;
}

extern char** environ;

bool X11PrivateServer::Start()
{
    int fds[2];
    if (pipe(fds) != 0) return false;
    const std::string fdText = std::to_string(fds[1]);
    char program[] = "Xvfb";
    // -noreset: the server must not restart between one client leaving and the next arriving.
    char displayfd[] = "-displayfd", nolisten[] = "-nolisten", tcp[] = "tcp", noreset[] = "-noreset";
    char* argv[] = {program, displayfd, const_cast<char*>(fdText.c_str()), nolisten, tcp, noreset, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 0x1 /* O_WRONLY */, 0);
    const int result = posix_spawnp(&pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (result != 0)
    {
        pid = -1;
        close(fds[0]);
        return false;
    }
    // The server writes the number and a newline, maybe in two pieces: read the whole line, or it
    // fails writing the rest.
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty()) return false;
    previous = getenv("DISPLAY") ? getenv("DISPLAY") : "";
    setenv("DISPLAY", (":" + number).c_str(), 1);
    // The number can come a moment before the first connection is accepted.
    for (int i = 0; i < 200; ++i)
        if (Display* probe = XOpenDisplay(nullptr))
        {
            XCloseDisplay(probe);
            return true;
        }
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return false;
}

void X11PrivateServer::Kill()
{
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
    setenv("DISPLAY", previous.c_str(), 1);
}

bool PumpUntil(const std::function<void()>& step, const std::function<bool()>& done, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end)
    {
        if (step) step();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (step) step();
    return done();
}
