// The graphics core through the headless window: redraw cycle, dispatch, gestures, windows, caches.
#include "gui/IGraphicsCaches.h"
#include "tests/gui/GuiFixture.h"

#include <climits>
#include <cmath>

using namespace guitest;

using RedrawTest = EditorTest;

TEST_F(RedrawTest, HostValueDrawsOnTwoTicksAndAQuietTickPaintsNothing)
{
    ProbeControl* knob = Probe({10, 10, 50, 50}, 0);
    ProbeControl* other = Probe({60, 10, 90, 50}, 1);
    Open();
    ASSERT_EQ(knob->renders, 2);
    const int presents = gui->PresentCount();

    gui->Tick();
    EXPECT_EQ(gui->PresentCount(), presents) << "nothing changed: no paint";

    plug.SetParamFromHost(0, 0.9);
    EXPECT_EQ(knob->renders, 2) << "nothing is drawn before the next tick";
    gui->Tick(3);
    EXPECT_EQ(knob->renders, 4) << "drawn on two consecutive ticks, then no more";
    EXPECT_EQ(other->renders, 2) << "outside the dirty area";
    EXPECT_EQ(gui->LastPresented(), (IArea{10, 10, 50, 50}));
    EXPECT_TRUE(plug.edits.empty()) << "a host value is never echoed";
}

TEST_F(RedrawTest, HiddenControlsAreSkippedButMarkedDrawn)
{
    ProbeControl* c = Probe({0, 0, 20, 20});
    c->SetHidden(true);
    Open();
    gui->Tick(3);
    EXPECT_EQ(c->renders, 0);
    EXPECT_FALSE(c->NeedsRedraw());
}

TEST_F(RedrawTest, OverlapDrawsLowerFirstAndTheHigherIndexTakesThePress)
{
    ProbeControl* low = Probe({0, 0, 50, 50}, -1, "low");
    ProbeControl* high = Probe({25, 25, 75, 75}, -1, "high");
    ProbeControl* greyed = Probe({25, 25, 75, 75}, -1, "greyed");
    greyed->SetGreyed(true);
    Open();
    EXPECT_EQ(log, (std::vector<std::string>{"low", "high", "greyed"}));

    gui->Click(30, 30);
    EXPECT_EQ(high->presses, 1);
    EXPECT_EQ(low->presses + greyed->presses, 0) << "greyed controls take no mouse events";
    gui->Click(10, 10);
    EXPECT_EQ(low->presses, 1);
}

using DispatchTest = EditorTest;

TEST_F(DispatchTest, CapturedControlGetsEveryDragOnceEvenOutsideTheWindow)
{
    ProbeControl* c = Probe({10, 10, 30, 30});
    Open();
    gui->OnLeftButtonDown(20, 20, Left());
    gui->OnPointerMove(25, 18, Left());
    gui->OnPointerMove(25, 18, Left()); // same position again
    gui->OnPointerMove(-500, 9000, Left());
    gui->OnPointerMove(INT_MIN, INT_MAX, Left());
    gui->OnButtonUp(INT_MIN, INT_MAX, Left());
    ASSERT_EQ(c->drags.size(), 3u);
    EXPECT_EQ(c->drags[0], (IArea{25, 18, 5, -2}));
    EXPECT_EQ(c->drags[1], (IArea{-500, 9000, -525, 8982}));
    EXPECT_EQ(c->releases, 1) << "the release reaches the captured control wherever it happens";

    gui->OnPointerMove(26, 19, Left());
    gui->OnPointerMove(26, 20, {}); // no button: ignored
    EXPECT_EQ(c->drags.size(), 3u) << "no drags after the release";
}

TEST_F(DispatchTest, WheelKeysAndMissesByPosition)
{
    ProbeControl* c = Probe({10, 10, 30, 30}, 0);
    Open();
    gui->OnWheel(20, 20, {}, 60);
    gui->OnWheel(20, 20, {}, -240);
    gui->OnWheel(100, 100, {}, 120); // nothing there
    EXPECT_EQ(c->wheels, (std::vector<int32_t>{0, -2})) << "a half notch still arrives, as 0";

    gui->OnKeyDown(20, 20, IInputMap::NamedKey::kNone, 'b');
    gui->OnKeyDown(20, 20, IInputMap::NamedKey::kLeft, 0);
    gui->OnKeyDown(20, 20, IInputMap::NamedKey::kNone, 0x1B); // not in the table
    EXPECT_EQ(c->keys, (std::vector<int32_t>{17, 3}));
}

