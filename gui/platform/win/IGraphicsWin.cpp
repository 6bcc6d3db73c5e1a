#include "gui/platform/win/IGraphicsWin.h"

#include "drawing/PIX_Png.h"

#include <windows.h>
#include <windowsx.h>

#include <shellapi.h>

namespace
{
HWND AsHwnd(void* h)
{
    return static_cast<HWND>(h);
}

// Buttons, shift and control from a mouse message's key-state flags; alt from the keyboard now.
IMouseMods MessageMods(WPARAM keyState)
{
    return IInputMap::MouseMessageMods((keyState & MK_LBUTTON) != 0, (keyState & MK_RBUTTON) != 0,
                                       (keyState & MK_SHIFT) != 0, (keyState & MK_CONTROL) != 0,
                                       GetKeyState(VK_MENU) < 0);
}

// The core's key table takes named keys and the key values ' ', '0'..'9', 'A'..'Z' and 97..122,
// which are the virtual-key codes of those keys (97..122 are numeric-pad and function keys).
IInputMap::NamedKey NamedKeyOf(WPARAM vk)
{
    switch (vk)
    {
    case VK_SPACE:
        return IInputMap::NamedKey::kSpace;
    case VK_UP:
        return IInputMap::NamedKey::kUp;
    case VK_DOWN:
        return IInputMap::NamedKey::kDown;
    case VK_LEFT:
        return IInputMap::NamedKey::kLeft;
    case VK_RIGHT:
        return IInputMap::NamedKey::kRight;
    default:
        return IInputMap::NamedKey::kNone;
    }
}

IGraphicsWin* EditorOf(HWND hwnd)
{
    return hwnd ? reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)) : nullptr;
}

LRESULT CALLBACK EditorWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CREATE)
    {
        auto* self = static_cast<IGraphicsWin*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        SetTimer(hwnd, IGraphicsWin::kTimerId, static_cast<UINT>(IGraphics::TimerPeriodMs()), nullptr);
        SetFocus(hwnd);
        return 0;
    }
    IGraphicsWin* self = EditorOf(hwnd);
    if (!self || self->NativeWindow() != hwnd) return DefWindowProcA(hwnd, msg, wParam, lParam);
    return self->EditorMessage(hwnd, msg, wParam, lParam);
}

// The pop-up's user data is the marker, so its editor is found through the parent.
LRESULT CALLBACK PopupWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    IGraphicsWin* self = EditorOf(GetParent(hwnd));
    if (!self || self->PopupWindow() != hwnd) return DefWindowProcA(hwnd, msg, wParam, lParam);
    return self->PopupMessage(hwnd, msg, wParam, lParam);
}

bool IsEditBox(HWND hwnd)
{
    char name[16] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return lstrcmpiA(name, "EDIT") == 0;
}
} // namespace

IGraphicsWin::IGraphicsWin(IEffectBase* plugin, int32_t w, int32_t h, int32_t rate)
    : IGraphics(plugin, w, h, rate)
{
}

IGraphicsWin::~IGraphicsWin()
{
    CloseWindow(); // while this layer's hooks still exist
}

void* IGraphicsWin::Module() const
{
    if (moduleInstance) return moduleInstance;
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&EditorWindowProc), &self);
    return self;
}

bool IGraphicsWin::PresentArea(const IArea& area)
{
    PIX_SysBitmap* b = BackBuffer();
    if (!window || !b || !b->DrawingContext()) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(AsHwnd(window), &ps);
    if (!dc) return false;
    BitBlt(dc, area.left, area.top, area.W(), area.H(), static_cast<HDC>(b->DrawingContext()), area.left,
           area.top, SRCCOPY);
    EndPaint(AsHwnd(window), &ps);
    return true;
}

PIX_IBitmap* IGraphicsWin::LoadImageResource(int32_t id, const char*)
{
    return LoadPngResource(Module(), id, nullptr);
}

void IGraphicsWin::RegisterWindowClass()
{
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = EditorWindowProc;
    wc.hInstance = static_cast<HINSTANCE>(Module());
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kWindowClass;
    RegisterClassA(&wc);
}

void IGraphicsWin::UnregisterWindowClass()
{
    UnregisterClassA(kWindowClass, static_cast<HINSTANCE>(Module()));
}

void* IGraphicsWin::CreateNativeWindow(void* parent, const IArea& placement)
{
    return CreateWindowExA(0, kWindowClass, kWindowTitle, WS_CHILD | WS_VISIBLE, placement.left,
                           placement.top, placement.W(), placement.H(), AsHwnd(parent), nullptr,
                           static_cast<HINSTANCE>(Module()), this);
}

