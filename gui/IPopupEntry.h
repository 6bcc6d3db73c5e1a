#pragma once
// The small pop-up editor that a window layer places over the editor to type a parameter value or
// a text field: what to show (kind, geometry, texts, selection, font), the state machine that the
// window's messages drive, and the commit rules. The window layers only draw and feed it; the
// graphics core's timer step acts on its state.
#include "gui/IGuiTypes.h"

#include <cstdint>
#include <string>
#include <vector>

class IControl;
class IEditableTextControl;
class IParamSlot;

class IPopupEntry
{
public:
    enum Kind : int32_t
    {
        kClosed = 0,
        kEditBox = 1, // single-line text box
        kList = 2,    // drop-down list of the parameter's display texts
    };
    enum State : int32_t
    {
        kIdle = 0,
        kFocused = 1,
        kCancelRequested = 2,
        kCommitRequested = 3,
    };
    static constexpr int32_t kMaxText = 1000; // characters read back on commit
    static constexpr int32_t kChildId = 99;
    static constexpr uint32_t kMarker = 0xDEADF00B; // user data that tells a pop-up from other children

    // ---- What to show ----
    Kind kind = kClosed;
    IArea box;                // x, y, x + width, y + height in editor client coordinates
    bool centredText = false; // parameter boxes opened centred over their control
    bool multiLine = false;   // a Return must reach the box rather than a dialog manager
    bool readOnly = false;
    bool masked = false; // password-style
    int32_t align = ITextStyle::kAlignLeft;
    std::string text;                 // edit box: the current text
    bool wholeTextSelected = false;   // edit box: typing replaces the whole text
    std::vector<std::string> entries; // list: the display texts of values 0 .. count - 1
    int32_t selected = -1;            // list: the chosen entry, -1 none
    char fontFace[ITextStyle::kFaceSize] = "Arial";
    int32_t fontHeight = 14;
    bool fontBold = false, fontItalic = false;

    // ---- Whom it edits ----
    IControl* control = nullptr;
    IParamSlot* param = nullptr;                 // null for a text field
    IEditableTextControl* textControl = nullptr; // the field a text pop-up edits
    int32_t state = kIdle;

    bool IsOpen() const { return kind != kClosed; }
    int32_t Width() const { return box.right - box.left; }
    int32_t Height() const { return box.bottom - box.top; }
    void Reset() { *this = IPopupEntry(); }

    // Layout of a parameter pop-up over a control. Null control or parameter: a closed entry.
    static IPopupEntry ForParam(IControl* control, IParamSlot* param, bool centred);
    // Layout of a text-field pop-up over its control.
    static IPopupEntry ForTextField(IEditableTextControl* field);
    // The real value a typed text stands for: an exact display text gives its value, otherwise the
    // leading decimal number (0 when there is none).
    static double ValueFromText(const IParamSlot& param, const char* text);

    // ---- State machine, driven by the window layer ----
    // A commit or cancel, once asked for, holds until the next tick acts on it: nothing arriving
    // in between (a focus change, a key, another press) takes it back.
    bool Decided() const { return state == kCommitRequested || state == kCancelRequested; }
    void FocusChanged(bool gained) // losing focus keeps it open
    {
        if (!Decided()) state = gained ? kFocused : kIdle;
    }
    // A key pressed inside the pop-up. Return requests the commit (and drops the selection of an
    // edit box) and is consumed (true); any other key only marks it focused and passes on.
    bool KeyPressed(bool isReturn);
    void ListSelectionChanged(); // a choice in the list commits
    // A press on the editor while the pop-up is open: left commits, right cancels.
    void PressedOutside(bool rightButton) { Decide(rightButton ? kCancelRequested : kCommitRequested); }

    // ---- Model editing, for window layers without a native text box (and for tests) ----
    void TypeText(const char* typed);
    void Backspace();
    void SelectAll() { wholeTextSelected = true; }
    void ChooseEntry(int32_t index); // list choice: selects and commits
    // The text a commit reads: the edit text or the selected entry, at most kMaxText characters.
    std::string CommitText() const;

private:
    void Decide(State request)
    {
        if (!Decided()) state = request;
    }
};
