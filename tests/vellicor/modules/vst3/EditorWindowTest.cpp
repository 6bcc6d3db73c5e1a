// The editor of the built vellicor_vst3 bundle in a host's X11 window (the test run's Xvfb): the
// host's frame offers a run loop that this thread runs, real input comes through XTest, and what
// reaches the host is read from its component handler and the component's state.
#include "tests/support/X11TestDisplay.h"
#include "tests/vellicor/modules/vst3/Vst3ModuleLoader.h"
#include "tests/vellicor/support/EditorLayout.h"
#include "tests/vst3/TestHost.h"
#include "tests/vst3/TestRunLoop.h"
#include "vellicor/editor/controls/GRAPH.h"
#include "vellicor/plugin/VellicorParams.h"

#include "pluginterfaces/gui/iplugview.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <thread>

using namespace testhost;

namespace
{
using Clock = std::chrono::steady_clock;
using Call = ComponentHandler::Call;

// One plug-in instance with its editor view, as a host holds it.
struct Instance
{
    Instance(Module& m, X11TestDisplay& display, int x, int y) : display(display)
    {
        component = m.Create<IComponent>();
        if (!component) return;
        component->initialize(&host);
        controller = Query<IEditController>(component);
        controller->setComponentHandler(&handler);
        view = controller->createView("editor");
        if (view) view->setFrame(&frame);
        parent = display.MakeParent(x, y, 600, 300);
    }
    ~Instance()
    {
        if (view)
        {
            view->removed();
            view->release();
        }
        if (!component) return;
        controller->setComponentHandler(nullptr);
        component->terminate();
        controller->release();
        component->release();
    }
    tresult Attach()
    {
        return view->attached(reinterpret_cast<void*>(parent), kPlatformTypeX11EmbedWindowID);
    }
    Window Editor() const
    {
        const auto children = display.Children(parent);
        return children.empty() ? 0 : children.front();
    }
    double Stored(int32_t index) // the parameter's real value, from the component's state
    {
        MemoryStream s;
        double v = -1.0;
        if (component->getState(&s) == kResultOk && s.bytes.size() >= static_cast<size_t>(8 * (index + 1)))
            std::memcpy(&v, s.bytes.data() + 8 * index, 8);
        return v;
    }
    std::vector<Call> CallsFor(ParamID id) const
    {
        std::vector<Call> out;
        for (const Call& c : handler.calls)
            if (c.id == id) out.push_back(c);
        return out;
    }

    X11TestDisplay& display;
    HostApplication host{"Test Host"};
    ComponentHandler handler;
    TestRunLoop frame;
    IComponent* component = nullptr;
    IEditController* controller = nullptr;
    IPlugView* view = nullptr;
    Window parent = 0;
};

class Vst3EditorTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!module) module = new Module();
        layout = new EditorLayout();
    }
    static void TearDownTestSuite()
    {
        delete layout;
        // The module stays loaded, as a host keeps it while it runs: the editors' caches live as
        // long as the module (freed at its unload), which the leak check would otherwise report.
    }
    void SetUp() override
    {
        std::string why;
        ASSERT_TRUE(X11TestDisplay::UseTestServer(&why)) << why;
        ASSERT_NE(module->Factory(), nullptr) << module->error;
        display = std::make_unique<X11TestDisplay>();
        ASSERT_TRUE(display->Ok());
        a = std::make_unique<Instance>(*module, *display, 10, 10);
        ASSERT_NE(a->view, nullptr);
    }
    void TearDown() override { a.reset(); }
    // Opens a's editor and lets it draw.
    void Open()
    {
        ASSERT_EQ(a->Attach(), kResultOk);
        ASSERT_NE(a->Editor(), 0u);
        a->frame.Run(150);
        a->handler.calls.clear();
    }
    static int CentreX(const IArea& r) { return EditorLayout::CentreX(r); }
    static int CentreY(const IArea& r) { return EditorLayout::CentreY(r); }

    static Module* module;
    static EditorLayout* layout;
    std::unique_ptr<X11TestDisplay> display;
    std::unique_ptr<Instance> a;
};
Module* Vst3EditorTest::module = nullptr;
EditorLayout* Vst3EditorTest::layout = nullptr;

