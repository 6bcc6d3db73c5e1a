#pragma once
// The editor's window in Linux hosts: the graphics core on an X11 child window of the host's window.
// It only translates: X input into the core's window messages, the back buffer onto the screen, the
// core's pop-up into a child window we draw (X11PopUpView). The host's loop drives it through the
// IEditor hooks (VST3 run loop, VST2 effEditIdle); a host that drives nothing gets our own thread,
// which then owns the window (X11EditorDriver).
//
// Threads: one X connection per open editor, used by the thread that drives it only, so Xlib needs
// no locking and the host's own connection is never touched. Nothing here holds the plug-in lock.
#include "gui/IGraphics.h"
#include "gui/platform/x11/X11EditorWindow.h"

#include <memory>

class X11PopUpView;

class IGraphicsX11 : public IGraphics, private X11EditorWindow::Client
{
public:
    IGraphicsX11(IEffectBase* plug, int32_t width, int32_t height, int32_t frameRate = 0);
    ~IGraphicsX11() override;

    bool PresentArea(const IArea& area) override;
    PIX_IBitmap* LoadImageResource(int32_t id, const char* name) override;

    void* CreateNativeWindow(void* parent, const IArea& placement) override;
    void DestroyNativeWindow() override;
    void StopWindowDriver() override { window.StopDriver(); }
    bool ForwardHostWheel(float delta) override;
    IArea WindowPlacement() override;
    void CaptureMouse(bool capture) override;
    bool CreatePopup(const IPopupEntry& entry) override;
    void DestroyPopup() override;
    std::string ReadPopupText() override;
    bool PointerInWindow(int32_t* x, int32_t* y) override;
    IMouseMods KeyboardModifiers() override;
    bool OpenUrl(const char* url) override;

    int EventFd() const override { return window.EventFd(); }
    void HostEvents() override { window.HostEvents(); }
    void HostTimer() override { window.HostTimer(); }
    void HostIdle() override { window.HostIdle(); }

    // For tests: who drives the window, and the pop-up's window.
    bool ThreadDriven() const { return window.ThreadDriven(); }
    X11PopUpView* PopUpView() const { return popupView.get(); }

private:
    // X11EditorWindow::Client
    void WindowExposed(int left, int top, int right, int bottom) override;
    void WindowMouseDown(int x, int y, X11Mods mods) override;
    void WindowMouseUp(int x, int y, X11Mods mods) override;
    void WindowDoubleClick(int x, int y, X11Mods mods) override;
    void WindowDrag(int x, int y, X11Mods mods) override;
    void WindowWheel(int x, int y, X11Mods mods, int notches) override;
    void WindowKey(int x, int y, unsigned long keysym, const char* text) override;
    void WindowFocus(bool) override {}
    void Tick() override { OnTimer(); }
    void WindowCaptureLost() override { OnCaptureLost(); }

    X11EditorWindow window;
    std::unique_ptr<X11PopUpView> popupView;
};