using GestureTest = EditorTest;

TEST_F(GestureTest, PressDragReleaseSendsBeginValuesEnd)
{
    auto* knob = new TestKnob(&plug, {0, 0, 40, 40}, 0);
    gui->AddControl(knob);
    Open();
    gui->OnLeftButtonDown(20, 20, Left());
    gui->OnPointerMove(20, 10, Left());
    gui->OnButtonUp(20, 10, Left());
    ASSERT_EQ(plug.edits.size(), 3u);
    EXPECT_EQ(plug.edits[0], (Edit{Kind::Begin, 0, 0.0}));
    EXPECT_EQ(plug.edits[1].kind, Kind::Edited);
    EXPECT_NEAR(plug.edits[1].normalized, 0.5 + 10.0 / 40.0 / 4.0, 1e-12);
    EXPECT_EQ(plug.edits[2], (Edit{Kind::End, 0, 0.0}));
}

TEST_F(GestureTest, WheelGestureEndsTwelveTicksAfterTheLastStep)
{
    Probe({0, 0, 40, 40}, 0);
    Open();
    gui->OnWheel(20, 20, {}, 120);
    gui->Tick(6);
    gui->OnWheel(20, 20, {}, 120); // restarts the countdown
    gui->Tick(11);
    ASSERT_EQ(plug.edits.size(), 2u);
    EXPECT_EQ(plug.edits.back().kind, Kind::Edited);
    gui->Tick();
    ASSERT_EQ(plug.edits.size(), 3u);
    EXPECT_EQ(plug.edits.back(), (Edit{Kind::End, 0, 0.0}));
    EXPECT_FALSE(gui->DeferredEditPending());
}

TEST_F(GestureTest, WheelGestureEndsByTheClockHoweverSlowlyTheTimerRuns)
{
    // A VST2 host may idle the editor a few times a second: the end still comes about half a
    // second (12 periods of 41 ms) after the last notch, not after 12 of its idle calls.
    Probe({0, 0, 40, 40}, 0);
    Open();
    gui->OnWheel(20, 20, {}, 120);
    gui->AdvanceClock(400);
    gui->Tick(); // 441 ms
    EXPECT_EQ(plug.edits.back().kind, Kind::Edited);
    gui->AdvanceClock(250);
    gui->Tick(); // 732 ms
    EXPECT_EQ(plug.edits.back(), (Edit{Kind::End, 0, 0.0}));
}

TEST_F(GestureTest, HostEchoesOfTheDraggedParameterLeaveItsControlAlone)
{
    auto* knob = new TestKnob(&plug, {0, 0, 40, 40}, 0);
    gui->AddControl(knob);
    ProbeControl* other = Probe({50, 0, 90, 40}, 1);
    Open();
    gui->OnLeftButtonDown(20, 20, Left());
    gui->OnPointerMove(20, 10, Left());
    const double dragged = knob->Value();
    gui->SetParamFromPlugin(0, 0.9, true); // the host's echo of an earlier edit
    gui->SetParamFromPlugin(1, 0.3, true);
    EXPECT_EQ(knob->Value(), dragged);
    EXPECT_EQ(other->Value(), 0.3) << "other parameters follow the host";
    gui->OnButtonUp(20, 10, Left());
    gui->SetParamFromPlugin(0, 0.9, true);
    EXPECT_EQ(knob->Value(), 0.9) << "after the release the host's values show again";
}

// Records the order in which closing takes the window apart.
class TornDownHeadless : public IGraphicsHeadless
{
public:
    using IGraphicsHeadless::IGraphicsHeadless;
    ~TornDownHeadless() override { CloseWindow(); }
    void StopWindowDriver() override { steps.push_back("stop the driver"); }
    void DestroyPopup() override
    {
        steps.push_back("pop-up");
        IGraphicsHeadless::DestroyPopup();
    }
    void DestroyNativeWindow() override
    {
        steps.push_back("window");
        IGraphicsHeadless::DestroyNativeWindow();
    }
    std::vector<std::string> steps;
};

