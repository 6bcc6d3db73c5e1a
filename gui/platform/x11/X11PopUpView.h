#pragma once
// The value-entry pop-up on X11: a child window of the editor window that we draw ourselves with the
// drawing library, an edit box (EntryText) or a list of the parameter's display texts. It feeds the
// graphics core's pop-up model: focus, Return, a list choice. Typing edits its own text, which a
// commit reads.
#include "gui/IPopupEntry.h"
#include "gui/platform/x11/EntryText.h"
#include "gui/platform/x11/X11Window.h"

#include <memory>
#include <string>

class IGraphics;
class PIX_MemBitmap;
class PIX_CachedFont;

class X11PopUpView : private X11WindowEvents
{
public:
    static constexpr int kRowPadding = 4; // list rows: font height plus this

    // Opens over the editor window; false when the window cannot be made.
    X11PopUpView(IGraphics& graphics, X11Connection& connection, X11Window& editor, const IPopupEntry& entry);
    ~X11PopUpView() override;
    bool IsOpen() const { return window.IsOpen(); }
    unsigned long Id() const { return window.Id(); }

    std::string Text() const; // what a commit reads
    const EntryText& Entry() const { return entry; }
    int32_t Highlighted() const { return highlighted; }
    // Where the window is, in editor coordinates.
    IArea Box() const { return box; }
    void Paint();

private:
    void WindowExposed(int, int, int, int) override { Paint(); }
    void WindowMouseDown(int x, int y, X11Mods mods) override;
    void WindowMouseUp(int, int, X11Mods) override {}
    void WindowDoubleClick(int x, int y, X11Mods mods) override { WindowMouseDown(x, y, mods); }
    void WindowDrag(int, int, X11Mods) override {}
    void WindowWheel(int, int, X11Mods, int notches) override;
    void WindowKey(int x, int y, unsigned long keysym, const char* text) override;
    void WindowFocus(bool gained) override;

    int RowHeight() const;
    int32_t RowAt(int y) const;

    IGraphics& graphics;
    X11Window window;
    const IPopupEntry::Kind kind;
    const bool readOnly, masked;
    std::vector<std::string> entries;
    int32_t highlighted = -1;
    EntryText entry;
    IArea box;
    std::unique_ptr<PIX_MemBitmap> pixels;
    PIX_CachedFont* font = nullptr; // from the process-wide cache, not ours
};