void IGraphicsWin::DestroyNativeWindow()
{
    // A host that tore its window down first took ours with it (see WM_NCDESTROY): nothing is left
    // to destroy, and a handle Windows has since reused belongs to someone else.
    HWND hwnd = AsHwnd(window);
    if (!IsWindow(hwnd) || EditorOf(hwnd) != this) return;
    KillTimer(hwnd, kTimerId);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0); // inert even if another thread's destroy fails
    DestroyWindow(hwnd);
}

IArea IGraphicsWin::WindowPlacement()
{
    RECT r;
    HWND parent = GetParent(AsHwnd(window));
    if (!GetWindowRect(AsHwnd(window), &r) || !parent) return {0, 0, Width(), Height()};
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

void IGraphicsWin::InvalidateAndPaint(const IArea& area)
{
    HWND hwnd = AsHwnd(window);
    const RECT r{area.left, area.top, area.right, area.bottom};
    InvalidateRect(hwnd, &r, FALSE);
    // The editor does not clip its children: painting over the pop-up would hide it.
    RECT p;
    if (popupWindow && GetWindowRect(AsHwnd(popupWindow), &p))
    {
        MapWindowPoints(HWND_DESKTOP, hwnd, reinterpret_cast<POINT*>(&p), 2);
        ValidateRect(hwnd, &p);
    }
    tickPaint = true;
    UpdateWindow(hwnd);
    tickPaint = false;
}

void IGraphicsWin::CaptureMouse(bool capture)
{
    if (capture)
        SetCapture(AsHwnd(window));
    else if (GetCapture() == AsHwnd(window))
        ReleaseCapture();
}

bool IGraphicsWin::CreatePopup(const IPopupEntry& entry)
{
    HWND parent = AsHwnd(window);
    const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(IPopupEntry::kChildId));
    const auto instance = static_cast<HINSTANCE>(Module());
    HWND popup = nullptr;
    if (entry.kind == IPopupEntry::kEditBox)
    {
        DWORD style = WS_CHILD | WS_VISIBLE;
        if (entry.align == ITextStyle::kAlignCentre) style |= ES_CENTER;
        if (entry.align == ITextStyle::kAlignRight) style |= ES_RIGHT;
        if (entry.readOnly) style |= ES_READONLY;
        style |= entry.masked ? ES_PASSWORD : ES_MULTILINE;
        popup = CreateWindowExA(0, "EDIT", entry.text.c_str(), style, entry.box.left, entry.box.top,
                                entry.Width(), entry.Height(), parent, id, instance, nullptr);
        if (popup && entry.wholeTextSelected) SendMessageA(popup, EM_SETSEL, 0, -1);
    }
    else
    {
        popup = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, entry.box.left,
                                entry.box.top, entry.Width(), entry.Height(), parent, id, instance, nullptr);
        for (const std::string& text : entry.entries)
            if (popup) SendMessageA(popup, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (popup && entry.selected >= 0) SendMessageA(popup, CB_SETCURSEL, entry.selected, 0);
    }
    if (!popup) return false;
    popupWindow = popup;
    // Subclassed before it takes the focus, so that the focus message reaches our procedure.
    popupPreviousProc = reinterpret_cast<void*>(
        SetWindowLongPtrA(popup, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PopupWindowProc)));
    SetWindowLongPtrA(popup, GWLP_USERDATA, static_cast<LONG_PTR>(IPopupEntry::kMarker));
    HFONT font = CreateFontA(entry.fontHeight, 0, 0, 0, entry.fontBold ? FW_BOLD : FW_DONTCARE,
                             entry.fontItalic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, entry.fontFace);
    popupFont = font;
    if (font) SendMessageA(popup, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SetFocus(popup);
    return true;
}

void IGraphicsWin::DestroyPopup()
{
    if (!popupWindow) return;
    HWND popup = AsHwnd(popupWindow);
    const bool hadFocus = GetFocus() == popup;
    SetWindowLongPtrA(popup, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(popupPreviousProc));
    popupWindow = nullptr;
    popupPreviousProc = nullptr;
    DestroyWindow(popup);
    if (popupFont) DeleteObject(static_cast<HFONT>(popupFont));
    popupFont = nullptr;
    if (hadFocus && window) SetFocus(AsHwnd(window)); // the keys come back to the editor
}

std::string IGraphicsWin::ReadPopupText()
{
    if (!popupWindow) return IGraphics::ReadPopupText();
    char text[IPopupEntry::kMaxText + 1];
    const int n = GetWindowTextA(AsHwnd(popupWindow), text, sizeof text);
    return std::string(text, n > 0 ? static_cast<size_t>(n) : 0);
}

