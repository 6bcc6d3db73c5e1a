// The graphics core on a real Win32 child window (under Wine in the test run): the window's own
// messages are sent to it, as Windows delivers them, and one timer tick is one WM_TIMER 2.
// Whole-module input with real mouse and keyboard events runs in the module host tests.
#include "gui/platform/win/IGraphicsWin.h"
#include "gui/IEditableTextControl.h"
#include "tests/gui/GuiFixture.h"

#include <windows.h>

#include <memory>

using namespace guitest;

namespace
{
constexpr IArea kKnob{100, 50, 160, 110};
constexpr IArea kList{300, 50, 360, 110};
constexpr IArea kProbe{400, 150, 450, 200};
constexpr IArea kField{20, 200, 120, 220};

LPARAM At(int x, int y)
{
    return MAKELPARAM(x, y);
}

std::string ClassOf(HWND w)
{
    char name[32] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

class WinEditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterTestArtwork();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "WinEditorTestHost";
        RegisterClassA(&wc);
        parent = CreateWindowExA(0, "WinEditorTestHost", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640,
                                 360, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(parent, nullptr);
        gui = new IGraphicsWin(&plug, 562, 270);
        gui->AddControl(new Swatch(&plug, {0, 0, 562, 270}));
        gui->AddControl(new Swatch(&plug, kKnob, 0));
        gui->AddControl(new TestKnob(&plug, kKnob, 0));
        gui->AddControl(new TestKnob(&plug, kList, 2));
        gui->AddControl(probe = new ProbeControl(&plug, kProbe));
        ITextStyle style;
        gui->AddControl(
            field = new IEditableTextControl(&plug, kField, style, "abc", {255, 0, 0, 0}, true, false));
        plug.AttachEditor(gui);
    }
    void TearDown() override { DestroyWindow(parent); }
    void Open()
    {
        ASSERT_NE(gui->OpenWindow(parent), nullptr);
        Tick();
        plug.edits.clear();
    }
    HWND Editor() const { return static_cast<HWND>(gui->NativeWindow()); }
    HWND Popup() const { return static_cast<HWND>(gui->PopupWindow()); }
    void Tick() { SendMessageA(Editor(), WM_TIMER, IGraphicsWin::kTimerId, 0); }
    void Click(UINT down, UINT up, const IArea& a)
    {
        const LPARAM at = At((a.left + a.right) / 2, (a.top + a.bottom) / 2);
        SendMessageA(Editor(), down, down == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON, at);
        SendMessageA(Editor(), up, 0, at);
    }
    void RightClick(const IArea& a) { Click(WM_RBUTTONDOWN, WM_RBUTTONUP, a); }
    // Both kinds of pop-up are children of the editor with id 99 and the marker as user data.
    static void ExpectPopup(HWND popup, const char* className)
    {
        EXPECT_EQ(ClassOf(popup), className);
        EXPECT_EQ(GetDlgCtrlID(popup), 99);
        EXPECT_EQ(static_cast<uint32_t>(GetWindowLongPtrA(popup, GWLP_USERDATA)), 0xDEADF00Bu);
    }
    void Type(HWND to, const char* text)
    {
        for (const char* c = text; *c; ++c)
            SendMessageA(to, WM_CHAR, static_cast<WPARAM>(*c), 0);
    }
    std::string Text(HWND w) const
    {
        char text[256] = {};
        GetWindowTextA(w, text, sizeof text);
        return text;
    }
    static bool ClassRegistered()
    {
        WNDCLASSEXA info = {};
        info.cbSize = sizeof info;
        return GetClassInfoExA(GetModuleHandleA(nullptr), IGraphicsWin::kWindowClass, &info) != 0;
    }

    GuiTestEffect plug;
    IGraphicsWin* gui = nullptr; // owned by plug
    ProbeControl* probe = nullptr;
    IEditableTextControl* field = nullptr;
    HWND parent = nullptr;
};

TEST_F(WinEditorTest, TheChildWindowShowsTheBackBufferAndItsClassLivesWithTheOpenWindows)
{
    EXPECT_EQ(gui->OpenWindow(reinterpret_cast<void*>(uintptr_t{0x7ffff0})), nullptr) << "no such parent";
    EXPECT_FALSE(ClassRegistered());
    Open();
    EXPECT_TRUE(ClassRegistered());
    EXPECT_EQ(ClassOf(Editor()), "IEffectWndClass");
    EXPECT_EQ(Text(Editor()), "IEffect");
    EXPECT_EQ(GetParent(Editor()), parent);
    EXPECT_EQ(GetWindowLongA(Editor(), GWL_STYLE) & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE);

    // What the window shows is the back buffer.
    InvalidateRect(Editor(), nullptr, FALSE);
    UpdateWindow(Editor());
    HDC screen = GetDC(Editor());
    HDC copy = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 562;
    bi.bmiHeader.biHeight = -270; // top-down, as the back buffer
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, 562, 270, screen, 0, 0, SRCCOPY);
    PIX_SysBitmap* b = gui->BackBuffer();
    int differ = 0;
    for (int y = 0; y < 270; ++y)
        for (int x = 0; x < 562; ++x)
            differ +=
                ((static_cast<uint32_t*>(bits)[y * 562 + x] ^ b->PixelData()[y * b->RowSpanPixels() + x]) &
                 0xffffffu) != 0;
    EXPECT_EQ(differ, 0);
    DeleteDC(copy);
    DeleteObject(bitmap);
    ReleaseDC(Editor(), screen);

