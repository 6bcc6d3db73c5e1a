#include "tests/support/Win32TestDisplay.h"

#include <chrono>
#include <map>
#include <utility>

namespace
{
constexpr char kHostClass[] = "VellicorTestHostFrame";

std::map<std::pair<HWND, UINT_PTR>, int> timerMessages;
std::function<void(const MSG&)> afterDispatch;

LRESULT CALLBACK HostProc(HWND w, UINT message, WPARAM wp, LPARAM lp)
{
    return DefWindowProcA(w, message, wp, lp);
}

void Send(INPUT* inputs, UINT count)
{
    SendInput(count, inputs, sizeof(INPUT));
}

INPUT MouseInput(DWORD flags, LONG dx = 0, LONG dy = 0, DWORD data = 0)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = dx;
    in.mi.dy = dy;
    in.mi.mouseData = data;
    in.mi.dwFlags = flags;
    return in;
}

INPUT KeyInput(WORD vk, bool up)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}
} // namespace

Win32TestDisplay::Win32TestDisplay()
{
    WNDCLASSEXA c{};
    c.cbSize = sizeof(c);
    c.lpfnWndProc = HostProc;
    c.hInstance = GetModuleHandleA(nullptr);
    c.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    c.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    c.lpszClassName = kHostClass;
    RegisterClassExA(&c); // fails harmlessly when a second helper registers it again
}

Win32TestDisplay::~Win32TestDisplay()
{
    for (HWND w : made)
        if (IsWindow(w)) DestroyWindow(w);
    Pump(0);
}

HWND Win32TestDisplay::MakeParent(int x, int y, int width, int height)
{
    // A pop-up frame: its client area is the whole window, so client and screen differ by (x, y) only.
    HWND w = CreateWindowExA(0, kHostClass, "Test Host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width,
                             height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!w) return nullptr;
    made.push_back(w);
    SetForegroundWindow(w);
    SetActiveWindow(w);
    UpdateWindow(w);
    Pump(20);
    return w;
}

void Win32TestDisplay::Destroy(HWND w)
{
    if (IsWindow(w)) DestroyWindow(w);
    Pump(0);
}

HWND Win32TestDisplay::Child(HWND parent, const char* className)
{
    return FindWindowExA(parent, nullptr, className, nullptr);
}

int Win32TestDisplay::ChildCount(HWND parent)
{
    int count = 0;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        ++count;
    return count;
}

void Win32TestDisplay::Pump(int ms)
{
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;)
    {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
        {
            if (m.message == WM_TIMER) ++timerMessages[{m.hwnd, m.wParam}];
            TranslateMessage(&m);
            DispatchMessageW(&m);
            if (afterDispatch) afterDispatch(m);
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
    }
}

bool Win32TestDisplay::PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done())
    {
        if (Clock::now() >= end) return false;
        Pump(5);
    }
    return true;
}

int Win32TestDisplay::TimerMessages(HWND w, UINT_PTR id)
{
    const auto it = timerMessages.find({w, id});
    return it == timerMessages.end() ? 0 : it->second;
}

void Win32TestDisplay::SetAfterDispatch(std::function<void(const MSG&)> hook)
{
    afterDispatch = std::move(hook);
}

bool Win32TestDisplay::MoveTo(HWND w, int x, int y)
{
    POINT p{x, y};
    ClientToScreen(w, &p);
    // Absolute positions are 0..65536 across the primary screen; rounding up lands on the pixel itself.
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT in = MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, (p.x * 65536 + width - 1) / width,
                          (p.y * 65536 + height - 1) / height);
    Send(&in, 1);
    Pump(10);
    POINT now{};
    GetCursorPos(&now);
    return now.x == p.x && now.y == p.y;
}

void Win32TestDisplay::Press(Button b)
{
    INPUT in = MouseInput(b == kLeft ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN);
    Send(&in, 1);
    Pump(10);
}

void Win32TestDisplay::Release(Button b)
{
    INPUT in = MouseInput(b == kLeft ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP);
    Send(&in, 1);
    Pump(10);
}

void Win32TestDisplay::Click(HWND w, int x, int y, Button b)
{
    MoveTo(w, x, y);
    Press(b);
    Release(b);
}

void Win32TestDisplay::Wheel(int delta)
{
    INPUT in = MouseInput(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(delta));
    Send(&in, 1);
    Pump(10);
}

void Win32TestDisplay::Key(WORD virtualKey)
{
    INPUT in[2] = {KeyInput(virtualKey, false), KeyInput(virtualKey, true)};
    Send(in, 2);
    Pump(10);
}

void Win32TestDisplay::Type(const char* text)
{
    for (; *text; ++text)
    {
        const SHORT scan = VkKeyScanA(*text);
        if (scan == -1) continue;
        const bool shift = (scan & 0x100) != 0;
        if (shift)
        {
            INPUT in = KeyInput(VK_SHIFT, false);
            Send(&in, 1);
        }
        Key(static_cast<WORD>(scan & 0xff));
        if (shift)
        {
            INPUT in = KeyInput(VK_SHIFT, true);
            Send(&in, 1);
        }
    }
    Pump(10);
}

std::vector<uint32_t> Win32TestDisplay::Pixels(HWND w, int x, int y, int width, int height)
{
    std::vector<uint32_t> out;
    // From the screen, not the window's own context: what a user sees there, overlaps included.
    POINT origin{x, y};
    ClientToScreen(w, &origin);
    HDC source = GetDC(nullptr);
    if (!source) return out;
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits)
    {
        HGDIOBJ old = SelectObject(memory, dib);
        if (BitBlt(memory, 0, 0, width, height, source, origin.x, origin.y, SRCCOPY))
        {
            GdiFlush();
            const uint32_t* p = static_cast<const uint32_t*>(bits);
            out.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
            for (int i = 0; i < width * height; ++i)
                out.push_back(p[i] & 0xffffffu);
        }
        SelectObject(memory, old);
        DeleteObject(dib);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, source);
    return out;
}
