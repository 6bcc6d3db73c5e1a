// The graphics core on a real X11 window (the test run's Xvfb): real input through XTest, pixels
// read back with XGetImage. The test thread plays the host's UI thread and drives the window through
// the idle hook, as a VST2 host's effEditIdle does.
#include "gui/platform/x11/IGraphicsX11.h"
#include "gui/platform/x11/X11PopUpView.h"
#include "tests/gui/GuiFixture.h"
#include "tests/support/X11TestDisplay.h"

#include <X11/keysym.h>

#include <chrono>
#include <thread>

using namespace guitest;

namespace
{
using Clock = std::chrono::steady_clock;

class X11EditorTest : public ::testing::Test
{
protected:
    static constexpr IArea kKnob{100, 50, 160, 110};
    static constexpr IArea kList{300, 50, 360, 110};

    void SetUp() override
    {
        std::string why;
        ASSERT_TRUE(X11TestDisplay::UseTestServer(&why)) << why;
        host = std::make_unique<X11TestDisplay>();
        ASSERT_TRUE(host->Ok());
        RegisterTestArtwork();
        gui = Make(plug);
        parent = host->MakeParent(10, 10, 600, 300);
    }
    IGraphicsX11* Make(GuiTestEffect& p)
    {
        auto* g = new IGraphicsX11(&p, 562, 270);
        g->AddControl(new Swatch(&p, {0, 0, 562, 270}));
        g->AddControl(new Swatch(&p, kKnob, 0));
        g->AddControl(new TestKnob(&p, kKnob, 0));
        g->AddControl(new TestKnob(&p, kList, 2));
        g->AddControl(probe = new ProbeControl(&p, {400, 150, 450, 200}));
        p.AttachEditor(g);
        return g;
    }
    Window EditorWindow() const { return reinterpret_cast<uintptr_t>(gui->NativeWindow()); }
    void Open()
    {
        ASSERT_NE(gui->OpenWindow(reinterpret_cast<void*>(parent)), nullptr);
        Idle(150);
        plug.edits.clear();
    }
    // The host's idle calls for ms milliseconds.
    void Idle(int ms)
    {
        Until([] { return false; }, ms);
    }
    bool Until(const std::function<bool()>& done, int ms = 2000)
    {
        return PumpUntil([&] { gui->HostIdle(); }, done, ms);
    }
    std::vector<uint32_t> BackBufferPixels() const
    {
        std::vector<uint32_t> out;
        PIX_SysBitmap* b = gui->BackBuffer();
        for (int y = 0; y < 270; ++y)
            for (int x = 0; x < 562; ++x)
                out.push_back(b->PixelData()[y * b->RowSpanPixels() + x] & 0xffffffu);
        return out;
    }
    static int Centre(int a, int b) { return (a + b) / 2; }
    std::string Edits() const
    {
        std::string out;
        for (const Edit& e : plug.edits)
            out += std::string("BVE").substr(static_cast<size_t>(e.kind), 1) + std::to_string(e.index) + "=" +
                   std::to_string(e.normalized) + " ";
        return out;
    }

