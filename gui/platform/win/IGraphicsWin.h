#pragma once
// The editor's window in Windows hosts: the graphics core on a Win32 child window of the host's
// window. Window messages become the core's window messages, the back buffer's memory context is
// copied to the screen, and the core's pop-up becomes a real "EDIT" or "COMBOBOX" child.
//
// Threads: everything runs on the thread that owns the window (the host's GUI thread); the timer,
// painting and input arrive through its message loop.
#include "gui/IGraphics.h"

#include <cstdint>

class IGraphicsWin : public IGraphics
{
public:
    static constexpr const char* kWindowClass = "IEffectWndClass";
    static constexpr const char* kWindowTitle = "IEffect";
    static constexpr uintptr_t kTimerId = 2;

    IGraphicsWin(IEffectBase* plug, int32_t width, int32_t height, int32_t frameRate = 0);
    ~IGraphicsWin() override;

    bool PresentArea(const IArea& area) override;
    PIX_IBitmap* LoadImageResource(int32_t id, const char* name) override;

    void RegisterWindowClass() override;
    void UnregisterWindowClass() override;
    void* CreateNativeWindow(void* parent, const IArea& placement) override;
    void DestroyNativeWindow() override;
    IArea WindowPlacement() override;
    void InvalidateAndPaint(const IArea& area) override;
    void CaptureMouse(bool capture) override;
    bool CreatePopup(const IPopupEntry& entry) override;
    void DestroyPopup() override;
    std::string ReadPopupText() override;
    bool PointerInWindow(int32_t* x, int32_t* y) override;
    IMouseMods KeyboardModifiers() override;
    bool AskYesNo(const char* caption, const char* text) override;
    void ShowMessage(const char* caption, const char* text) override;
    bool OpenUrl(const char* url) override;

    // The window's messages (window procedures in the source file; <windows.h> stays out of here,
    // its macros would rename members such as LoadBitmap). Handles and procedures as plain words.
    intptr_t EditorMessage(void* hwnd, uint32_t msg, uintptr_t wParam, intptr_t lParam);
    intptr_t PopupMessage(void* hwnd, uint32_t msg, uintptr_t wParam, intptr_t lParam);
    void* PopupWindow() const { return popupWindow; }

private:
    void* Module() const; // the module instance given, else the module holding this code

    void* popupWindow = nullptr;
    void* popupPreviousProc = nullptr;
    void* popupFont = nullptr;
    bool tickPaint = false; // the paint in progress is our tick's, not the system's
};
