#pragma once
// The platform-independent half of the editor: the control list and drawing order, the back buffer,
// the process-wide bitmap and font caches, input dispatch, the value flow between controls and the
// plug-in, and the window logic every platform shares (timer step, pop-up entry, open-window
// counting). A window layer derives from it, implements PresentArea and LoadImageResource, the
// platform hooks below, and turns its native messages into the On... calls.
//
// Threads: everything runs on the editor window's thread except SetParamFromPlugin, which host
// threads call with the plug-in lock held; it only stores control values and flags.
#include "core/IEditor.h"
#include "drawing/PIX_SysBitmap.h"
#include "gui/IControl.h"
#include "gui/IGuiTypes.h"
#include "gui/IInputMap.h"
#include "gui/IPopupEntry.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class IEffectBase;
class IEditableTextControl;
class IParamSlot;

class IGraphics : public IEditor
{
public:
    static constexpr int32_t kDefaultFrameRate = 24;

    IGraphics(IEffectBase* plug, int32_t width, int32_t height, int32_t frameRate = 0);
    IGraphics(const IGraphics&) = delete;
    IGraphics& operator=(const IGraphics&) = delete;

    // ---- Virtual operations, in slot order ----
    virtual bool PresentArea(const IArea& area) = 0; // copy that area of the back buffer to the screen
    virtual void ResizeEditor(int32_t, int32_t) {}
    virtual bool IsWindowOpen();
    virtual void OpenTextFieldEditor(IEditableTextControl* control);
    virtual void OpenParamEntry(IControl* control, IParamSlot* param, bool centred);
    // Platform services offered to controls; nothing in this editor uses them.
    virtual bool HostFolder(char* out, int32_t size);
    virtual bool PluginFolder(char* out, int32_t size);
    virtual bool PromptForFile(char* out, int32_t size, bool save, const char* extensions);
    virtual bool PromptForColour(IRgba* colour);
    virtual bool OpenWebPage(const char* url, const char* caption, const char* confirmation,
                             const char* failure);
    bool ForwardHostWheel(float delta) override;
    void StartDeferredEditEnd(int32_t ticks) override;
    void CancelDeferredEditEnd() override;
    virtual int32_t Reserved() { return 0; }
    void* OpenWindow(void* parentWindow) override;
    void CloseWindow() override;
    virtual void* NativeWindow() { return window; }
    // Destroys the controls (last first), then the back buffer. A window layer closes its window in
    // its own destructor: the hooks it overrides are gone by the time this one runs.
    ~IGraphics() override;
    virtual void ShowTooltip(const char*) {}                                  // carried, inert
    virtual PIX_IBitmap* LoadImageResource(int32_t id, const char* name) = 0; // caller owns the result

    // ---- Platform hooks (a window layer overrides these; the defaults do nothing) ----
    // The first editor window of the module opens / the last one closes (register the window class,
    // open a display connection, ...).
    virtual void RegisterWindowClass() {}
    virtual void UnregisterWindowClass() {}
    // Create the editor window at placement (client coordinates of the parent) and start its timer
    // with TimerPeriodMs(); null on failure. Destroy it (with its pop-up and timer).
    virtual void* CreateNativeWindow(void* parent, const IArea& placement);
    virtual void DestroyNativeWindow() {}
    // A thread of the layer's own that drives the window is stopped and joined: the first step of
    // closing, before anything of the window or its pop-up goes.
    virtual void StopWindowDriver() {}
    // Milliseconds of a steady clock; the end of a wheel gesture is due by it.
    virtual int64_t NowMs();
    // Where the open window sits now, relative to its parent, for a reopening.
    virtual IArea WindowPlacement();
    // Invalidate the area (without erasing), leave out an open pop-up, and paint now, which ends in
    // OnPaint. The default paints straight away.
    virtual void InvalidateAndPaint(const IArea& area);
    virtual void CaptureMouse(bool) {}
    // Show / remove the pop-up described by Popup(); false when it cannot be shown.
    virtual bool CreatePopup(const IPopupEntry&) { return true; }
    virtual void DestroyPopup() {}
    // The text a commit reads; the default reads the pop-up model, a native text box its own text.
    virtual std::string ReadPopupText();
    // Pointer position in client coordinates when the pointer is over the editor window.
    virtual bool PointerInWindow(int32_t* x, int32_t* y);
    virtual IMouseMods KeyboardModifiers() { return {}; }
    virtual bool AskYesNo(const char*, const char*) { return false; }
    virtual void ShowMessage(const char*, const char*) {}
    virtual bool OpenUrl(const char*) { return false; }

    // ---- IEditor ----
    int32_t Width() const override { return width; }
    int32_t Height() const override { return height; }
    int32_t FrameRate() const override { return frameRate; }
    void SetParamFromPlugin(int32_t paramIndex, double value, bool normalized) override;
    void PrepareBackBuffer() override;

    // ---- Set-up ----
    IBitmapRef LoadBitmap(int32_t id, const char* name, int32_t frames = 1);
    void AddBackground(int32_t id, const char* name);
    int32_t AddControl(IControl* control); // takes ownership; -1 for null
    int32_t ControlCount() const { return static_cast<int32_t>(controls.size()); }
    IControl* GetControl(int32_t index) const;
    IEffectBase* Plug() const { return plug; }
    // The plug-in module's own handle, given by the plug-in right after construction: the window
    // layer registers its window class and loads its artwork through it (null: the layer's own).
    void SetModuleInstance(void* module) { moduleInstance = module; }
    void* ModuleInstance() const { return moduleInstance; }