TEST(GraphicsWindow, ClosingStopsTheDriverFirstAndEndsTheOpenPress)
{
    GuiTestEffect plug;
    auto* gui = new TornDownHeadless(&plug, 200, 100);
    gui->AddControl(new ProbeControl(&plug, {0, 0, 40, 40}, 0));
    plug.AttachEditor(gui);
    ASSERT_NE(gui->OpenWindow(reinterpret_cast<void*>(1)), nullptr);
    gui->OnRightButtonDown(20, 20, Right()); // a press whose release never comes, and its pop-up
    ASSERT_TRUE(gui->Popup().IsOpen());
    gui->CloseWindow();
    EXPECT_EQ(gui->steps, (std::vector<std::string>{"stop the driver", "pop-up", "window"}));
    EXPECT_EQ(plug.edits, (std::vector<Edit>{{Kind::Begin, 0, 0.0}, {Kind::End, 0, 0.0}}))
        << "the host hears the end of the press the window took with it";
}

TEST_F(GestureTest, ClosingTheWindowFlushesAPendingWheelEnd)
{
    Probe({0, 0, 40, 40}, 1);
    Open();
    gui->OnWheel(20, 20, {}, 120);
    gui->CloseWindow();
    ASSERT_FALSE(plug.edits.empty());
    EXPECT_EQ(plug.edits.back(), (Edit{Kind::End, 1, 0.0}));
    EXPECT_FALSE(gui->DeferredEditPending());
}

TEST_F(GestureTest, ControlsBoundBeyondTheParameterListSendNothing)
{
    ProbeControl* c = Probe({0, 0, 40, 40}, 7);
    Open();
    plug.SetParamFromHost(7, 0.5);
    gui->SetParamFromPlugin(7, 0.25, true);
    gui->SetParamFromPlugin(7, 25.0, false); // no parameter to normalise with: ignored
    EXPECT_EQ(c->Value(), 0.25);
    gui->Click(10, 10, Right()); // asks for a value entry: none for a missing parameter
    gui->OnDoubleClick(10, 10, Left());
    gui->OnButtonUp(10, 10, Left());
    gui->OnWheel(10, 10, {}, 120);
    gui->Tick(20);
    EXPECT_TRUE(plug.edits.empty());
    EXPECT_FALSE(gui->Popup().IsOpen());
}

TEST_F(GestureTest, DoubleClickRestoresTheDefaultWithinOneGesture)
{
    ProbeControl* c = Probe({0, 0, 40, 40}, 0);
    Open(); // the attach pushed 0.5 (50 of 0..100): the default
    gui->Click(20, 20);
    c->SetValue(0.9);
    plug.edits.clear();
    gui->OnDoubleClick(20, 20, Left());
    gui->OnButtonUp(20, 20, Left());
    EXPECT_EQ(plug.edits,
              (std::vector<Edit>{{Kind::Begin, 0, 0.0}, {Kind::Edited, 0, 0.5}, {Kind::End, 0, 0.0}}));
}

TEST_F(GestureTest, EditorPushesReachTheBoundControlsAndTheHost)
{
    ProbeControl* a = Probe({0, 0, 10, 10}, 1);
    ProbeControl* b = Probe({20, 0, 30, 10}, 1);
    Open();
    gui->PushParamFromEditor(1, 2.0); // clamped by the controls before it leaves
    EXPECT_EQ(a->Value() + b->Value(), 2.0);
    EXPECT_EQ(plug.edits, (std::vector<Edit>{{Kind::Edited, 1, 1.0}, {Kind::Edited, 1, 1.0}}));
    EXPECT_EQ(plug.GetParam(1)->value, 15.0);
}