    std::unique_ptr<X11TestDisplay> host;
    GuiTestEffect plug;
    IGraphicsX11* gui = nullptr; // owned by plug
    ProbeControl* probe = nullptr;
    Window parent = 0;
};

TEST_F(X11EditorTest, TheWindowShowsExactlyTheBackBufferAndExposesRepaintFromIt)
{
    Open();
    EXPECT_EQ(host->Children(parent), std::vector<Window>{EditorWindow()});
    const auto expected = BackBufferPixels();
    EXPECT_EQ(host->Pixels(EditorWindow(), 0, 0, 562, 270), expected);
    host->ScribbleAndExpose(EditorWindow());
    ASSERT_TRUE(Until([&] { return host->Pixels(EditorWindow(), 0, 0, 1, 1)[0] == expected[0]; }));
    EXPECT_EQ(host->Pixels(EditorWindow(), 0, 0, 562, 270), expected);
}

TEST_F(X11EditorTest, DraggingAKnobByItsHeightAddsAQuarterInOneGesture)
{
    Open();
    const int x = Centre(kKnob.left, kKnob.right), y = Centre(kKnob.top, kKnob.bottom);
    host->MoveTo(EditorWindow(), x, y);
    host->Press(1);
    ASSERT_TRUE(Until([&] { return !plug.edits.empty(); }));
    host->MoveTo(EditorWindow(), x, y - kKnob.H());
    host->Release(1);
    ASSERT_TRUE(Until([&] { return plug.edits.size() >= 3; }));
    EXPECT_EQ(plug.edits,
              (std::vector<Edit>{{Kind::Begin, 0, 0.0}, {Kind::Edited, 0, 0.75}, {Kind::End, 0, 0.0}}));
    // The picture follows on the next ticks.
    Idle(100);
    EXPECT_EQ(host->Pixels(EditorWindow(), x, y, 1, 1),
              (std::vector<uint32_t>{BackBufferPixels()[y * 562 + x]}));
}

TEST_F(X11EditorTest, AWheelNotchEditsAtOnceAndEndsTheGestureAboutHalfASecondLater)
{
    Open();
    host->Click(EditorWindow(), Centre(kKnob.left, kKnob.right), Centre(kKnob.top, kKnob.bottom), 4);
    const auto wheel = Clock::now();
    ASSERT_TRUE(Until([&] { return !plug.edits.empty(); }));
    // The test binding, like a host with no gesture running, begins nothing for a wheel step.
    EXPECT_EQ(plug.edits[0].kind, Kind::Edited);
    EXPECT_NEAR(plug.edits[0].normalized, 0.51, 1e-6);
    ASSERT_TRUE(Until([&] { return plug.edits.size() == 2; }));
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - wheel).count();
    EXPECT_EQ(plug.edits[1], (Edit{Kind::End, 0, 0.0}));
    // 12 ticks of 41 ms, the first of them possibly at once; the clock is read after the click.
    EXPECT_GT(ms, 10 * 41.0);
    EXPECT_LT(ms, 3000.0) << "a busy machine delays ticks, never removes them";
}

TEST_F(X11EditorTest, RightClickOpensTheEntryBoxAndTypedTextWithReturnSetsTheValue)
{
    Open();
    const int x = Centre(kKnob.left, kKnob.right), y = Centre(kKnob.top, kKnob.bottom);
    host->Click(EditorWindow(), x, y, 3);
    ASSERT_TRUE(Until([&] { return gui->PopUpView() != nullptr; }));
    X11PopUpView* box = gui->PopUpView();
    EXPECT_EQ(host->Children(EditorWindow()), std::vector<Window>{box->Id()});
    EXPECT_EQ(box->Entry().Text(), "50.0");
    EXPECT_TRUE(box->Entry().HasSelection()) << "the whole text is selected: typing replaces it";
    host->Key(XK_Escape); // has no meaning in the box
    host->Type("12");
    Idle(120);
    ASSERT_NE(gui->PopUpView(), nullptr) << "Escape or typing must not close the box";
    EXPECT_EQ(box->Entry().Text(), "12");
    host->Key(XK_Return);
    ASSERT_TRUE(Until([&] { return gui->PopUpView() == nullptr; }));
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->value, 12.0);
    // The right click's own press and release, then the commit's gesture; nothing as the entry ends.
    const std::vector<Edit> expected = {{Kind::Begin, 0, 0.0},
                                        {Kind::End, 0, 0.0},
                                        {Kind::Begin, 0, 0.0},
                                        {Kind::Edited, 0, 0.12},
                                        {Kind::End, 0, 0.0}};
    ASSERT_EQ(plug.edits.size(), expected.size()) << Edits();
    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(plug.edits[i].kind, expected[i].kind) << Edits();
        EXPECT_NEAR(plug.edits[i].normalized, expected[i].normalized, 1e-9) << Edits();
    }
    EXPECT_TRUE(host->Children(EditorWindow()).empty());
}

TEST_F(X11EditorTest, ClicksInTheEditorCommitOrCancelAnOpenBox)
{
    Open();
    const int x = Centre(kKnob.left, kKnob.right), y = Centre(kKnob.top, kKnob.bottom);
    struct Case
    {
        int button;
        double expected;
    };
    for (const Case& c : {Case{3, 50.0}, Case{1, 7.0}}) // right cancels, left commits
    {
        host->Click(EditorWindow(), x, y, 3);
        ASSERT_TRUE(Until([&] { return gui->PopUpView() != nullptr; }));
        Idle(60);
        host->Type("7");
        Idle(60);
        host->Click(EditorWindow(), 20, 200, c.button);
        ASSERT_TRUE(Until([&] { return gui->PopUpView() == nullptr; })) << "button " << c.button;
        EXPECT_DOUBLE_EQ(plug.GetParam(0)->value, c.expected) << "button " << c.button;
    }
}