    // ---- Values ----
    void PushParamFromEditor(int32_t paramIndex, double normalized);
    void MarkAllChanged();

    // ---- Drawing, offered to controls (into the back buffer) ----
    bool DrawBitmapPart(const IBitmapRef& bitmap, const IArea& area, int32_t srcX, int32_t srcY,
                        const IBlend* blend);
    bool DrawBitmapFrame(const IBitmapRef& bitmap, const IArea& area, int32_t frame, const IBlend* blend,
                         bool vertical);
    bool DrawRotatedBitmap(const IBitmapRef& bitmap, int32_t centreX, int32_t centreY, double angle,
                           const IBlend* blend, float srcX = 0.0f, float srcY = 0.0f);
    bool FillArea(const IRgba& colour, const IArea& area, const IBlend* blend);
    bool DrawLine(const IRgba& colour, float x1, float y1, float x2, float y2, const IBlend* blend,
                  bool antialiased = true);
    // False only when no font can be made for the style.
    bool DrawStyledText(ITextStyle& style, const char* text, const IArea& area);
    IBitmapRef CropBitmap(const IBitmapRef& bitmap, const IArea& area);
    PIX_SysBitmap* BackBuffer() const { return backBuffer.get(); }
    const IArea& DrawingArea() const { return drawArea; }

    // ---- Redraw ----
    bool CollectDirty(IArea* dirty);
    void DrawDirty(const IArea& update);

    // ---- Input dispatch (client coordinates) ----
    int32_t ControlAt(int32_t x, int32_t y);
    void MouseDown(int32_t x, int32_t y, const IMouseMods& mods);
    void MouseUp(int32_t x, int32_t y, const IMouseMods& mods);
    void MouseDrag(int32_t x, int32_t y, const IMouseMods& mods);
    bool MouseDoubleClick(int32_t x, int32_t y, const IMouseMods& mods); // true: capture the mouse
    void MouseWheel(int32_t x, int32_t y, const IMouseMods& mods, int32_t notches);
    void KeyDown(int32_t x, int32_t y, int32_t keyCode);
    int32_t CapturedControl() const { return captured; }
    // The parameter whose press gesture is open (begun at a press or double click), -1 for none.
    int32_t OpenGesture() const { return gestureParam.load(std::memory_order_relaxed); }

    // ---- Window messages, as every window layer delivers them ----
    void OnLeftButtonDown(int32_t x, int32_t y, const IMouseMods& mods);
    void OnRightButtonDown(int32_t x, int32_t y, const IMouseMods& mods);
    void OnButtonUp(int32_t x, int32_t y, const IMouseMods& mods);
    void OnDoubleClick(int32_t x, int32_t y, const IMouseMods& mods);
    void OnPointerMove(int32_t x, int32_t y, const IMouseMods& mods); // ignored without a held button
    void OnWheel(int32_t x, int32_t y, const IMouseMods& mods, int32_t rawDelta);
    void OnKeyDown(int32_t x, int32_t y, IInputMap::NamedKey named, int32_t keyValue);
    void OnPaint(const IArea& update);
    // The window lost the mouse capture (another window took it, an X11 grab was broken): the press
    // in progress ends here, its gesture with it.
    void OnCaptureLost();
    // The periodic tick: pop-up state, then redraw, then the deferred gesture end.
    void OnTimer();
    // The open pop-up: its model (to feed it) and its window messages.
    IPopupEntry& Popup() { return popup; }
    void OnPopupFocus(bool gained) { popup.FocusChanged(gained); }
    bool OnPopupKey(bool isReturn) { return popup.KeyPressed(isReturn); }
    void OnPopupListChanged() { popup.ListSelectionChanged(); }

    bool DeferredEditPending() const { return editEndDueMs.load(std::memory_order_relaxed) != 0; }
    bool HoldsMouseCapture() const { return mouseCaptured; }

    // ---- Process-wide window state ----
    static int32_t OpenWindowCount();
    static int32_t TimerFrameRate();
    static int32_t TimerPeriodMs(); // trunc(1000 / frame rate)

protected:
    void CommitPopup();
    void ClosePopup();
    // The press in progress, if any, ends: its control is released at the last position and the
    // gesture it opened is ended. For a release that never came (window closed, capture lost, a
    // new press).
    void EndOpenPress();
    void ReleasePress(int32_t x, int32_t y, const IMouseMods& mods);

    bool trackPointer = false;                       // moves without a button are never dispatched
    std::vector<std::unique_ptr<IControl>> controls; // index order = drawing order
    IEffectBase* plug;
    void* moduleInstance = nullptr;
    IArea drawArea;
    std::unique_ptr<PIX_SysBitmap> backBuffer;
    int32_t width, height, frameRate;
    int32_t captured = -1;
    int32_t lastDragX = -1, lastDragY = -1;
    // The control that received the press or double click whose release is awaited (-1: none), and
    // the parameter whose gesture that press opened. Host threads read the latter to keep their
    // echoes of it off the control being dragged.
    int32_t pressed = -1;
    int32_t pressX = 0, pressY = 0; // last position of that press
    std::atomic<int32_t> gestureParam{-1};
    bool strictRedraw = true, timerRedraw = true;

    // Window state shared by every platform.
    void* window = nullptr;
    void* parentWindow = nullptr;
    IPopupEntry popup;
    // When the pending wheel gesture ends, by NowMs (0 = not armed). Set and cleared under the
    // plug-in lock by the base, read by the timer step.
    std::atomic<int64_t> editEndDueMs{0};
    bool mouseCaptured = false;
};