TEST_F(Vst3EditorTest, OpensInTheHostWindowDrivenByItsRunLoopEvery41Ms)
{
    EXPECT_EQ(a->view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultOk);
    EXPECT_EQ(a->view->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);
    ViewRect r;
    ASSERT_EQ(a->view->getSize(&r), kResultOk);
    EXPECT_EQ(r.right, 562);
    EXPECT_EQ(r.bottom, 270);
    Open();
    EXPECT_EQ(a->frame.log, (std::vector<std::string>{"fd+", "timer+ 41"}));
    // The picture is the editor's: the window equals what the same editor draws without one.
    auto* reference = static_cast<IGraphics*>(layout->reference.GetGUI());
    reference->MarkAllChanged();
    IArea dirty;
    if (reference->CollectDirty(&dirty)) reference->DrawDirty(dirty);
    const IArea knob = layout->knob[kInputGain];
    const auto shown = display->Pixels(a->Editor(), knob.left, knob.top, knob.W(), knob.H());
    PIX_SysBitmap* b = reference->BackBuffer();
    std::vector<uint32_t> expected;
    for (int y = knob.top; y < knob.bottom; ++y)
        for (int x = knob.left; x < knob.right; ++x)
            expected.push_back(b->PixelData()[y * b->RowSpanPixels() + x] & 0xffffffu);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(a->view->getSize(&r), kResultOk);
    EXPECT_EQ(r.right, 562);
}

TEST_F(Vst3EditorTest, DraggingAKnobByItsHeightSendsBeginPlusAQuarterAndEnd)
{
    Open();
    const IArea k = layout->knob[kInputGain];
    display->MoveTo(a->Editor(), CentreX(k), CentreY(k));
    display->Press(1);
    a->frame.Run(60);
    display->MoveTo(a->Editor(), CentreX(k), CentreY(k) - k.H());
    a->frame.Run(60);
    display->Release(1);
    a->frame.Run(60);
    // One gesture; the knob's release sends its value once more.
    const auto& calls = a->handler.calls;
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front(), (Call{'b', kInputGain, 0.0}));
    EXPECT_EQ(calls.back(), (Call{'e', kInputGain, 0.0}));
    for (size_t i = 1; i + 1 < calls.size(); ++i)
        EXPECT_EQ(calls[i], (Call{'p', kInputGain, 0.75})) << "call " << i;
    EXPECT_DOUBLE_EQ(a->Stored(kInputGain), 9.0);
}

TEST_F(Vst3EditorTest, AWheelNotchEditsAndTheGestureEndsAboutHalfASecondLater)
{
    Open();
    const IArea k = layout->knob[kStereoLink];
    display->Click(a->Editor(), CentreX(k), CentreY(k), 4);
    const auto start = Clock::now();
    int ticksAtEdit = -1;
    while (a->CallsFor(kStereoLink).size() < 3 && Clock::now() - start < std::chrono::seconds(3))
    {
        a->frame.Run(5);
        if (ticksAtEdit < 0 && a->CallsFor(kStereoLink).size() == 2) ticksAtEdit = a->frame.timerCalls;
    }
    const auto calls = a->CallsFor(kStereoLink);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].kind, 'b');
    EXPECT_EQ(calls[1].kind, 'p');
    EXPECT_NEAR(calls[1].value, 0.71, 1e-6);
    EXPECT_EQ(calls[2].kind, 'e');
    // max(1, 24 / 2) periods of 41 ms later by the clock: on the first of the host's timer ticks
    // due then, counted on its run loop (the edit itself may arrive in the same turn of the loop as
    // a tick, and a tick may fall just short of the moment).
    EXPECT_GE(a->frame.timerCalls - ticksAtEdit, 11);
    EXPECT_LE(a->frame.timerCalls - ticksAtEdit, 13);
}