    SendMessageA(Editor(), WM_CLOSE, 0, 0);
    EXPECT_EQ(gui->NativeWindow(), nullptr);
    EXPECT_EQ(IGraphics::OpenWindowCount(), 0);
    EXPECT_FALSE(ClassRegistered());
}

TEST_F(WinEditorTest, ASystemPaintLosesNoChangeAndLostCapturesOrRightDoubleClicksBreakNoGesture)
{
    Open();
    // A control changed since the last tick, then the system paints elsewhere (window uncovered):
    // the next tick still draws the control.
    IControl* swatch = gui->GetControl(1);
    swatch->SetValue(0.9);
    swatch->MarkChanged(false);
    const RECT elsewhere{0, 0, 50, 30};
    InvalidateRect(Editor(), &elsewhere, FALSE);
    UpdateWindow(Editor());
    Tick();
    PIX_SysBitmap* b = gui->BackBuffer();
    const uint32_t shown = b->PixelData()[80 * b->RowSpanPixels() + 130];
    EXPECT_EQ((shown >> 16) & 0xFF, 229u) << "the changed control was drawn on the tick";

    // The capture taken by a press goes elsewhere: the press and its gesture end there.
    SendMessageA(Editor(), WM_LBUTTONDOWN, MK_LBUTTON, At(130, 80));
    SendMessageA(Editor(), WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(parent));
    SendMessageA(Editor(), WM_LBUTTONUP, 0, At(130, 80));
    // A right double click is a second right press: with the entry box open it cancels.
    RightClick(kKnob);
    ASSERT_NE(Popup(), nullptr);
    SendMessageA(Editor(), WM_RBUTTONDBLCLK, MK_RBUTTON, At(430, 170));
    SendMessageA(Editor(), WM_RBUTTONUP, 0, At(430, 170));
    Tick();
    EXPECT_EQ(Popup(), nullptr);
    EXPECT_EQ(plug.edits,
              (std::vector<Edit>{
                  {Kind::Begin, 0, 0.0}, {Kind::End, 0, 0.0}, {Kind::Begin, 0, 0.0}, {Kind::End, 0, 0.0}}))
        << "one gesture for the lost press, one for the right click, nothing for the cancel";
}

TEST_F(WinEditorTest, AHostThatDestroysItsWindowFirstLeavesNothingOpen)
{
    Open();
    RightClick(kKnob);
    ASSERT_NE(Popup(), nullptr);
    DestroyWindow(parent); // takes the editor and its pop-up along
    gui->CloseWindow();
    gui->CloseWindow();
    EXPECT_EQ(IGraphics::OpenWindowCount(), 0);
    EXPECT_FALSE(ClassRegistered());
}