TEST(GraphicsWindow, WindowsShareOneClassAndCountAcrossEditors)
{
    GuiTestEffect a, b;
    auto* ga = new IGraphicsHeadless(&a, 50, 50, 30);
    auto* gb = new IGraphicsHeadless(&b, 50, 50);
    a.AttachEditor(ga);
    b.AttachEditor(gb);
    ASSERT_EQ(IGraphics::OpenWindowCount(), 0);
    ga->OpenWindow(reinterpret_cast<void*>(1));
    EXPECT_EQ(IGraphics::TimerPeriodMs(), 33);
    gb->OpenWindow(reinterpret_cast<void*>(1));
    EXPECT_EQ(IGraphics::TimerPeriodMs(), 41);
    gb->OpenWindow(reinterpret_cast<void*>(2)); // reopening closes first
    EXPECT_EQ(IGraphics::OpenWindowCount(), 2);
    ga->CloseWindow();
    EXPECT_TRUE(IGraphicsHeadless::WindowClassRegistered());
    gb->CloseWindow();
    gb->CloseWindow();
    EXPECT_EQ(IGraphics::OpenWindowCount(), 0);
    EXPECT_FALSE(IGraphicsHeadless::WindowClassRegistered());
}

TEST(GraphicsWindow, ForwardedHostWheelActsAtThePointer)
{
    GuiTestEffect plug;
    auto* g = new IGraphicsHeadless(&plug, 50, 50);
    auto* c = new ProbeControl(&plug, {0, 0, 50, 50}, 0);
    g->AddControl(c);
    plug.AttachEditor(g);
    EXPECT_FALSE(g->ForwardHostWheel(1.0f)) << "no window";
    g->OpenWindow(reinterpret_cast<void*>(1));
    g->SetPointer(80, 10);
    EXPECT_FALSE(g->ForwardHostWheel(1.0f)) << "pointer outside the editor";
    g->SetPointer(10, 10);
    g->SetKeyboardModifiers({false, false, true, false, false});
    EXPECT_TRUE(g->ForwardHostWheel(2.7f));
    EXPECT_TRUE(g->ForwardHostWheel(NAN));
    EXPECT_EQ(c->wheels, (std::vector<int32_t>{2, 0}));
    EXPECT_DOUBLE_EQ(c->Value(), 0.5 + double(0.01f * 0.1f * 2.0f)) << "keyboard shift: fine steps";
    g->CloseWindow();
}

TEST(GraphicsCaches, BitmapsAreSharedAcrossEditorsAndFreedOnce)
{
    RegisterTestArtwork();
    IGraphicsCaches::FreeAll();
    GuiTestEffect a, b;
    IGraphicsHeadless ga(&a, 10, 10), gb(&b, 10, 10);
    const IBitmapRef first = ga.LoadBitmap(kBackgroundId, "bg");
    const IBitmapRef second = gb.LoadBitmap(kBackgroundId, "bg", 3);
    ASSERT_NE(first.bitmap, nullptr);
    EXPECT_EQ(first.width, 20);
    EXPECT_EQ(first.bitmap, second.bitmap);
    EXPECT_EQ(second.frames, 3);
    EXPECT_EQ(IGraphicsCaches::BitmapCount(), 1);

    const IBitmapRef missing = ga.LoadBitmap(9999, "none", 2);
    EXPECT_EQ(missing.bitmap, nullptr);
    EXPECT_EQ(missing.width, 0);
    EXPECT_EQ(IGraphicsCaches::BitmapCount(), 1) << "nothing is cached for a missing image";

    EXPECT_FALSE(IGraphicsCaches::FreeAll()) << "editors still point into the caches";
    EXPECT_EQ(IGraphicsCaches::BitmapCount(), 1);
}

TEST(GraphicsCaches, ModuleUnloadFreesEverythingOnce)
{
    RegisterTestArtwork();
    {
        GuiTestEffect plug;
        IGraphicsHeadless g(&plug, 10, 10);
        g.PrepareBackBuffer();
        g.LoadBitmap(kStripId, "strip");
        ITextStyle style("DejaVu Sans", 12, IRgba{});
        ASSERT_TRUE(g.DrawStyledText(style, "a", {0, 0, 10, 10}));
    }
    ASSERT_GE(IGraphicsCaches::FontCount(), 1);
    EXPECT_TRUE(IGraphicsCaches::FreeAll()); // the sanitizer run shows each is deleted exactly once
    EXPECT_EQ(IGraphicsCaches::BitmapCount() + IGraphicsCaches::FontCount(), 0);
    EXPECT_TRUE(IGraphicsCaches::FreeAll());
}
