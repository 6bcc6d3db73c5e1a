#pragma once
// A window layer without a window: the "window" is a frame buffer that PresentArea copies the back
// buffer into. Tests and the editor snapshot drive it by ticking the timer and delivering input
// through the On... calls, on a clock of its own that each tick moves on by one timer period; it shows the
// pop-ups the editor opens as IPopupEntry models that a caller types into, records web-page requests instead
// of opening them, and loads images by resource id from the drawing library's resource table.
#include "gui/IGraphics.h"

#include <memory>
#include <string>
#include <vector>

class PIX_MemBitmap;

class IGraphicsHeadless : public IGraphics
{
public:
    IGraphicsHeadless(IEffectBase* plug, int32_t width, int32_t height, int32_t frameRate = 0);
    ~IGraphicsHeadless() override;

    bool PresentArea(const IArea& area) override;
    bool OpenWebPage(const char* url, const char* caption, const char* confirmation,
                     const char* failure) override;
    PIX_IBitmap* LoadImageResource(int32_t id, const char* name) override;

    void RegisterWindowClass() override;
    void UnregisterWindowClass() override;
    void* CreateNativeWindow(void* parent, const IArea& placement) override;
    void DestroyNativeWindow() override;
    IArea WindowPlacement() override { return placement; }
    bool CreatePopup(const IPopupEntry& entry) override;
    void DestroyPopup() override;
    bool PointerInWindow(int32_t* x, int32_t* y) override;
    IMouseMods KeyboardModifiers() override { return keyboard; }
    bool AskYesNo(const char* caption, const char* text) override;
    void ShowMessage(const char* caption, const char* text) override;
    bool OpenUrl(const char* url) override;
    int64_t NowMs() override { return clockMs; }

    // ---- Driving it ----
    void Tick(int32_t count = 1);
    void AdvanceClock(int64_t ms) { clockMs += ms; } // time passing without a tick
    // A click, as a window delivers it: button down, then up, at one position.
    void Click(int32_t x, int32_t y, const IMouseMods& mods = {true, false, false, false, false});
    // A drag with the left button from one point to another in equal steps.
    void Drag(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t steps, const IMouseMods& mods = {});
    void SetPointer(int32_t x, int32_t y)
    {
        pointerX = x;
        pointerY = y;
    }
    void SetKeyboardModifiers(const IMouseMods& mods) { keyboard = mods; }
    // The open pop-up takes typed text, Return, or a list choice.
    void TypeIntoPopup(const char* text);
    void PressReturnInPopup() { OnPopupKey(true); }
    void PressKeyInPopup() { OnPopupKey(false); } // any other key (Escape among them)

    // ---- What it shows ----
    PIX_MemBitmap* FrameBuffer() const { return frame.get(); }
    uint32_t FramePixel(int32_t x, int32_t y) const; // 0 outside the frame
    int32_t PresentCount() const { return presents; }
    const IArea& LastPresented() const { return lastPresented; }
    int32_t PopupsShown() const { return popupsShown; }
    static bool WindowClassRegistered();

    struct WebRequest
    {
        std::string url, caption;
    };
    std::vector<WebRequest> webRequests;
    bool urlOpens = true;  // what an "open" of an address answers
    bool answerYes = true; // the answer to a confirmation
    std::vector<std::string> messages;

private:
    std::unique_ptr<PIX_MemBitmap> frame;
    IArea placement;
    IMouseMods keyboard;
    int32_t pointerX = -1, pointerY = -1;
    int32_t presents = 0;
    IArea lastPresented;
    int32_t popupsShown = 0;
    std::string lastCaption;
    std::atomic<int64_t> clockMs{1};
};