TEST_F(Vst3EditorTest, RightClickTypingTwelveAndReturnSetsTheValue)
{
    Open();
    const IArea k = layout->knob[kInputGain];
    display->Click(a->Editor(), CentreX(k), CentreY(k), 3);
    a->frame.Run(100);
    ASSERT_EQ(display->Children(a->Editor()).size(), 1u) << "the entry box opens over the editor";
    display->Type("12");
    display->Key(XK_Return);
    a->frame.Run(150);
    EXPECT_TRUE(display->Children(a->Editor()).empty());
    EXPECT_DOUBLE_EQ(a->Stored(kInputGain), 12.0);
    const auto calls = a->CallsFor(kInputGain);
    ASSERT_GE(calls.size(), 3u);
    // The commit is the last gesture: begin, the value, end.
    const Call& value = calls[calls.size() - 2];
    EXPECT_EQ(calls[calls.size() - 3].kind, 'b');
    EXPECT_EQ(value.kind, 'p');
    EXPECT_NEAR(value.value, 30.0 / 36.0, 1e-9);
    EXPECT_EQ(calls.back().kind, 'e');
}

TEST_F(Vst3EditorTest, AClickOnTheMeterPanelSetsTheTargetAttenuation)
{
    Open();
    const int x = (GRAPH::kBarLeft.left + GRAPH::kBarLeft.right) / 2;
    display->Click(a->Editor(), x, CentreY(GRAPH::kBarLeft), 1);
    a->frame.Run(100);
    // The stored target keeps its fraction; the panel rounds it when reading.
    const double target = std::clamp(GRAPH::TargetForX(x), 0.0, 15.0);
    ASSERT_GT(std::abs(target - 5.0), 1.0) << "pick a place that changes the default";
    EXPECT_DOUBLE_EQ(a->Stored(kTargetAttenuation), target);
}

TEST_F(Vst3EditorTest, OpenCloseReopenAndTwoInstancesAtOnce)
{
    Open();
    ASSERT_EQ(a->view->removed(), kResultOk);
    EXPECT_EQ(a->Editor(), 0u);
    EXPECT_TRUE(a->frame.timers.empty() && a->frame.watches.empty());
    Open();
    Instance b(*module, *display, 40, 330);
    ASSERT_EQ(b.Attach(), kResultOk);
    ASSERT_NE(b.Editor(), 0u);
    b.frame.Run(150);
    const IArea k = layout->knob[kOutLimit];
    EXPECT_EQ(display->Pixels(a->Editor(), k.left, k.top, k.W(), k.H()),
              display->Pixels(b.Editor(), k.left, k.top, k.W(), k.H()));
    display->Click(b.Editor(), CentreX(k), CentreY(k), 5);
    b.frame.Run(60);
    a->frame.Run(60);
    EXPECT_FALSE(b.CallsFor(kOutLimit).empty());
    EXPECT_TRUE(a->CallsFor(kOutLimit).empty()) << "each editor edits its own instance";
}

TEST_F(Vst3EditorTest, AHostParentDestroyedFirstOrAFrameWithoutRunLoopStillWork)
{
    a->frame.offerRunLoop = false;
    ASSERT_EQ(a->Attach(), kResultOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(800)); // our own thread draws meanwhile
    const IArea k = layout->knob[kInputGain];
    display->Click(a->Editor(), CentreX(k), CentreY(k), 4);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(a->Stored(kInputGain) > 0.0, true) << "the wheel reached the editor without host calls";
    display->DestroyWindow(a->parent);
    EXPECT_EQ(a->view->removed(), kResultOk);
    EXPECT_EQ(a->view->removed(), kResultOk);
}
} // namespace