TEST_F(X11EditorTest, ChoosingAListEntryCommitsIt)
{
    Open();
    host->Click(EditorWindow(), Centre(kList.left, kList.right), Centre(kList.top, kList.bottom), 3);
    ASSERT_TRUE(Until([&] { return gui->PopUpView() != nullptr; }));
    const IArea box = gui->PopUpView()->Box();
    const int row = (box.H() - 2) / 4;
    host->Click(gui->PopUpView()->Id(), 10, 1 + 2 * row + row / 2, 1); // "Clip"
    ASSERT_TRUE(Until([&] { return gui->PopUpView() == nullptr; }));
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->value, 2.0);
}

TEST_F(X11EditorTest, AClickGivesTheEditorTheKeysWhichMapThroughTheKeyTable)
{
    Open();
    host->Click(EditorWindow(), 420, 170, 1);
    Idle(60);
    host->Type("a1 ");
    host->Key(XK_Up);
    ASSERT_TRUE(Until([&] { return probe->keys.size() == 4; }));
    EXPECT_EQ(probe->keys, (std::vector<int32_t>{16, 7, 0, 1}));
}

TEST_F(X11EditorTest, HostWheelTurnsCountOnlyOverTheEditor)
{
    Open();
    host->MoveTo(EditorWindow(), Centre(kKnob.left, kKnob.right), Centre(kKnob.top, kKnob.bottom));
    EXPECT_TRUE(gui->ForwardHostWheel(-1.7f));
    ASSERT_EQ(plug.edits.size(), 1u);
    EXPECT_NEAR(plug.edits[0].normalized, 0.49, 1e-6);
    host->MoveTo(parent, 590, 290);
    EXPECT_FALSE(gui->ForwardHostWheel(1.0f));
}

TEST_F(X11EditorTest, OpenCloseReopenAndASecondEditorAtTheSameTime)
{
    Open();
    gui->CloseWindow();
    EXPECT_TRUE(host->Children(parent).empty());
    EXPECT_EQ(IGraphics::OpenWindowCount(), 0);
    Open();
    GuiTestEffect otherPlug;
    IGraphicsX11* other = Make(otherPlug);
    const Window otherParent = host->MakeParent(40, 330, 600, 300);
    ASSERT_NE(other->OpenWindow(reinterpret_cast<void*>(otherParent)), nullptr);
    EXPECT_EQ(IGraphics::OpenWindowCount(), 2);
    otherPlug.GetParam(0)->value = 0.0;
    other->SetParamFromPlugin(0, 0.0, true);
    PumpUntil([&] { gui->HostIdle(), other->HostIdle(); }, [] { return false; }, 150);
    const Window otherWindow = reinterpret_cast<uintptr_t>(other->NativeWindow());
    const int x = Centre(kKnob.left, kKnob.right), y = Centre(kKnob.top, kKnob.bottom);
    EXPECT_NE(host->Pixels(otherWindow, x, y, 1, 1), host->Pixels(EditorWindow(), x, y, 1, 1))
        << "each editor shows its own plug-in";
    other->CloseWindow();
    EXPECT_EQ(IGraphics::OpenWindowCount(), 1);
}

TEST_F(X11EditorTest, BadOrVanishedParentsNeverCrash)
{
    EXPECT_EQ(gui->OpenWindow(reinterpret_cast<void*>(uintptr_t{0x7ffffff0})), nullptr);
    EXPECT_EQ(gui->OpenWindow(nullptr), nullptr);
    EXPECT_EQ(IGraphics::OpenWindowCount(), 0);
    gui->CloseWindow(); // before any opening
    Open();
    host->DestroyWindow(parent); // the host tears down its frame first
    Idle(100);
    gui->CloseWindow();
    gui->CloseWindow();
    EXPECT_EQ(IGraphics::OpenWindowCount(), 0);
}

TEST_F(X11EditorTest, WithoutHostCallsItsOwnThreadDrivesTheWindow)
{
    ASSERT_NE(gui->OpenWindow(reinterpret_cast<void*>(parent)), nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    EXPECT_TRUE(gui->ThreadDriven());
    EXPECT_EQ(host->Pixels(EditorWindow(), 0, 0, 562, 270), BackBufferPixels());
    host->Click(EditorWindow(), Centre(kKnob.left, kKnob.right), Centre(kKnob.top, kKnob.bottom), 4);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    {
        PluginLock::Scoped hold(plug.Lock());
        EXPECT_EQ(plug.edits.size(), 1u) << "the wheel reached the knob on our thread";
    }
    gui->HostIdle(); // a late host call does nothing now
    gui->CloseWindow();
}
} // namespace