bool IGraphicsWin::PointerInWindow(int32_t* x, int32_t* y)
{
    POINT p;
    RECT r;
    if (!GetCursorPos(&p) || WindowFromPoint(p) != AsHwnd(window) || !GetWindowRect(AsHwnd(window), &r))
        return false;
    *x = p.x - r.left;
    *y = p.y - r.top;
    return true;
}

IMouseMods IGraphicsWin::KeyboardModifiers()
{
    return IInputMap::KeyboardMods(GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0,
                                   GetKeyState(VK_MENU) < 0);
}

bool IGraphicsWin::AskYesNo(const char* caption, const char* text)
{
    return MessageBoxA(AsHwnd(window), text, caption, MB_YESNO) == IDYES;
}

void IGraphicsWin::ShowMessage(const char* caption, const char* text)
{
    MessageBoxA(AsHwnd(window), text, caption, MB_OK);
}

bool IGraphicsWin::OpenUrl(const char* url)
{
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(AsHwnd(window), "open", url, nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

intptr_t IGraphicsWin::EditorMessage(void* handle, uint32_t msg, uintptr_t wParam, intptr_t lParam)
{
    HWND hwnd = AsHwnd(handle);
    const int32_t x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (msg)
    {
    case WM_PAINT:
    {
        RECT r;
        if (!GetUpdateRect(hwnd, &r, FALSE)) break;
        // Our tick draws the changed controls; a paint the system asks for (the window uncovered)
        // shows the back buffer over the whole update area and leaves the changed controls to the
        // next tick, which would otherwise never draw those outside that area.
        if (tickPaint)
            OnPaint({r.left, r.top, r.right, r.bottom});
        else
            PresentArea({r.left, r.top, r.right, r.bottom});
        ValidateRect(hwnd, nullptr); // also when nothing could be presented: no endless paint requests
        return 0;
    }
    case WM_CLOSE:
        CloseWindow();
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0); // destroyed with the host's window
        break;
    case WM_MOUSEACTIVATE:
        SetFocus(hwnd);
        return MA_ACTIVATE;
    case WM_KEYDOWN:
    {
        POINT p{};
        GetCursorPos(&p);
        ScreenToClient(hwnd, &p);
        OnKeyDown(p.x, p.y, NamedKeyOf(wParam), static_cast<int32_t>(wParam));
        return 0; // every key is the editor's, mapped or not
    }
    case WM_TIMER:
        if (wParam != kTimerId) break;
        OnTimer();
        return 0;
    case WM_MOUSEMOVE:
        if ((wParam & (MK_LBUTTON | MK_RBUTTON)) && GetCapture() == hwnd)
            OnPointerMove(x, y, MessageMods(wParam));
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        OnButtonUp(x, y, MessageMods(wParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        OnDoubleClick(x, y, MessageMods(wParam));
        return 0;
    case WM_LBUTTONDOWN:
        OnLeftButtonDown(x, y, MessageMods(wParam));
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: // the class asks for double clicks; a right one is a second right press
        OnRightButtonDown(x, y, MessageMods(wParam));
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd) OnCaptureLost();
        return 0;
    case WM_MOUSEWHEEL:
    {
        // The wheel's position comes in screen coordinates.
        RECT r{};
        GetWindowRect(hwnd, &r);
        OnWheel(x - r.left, y - r.top, MessageMods(GET_KEYSTATE_WPARAM(wParam)),
                GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

intptr_t IGraphicsWin::PopupMessage(void* handle, uint32_t msg, uintptr_t wParam, intptr_t lParam)
{
    HWND hwnd = AsHwnd(handle);
    const auto previous = reinterpret_cast<WNDPROC>(popupPreviousProc);
    switch (msg)
    {
    case WM_SETFOCUS:
        OnPopupFocus(true);
        break;
    case WM_KILLFOCUS:
        OnPopupFocus(false); // stays open: losing the focus neither commits nor cancels
        break;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN)
        {
            if (IsEditBox(hwnd)) SendMessageA(hwnd, EM_SETSEL, static_cast<WPARAM>(-1), 0);
            OnPopupKey(true);
            return 0;
        }
        OnPopupKey(false);
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) != CBN_SELCHANGE) break;
        OnPopupListChanged();
        return 0;
    case WM_GETDLGCODE:
        if (Popup().param) break;
        {
            // A text field's Return must reach the box, not a dialog manager of the host.
            LRESULT code = CallWindowProcA(previous, hwnd, msg, wParam, lParam);
            const MSG* queried = reinterpret_cast<const MSG*>(lParam);
            if (queried && queried->message == WM_KEYDOWN && queried->wParam == VK_RETURN)
                code |= DLGC_WANTALLKEYS;
            return code;
        }
    default:
        break;
    }
    return CallWindowProcA(previous, hwnd, msg, wParam, lParam);
}