TEST_F(WinEditorTest, RightClickOpensAnEditBoxThatCommitsOnReturnAtTheNextTick)
{
    Open();
    RightClick(kKnob);
    HWND box = Popup();
    ASSERT_NE(box, nullptr);
    ExpectPopup(box, "Edit");
    EXPECT_EQ(GetFocus(), box);
    EXPECT_EQ(GetWindowLongA(box, GWL_STYLE) & (ES_CENTER | ES_MULTILINE), ES_CENTER | ES_MULTILINE);
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, 14);
    EXPECT_STREQ(font.lfFaceName, "Arial");
    EXPECT_EQ(Text(box), "50.0");
    DWORD from = 1, to = 0;
    SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 4u);

    SendMessageA(box, WM_KEYDOWN, VK_ESCAPE, 0); // no meaning in the box
    Type(box, "12.5");
    Tick();
    ASSERT_EQ(Popup(), box);
    EXPECT_EQ(plug.edits.size(), 2u) << "only the right click's own press and release";
    SendMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(GetParent(box), Editor()) << "Return only asks for the commit";
    Tick();
    EXPECT_EQ(Popup(), nullptr);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->value, 12.5);
    EXPECT_EQ(GetFocus(), Editor()) << "the keys come back to the editor";
}

TEST_F(WinEditorTest, ClicksInTheEditorCommitOrCancelAndTextThatIsNoNumberGivesZero)
{
    Open();
    struct Case
    {
        UINT down, up;
        const char* typed;
        double expected;
    };
    for (const Case& c :
         {Case{WM_RBUTTONDOWN, WM_RBUTTONUP, "7", 50.0}, Case{WM_LBUTTONDOWN, WM_LBUTTONUP, "7", 7.0},
          Case{WM_LBUTTONDOWN, WM_LBUTTONUP, "x7", 0.0}})
    {
        RightClick(kKnob);
        ASSERT_NE(Popup(), nullptr);
        SendMessageA(Popup(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.typed));
        Click(c.down, c.up, {20, 150, 21, 151});
        Tick();
        EXPECT_EQ(Popup(), nullptr) << c.typed;
        EXPECT_DOUBLE_EQ(plug.GetParam(0)->value, c.expected) << c.typed;
    }
}

TEST_F(WinEditorTest, ANamedParameterGetsADropDownListWhoseChoiceCommits)
{
    Open();
    RightClick(kList);
    HWND list = Popup();
    ASSERT_NE(list, nullptr);
    ExpectPopup(list, "ComboBox");
    EXPECT_EQ(GetWindowLongA(list, GWL_STYLE) & CBS_DROPDOWNLIST, CBS_DROPDOWNLIST);
    EXPECT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), 3)
        << "the last of the entries equal to the current text";
    // A choice from the keyboard: the list tells its combo box, which commits on the next tick.
    SendMessageA(list, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), 2);
    Tick();
    EXPECT_EQ(Popup(), nullptr);
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->value, 2.0);
}

TEST_F(WinEditorTest, ATextFieldBoxWantsReturnAndAllKeysGoToTheEditorThroughTheKeyTable)
{
    Open();
    Click(WM_LBUTTONDOWN, WM_LBUTTONUP, kField);
    HWND box = Popup();
    ASSERT_NE(box, nullptr);
    MSG ret = {};
    ret.hwnd = box;
    ret.message = WM_KEYDOWN;
    ret.wParam = VK_RETURN;
    EXPECT_NE(SendMessageA(box, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&ret)) & DLGC_WANTALLKEYS,
              0);
    SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("xyz"));
    SendMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
    Tick();
    EXPECT_STREQ(field->Text(), "xyz");

    SetCursorPos(0, 0);
    POINT p = {(kProbe.left + kProbe.right) / 2, (kProbe.top + kProbe.bottom) / 2};
    ClientToScreen(Editor(), &p);
    SetCursorPos(p.x, p.y);
    for (WPARAM vk :
         {WPARAM('A'), WPARAM('1'), WPARAM(VK_SPACE), WPARAM(VK_UP), WPARAM(VK_NUMPAD1), WPARAM(VK_SHIFT)})
        EXPECT_EQ(SendMessageA(Editor(), WM_KEYDOWN, vk, 0), 0) << "every key is consumed";
    EXPECT_EQ(probe->keys, (std::vector<int32_t>{16, 7, 0, 1, 16}));

    // Wheel positions come in screen coordinates; part notches count as none.
    for (short delta : {60, 120, -240})
        SendMessageA(Editor(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(p.x, p.y));
    EXPECT_EQ(probe->wheels, (std::vector<int32_t>{0, 1, -2}));
    EXPECT_TRUE(gui->ForwardHostWheel(1.0f));
    SetCursorPos(630, 350); // the host's frame, beside the editor
    EXPECT_FALSE(gui->ForwardHostWheel(1.0f));
    EXPECT_EQ(probe->wheels.size(), 4u);
}
} // namespace
