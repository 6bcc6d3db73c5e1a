// The editor of the built vellicor_vst2 module in a host's X11 window (the test run's Xvfb): the
// host opens it with effEditOpen and drives it with effEditIdle from this thread; real input comes
// through XTest, and what reaches the host is read from its callback's record.
#include "tests/support/X11TestDisplay.h"
#include "tests/vellicor/support/EditorLayout.h"
#include "tests/vst2/Vst2TestHost.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <chrono>
#include <memory>
#include <thread>

namespace
{
using Clock = std::chrono::steady_clock;

class Vst2EditorTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { layout = new EditorLayout(); }
    static void TearDownTestSuite() { delete layout; }
    void SetUp() override
    {
        std::string why;
        ASSERT_TRUE(X11TestDisplay::UseTestServer(&why)) << why;
        display = std::make_unique<X11TestDisplay>();
        ASSERT_TRUE(display->Ok());
        handle = dlopen(VELLICOR_VST2_MODULE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
        entry = reinterpret_cast<VstPluginMainProc>(dlsym(handle, "VSTPluginMain"));
        effect = Make();
        ASSERT_NE(effect, nullptr);
        parent = display->MakeParent(10, 10, 600, 300);
    }
    void TearDown() override
    {
        for (AEffect* e : made)
            Dispatch(e, effClose);
        display.reset();
        // The module stays loaded, as a host keeps it while it runs: the editors' caches live as
        // long as the module (freed at its unload), which the leak check would otherwise report.
    }
    AEffect* Make()
    {
        AEffect* e = entry(&Vst2TestHost::Callback);
        if (!e) return nullptr;
        made.push_back(e);
        Dispatch(e, effOpen);
        Dispatch(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
        Dispatch(e, effSetBlockSize, 0, 512);
        Dispatch(e, effMainsChanged, 0, 1);
        return e;
    }
    intptr_t Open(AEffect* e, Window w) { return Dispatch(e, effEditOpen, 0, 0, reinterpret_cast<void*>(w)); }
    Window Editor(Window p) const
    {
        const auto children = display->Children(p);
        return children.empty() ? 0 : children.front();
    }
    // The host's idle loop for ms milliseconds, effEditIdle every 5 ms.
    void Idle(int ms, AEffect* other = nullptr)
    {
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (Clock::now() < end)
        {
            Dispatch(effect, effEditIdle);
            if (other) Dispatch(other, effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    std::vector<RecordedCall> EditsOf(int32_t index) const
    {
        std::vector<RecordedCall> out;
        for (const RecordedCall& c : host.calls)
            if (c.effect == effect && c.index == index &&
                (c.opcode == audioMasterAutomate || c.opcode == audioMasterBeginEdit ||
                 c.opcode == audioMasterEndEdit))
                out.push_back(c);
        return out;
    }
    static int CentreX(const IArea& r) { return EditorLayout::CentreX(r); }
    static int CentreY(const IArea& r) { return EditorLayout::CentreY(r); }

    static EditorLayout* layout;
    Vst2TestHost host;
    std::unique_ptr<X11TestDisplay> display;
    void* handle = nullptr;
    VstPluginMainProc entry = nullptr;
    std::vector<AEffect*> made;
    AEffect* effect = nullptr;
    Window parent = 0;
};
EditorLayout* Vst2EditorTest::layout = nullptr;

TEST_F(Vst2EditorTest, OpensInTheHostWindowAndDrawsFromEditIdle)
{
    EXPECT_EQ(effect->flags, 0x1019);
    ERect* rect = nullptr;
    ASSERT_EQ(Dispatch(effect, effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 270);
    EXPECT_EQ(rect->right, 562);
    ASSERT_EQ(Open(effect, parent), 1);
    ASSERT_NE(Editor(parent), 0u);
    Idle(150);
    // The artwork is on screen: the big knob's picture is not one flat colour.
    const IArea k = layout->knob[kInputGain];
    const auto pixels = display->Pixels(Editor(parent), k.left, k.top, k.W(), k.H());
    EXPECT_NE(std::count(pixels.begin(), pixels.end(), pixels.front()), static_cast<long>(pixels.size()));
    EXPECT_EQ(Dispatch(effect, effEditClose), 1);
    EXPECT_EQ(Editor(parent), 0u);
    EXPECT_EQ(Open(effect, 0x7ffffff0), 0) << "a parent the server does not know";
}

TEST_F(Vst2EditorTest, DraggingAKnobByItsHeightSendsBeginAutomateAndEnd)
{
    ASSERT_EQ(Open(effect, parent), 1);
    Idle(100);
    const IArea k = layout->knob[kInputGain];
    display->MoveTo(Editor(parent), CentreX(k), CentreY(k));
    display->Press(1);
    Idle(60);
    display->MoveTo(Editor(parent), CentreX(k), CentreY(k) - k.H());
    Idle(60);
    display->Release(1);
    Idle(60);
    const auto calls = EditsOf(kInputGain);
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(calls.back().opcode, audioMasterEndEdit);
    for (size_t i = 1; i + 1 < calls.size(); ++i)
    {
        EXPECT_EQ(calls[i].opcode, audioMasterAutomate);
        EXPECT_FLOAT_EQ(calls[i].opt, 0.75f);
    }
    EXPECT_FLOAT_EQ(effect->getParameter(effect, kInputGain), 0.75f);
}

TEST_F(Vst2EditorTest, TheHostsWheelRequestTurnsTheKnobUnderThePointerAndEndsLater)
{
    ASSERT_EQ(Open(effect, parent), 1);
    Idle(100);
    const IArea k = layout->knob[kStereoLink];
    display->MoveTo(Editor(parent), CentreX(k), CentreY(k));
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, kVendorWheelIndex, kVendorWheelValue, nullptr, 1.0f), 1);
    const auto start = Clock::now();
    while (EditsOf(kStereoLink).size() < 3 && Clock::now() - start < std::chrono::seconds(2))
        Idle(5);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const auto calls = EditsOf(kStereoLink);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(calls[1].opcode, audioMasterAutomate);
    EXPECT_FLOAT_EQ(calls[1].opt, 0.71f);
    EXPECT_EQ(calls[2].opcode, audioMasterEndEdit);
    // 12 ticks of 41 ms, the first of them possibly at once; the clock is read after the request.
    EXPECT_GT(ms, 10 * 41.0);
    EXPECT_LT(ms, 3000.0) << "a busy machine delays ticks, never removes them";

    display->MoveTo(parent, 590, 290); // beside the editor
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, kVendorWheelIndex, kVendorWheelValue, nullptr, 1.0f), 0);
}

TEST_F(Vst2EditorTest, OpenCloseReopenAndTwoInstancesAtOnce)
{
    ASSERT_EQ(Open(effect, parent), 1);
    Idle(60);
    EXPECT_EQ(Dispatch(effect, effEditClose), 1);
    EXPECT_EQ(Dispatch(effect, effEditClose), 1); // closing twice is harmless
    ASSERT_EQ(Open(effect, parent), 1);
    ASSERT_EQ(Open(effect, parent), 1); // opening twice keeps one window
    EXPECT_EQ(display->Children(parent).size(), 1u);
    AEffect* second = Make();
    ASSERT_NE(second, nullptr);
    const Window otherParent = display->MakeParent(40, 330, 600, 300);
    ASSERT_EQ(Open(second, otherParent), 1);
    Idle(150, second);
    const IArea k = layout->knob[kOutLimit];
    EXPECT_EQ(display->Pixels(Editor(parent), k.left, k.top, k.W(), k.H()),
              display->Pixels(Editor(otherParent), k.left, k.top, k.W(), k.H()));
    display->DestroyWindow(otherParent); // a host that tears its frame down first
    Idle(60, second);
    EXPECT_EQ(Dispatch(second, effEditClose), 1);
}
} // namespace
