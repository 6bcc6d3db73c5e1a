// The standard controls' own rules: defaults, gearing, wheel steps, film strips, greying, links.
#include "gui/IBitmapControl.h"
#include "gui/IEditableTextControl.h"
#include "gui/IKnobControl.h"
#include "gui/IURLControl.h"
#include "tests/gui/GuiFixture.h"

#include <cmath>
#include <limits>

using namespace guitest;

TEST(IControl, FirstHostValueBecomesTheDefaultThatDoubleClickRestores)
{
    GuiTestEffect plug;
    ProbeControl c(&plug, {0, 0, 10, 10}, 0);
    c.ApplyValueFromHost(0.3);
    c.ApplyValueFromHost(0.8);
    EXPECT_DOUBLE_EQ(c.DefaultValue(), 0.3);
    EXPECT_DOUBLE_EQ(c.Value(), 0.8);

    c.DoublePressAt(5, 5, {});
    EXPECT_DOUBLE_EQ(c.Value(), 0.3);
    ASSERT_EQ(plug.edits.size(), 1u);
    EXPECT_EQ(plug.edits[0], (Edit{Kind::Edited, 0, 0.3})) << "the restored default reaches the host";
}

TEST(IControl, HostValuesNeverEchoAndAnEqualValueDrawsNothing)
{
    GuiTestEffect plug;
    ProbeControl c(&plug, {0, 0, 10, 10}, 0);
    c.ApplyValueFromHost(0.5);
    c.MarkDrawn();
    c.MarkDrawn();
    ASSERT_FALSE(c.NeedsRedraw());
    c.ApplyValueFromHost(0.5);
    EXPECT_FALSE(c.NeedsRedraw());
    c.ApplyValueFromHost(0.6);
    EXPECT_TRUE(c.NeedsRedraw());
    EXPECT_TRUE(plug.edits.empty());
}

TEST(IControl, NonFiniteHostValuesAreClampedOnArrival)
{
    GuiTestEffect plug;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    ProbeControl first(&plug, {0, 0, 10, 10}, 0);
    first.ApplyValueFromHost(nan);
    EXPECT_EQ(first.DefaultValue(), 0.0) << "a NaN must not become the default";
    first.ApplyValueFromHost(inf);
    EXPECT_EQ(first.Value(), 1.0);
    first.ApplyValueFromHost(-inf);
    EXPECT_EQ(first.Value(), 0.0);
    first.DoublePressAt(0, 0, {});
    ASSERT_FALSE(plug.edits.empty());
    EXPECT_EQ(plug.edits.back().normalized, 0.0);
}

TEST(IKnobControl, DragGearingFineAdjustAndClamping)
{
    const struct
    {
        bool horizontal;
        int32_t dx, dy;
        IMouseMods mods;
        double start, expected;
    } cases[] = {
        {false, 0, -40, {}, 0.5, 0.75},           // full height up, gearing 4
        {false, 0, -40, LeftShift(), 0.5, 0.525}, // fine adjust: ten times finer
        {false, 0, -40, {false, false, false, true, false}, 0.5, 0.525},
        {false, 0, 40, {}, 0.5, 0.25},
        {true, 20, 0, {}, 0.5, 0.625},  // half the width to the right
        {false, 0, -400, {}, 0.5, 1.0}, // beyond the range: clamped
        {false, 0, 400, {}, 0.5, 0.0},
    };
    for (const auto& c : cases)
    {
        GuiTestEffect plug;
        TestKnob knob(&plug, {0, 0, 40, 40}, 0, c.horizontal, 4.0);
        knob.SetValue(c.start);
        knob.DragBy(0, 0, c.dx, c.dy, c.mods);
        EXPECT_NEAR(knob.Value(), c.expected, 1e-12) << "dx " << c.dx << " dy " << c.dy;
        ASSERT_EQ(plug.edits.size(), 1u);
        EXPECT_EQ(plug.edits[0].normalized, knob.Value()) << "the host receives the clamped value";
    }
}

TEST(IControl, WheelStepsByParameterKind)
{
    const struct
    {
        int32_t param, notches;
        bool fine;
        double expected;
    } cases[] = {
        {0, 1, false, 0.5 + double(0.01f)},              // real
        {1, -2, false, 0.5 + double(-0.02f)},            // integer
        {0, 3, true, 0.5 + double(0.01f * 0.1f * 3.0f)}, // fine adjust
        {2, 1, false, 0.5 + double(0.5f / 4.0f)},        // four named values
        {0, 0, false, 0.5},                              // a part notch moves nothing
    };
    for (const auto& c : cases)
    {
        GuiTestEffect plug;
        ProbeControl ctl(&plug, {0, 0, 10, 10}, c.param);
        ctl.SetValue(0.5);
        ctl.WheelAt(0, 0, {false, false, c.fine, false, false}, c.notches);
        EXPECT_DOUBLE_EQ(ctl.Value(), c.expected) << "param " << c.param;
    }
    GuiTestEffect plug;
    ProbeControl unbound(&plug, {0, 0, 10, 10}), beyond(&plug, {0, 0, 10, 10}, 9);
    unbound.WheelAt(0, 0, {}, 5);
    beyond.WheelAt(0, 0, {}, 5);
    EXPECT_EQ(unbound.Value() + beyond.Value(), 0.0);
    EXPECT_TRUE(plug.edits.empty());
}

TEST(IBitmapControl, FilmStripFrameFollowsTheValue)
{
    const struct
    {
        int32_t frames;
        double value;
        int32_t frame;
    } cases[] = {{3, 0.0, 1}, {3, 0.2499, 1}, {3, 0.25, 2}, {3, 0.7499, 2}, {3, 0.75, 3},
                 {3, 1.0, 3}, {1, 0.9, 1},    {0, 0.9, 1},  {61, 0.5, 31},  {3, std::nan(""), 1}};
    for (const auto& c : cases)
    {
        IBitmapControl b(nullptr, {0, 0, 10, 10}, -1, IBitmapRef{nullptr, 10, 30, c.frames});
        b.SetValue(c.value);
        EXPECT_EQ(b.FrameForValue(), c.frame) << c.frames << " frames at " << c.value;
    }
}

TEST(IControl, GreyingQuartersTheOpacity)
{
    ProbeControl c(nullptr, {0, 0, 10, 10});
    c.SetGreyed(true);
    EXPECT_FLOAT_EQ(c.Blend().weight, 0.25f);
    c.SetGreyed(false);
    EXPECT_FLOAT_EQ(c.Blend().weight, 1.0f);
}

TEST(IEditableTextControl, OnlyADifferentTextIsStored)
{
    IEditableTextControl t(nullptr, {0, 0, 10, 10}, ITextStyle(), "abc", IRgba{0, 0, 0, 0}, true, false);
    t.MarkDrawn();
    t.SetTextFromEntry("abc");
    EXPECT_FALSE(t.NeedsRedraw());
    t.SetTextFromEntry("abd");
    EXPECT_STREQ(t.Text(), "abd");
    EXPECT_TRUE(t.NeedsRedraw());
}

class URLControlTest : public EditorTest
{
};

TEST_F(URLControlTest, TheFallbackIsTriedOnlyAfterTheAddressFailed)
{
    auto* onlyFallback = new IURLControl(&plug, {0, 0, 10, 10}, "", "https://b.example");
    auto* both = new IURLControl(&plug, {20, 0, 30, 10}, "https://a.example", "https://b.example", "Maker");
    gui->AddControl(onlyFallback);
    gui->AddControl(both);
    Open();

    gui->Click(5, 5);
    EXPECT_TRUE(gui->webRequests.empty());

    gui->urlOpens = false;
    gui->Click(25, 5);
    ASSERT_EQ(gui->webRequests.size(), 2u);
    EXPECT_EQ(gui->webRequests[0].url, "https://a.example");
    EXPECT_EQ(gui->webRequests[1].url, "https://b.example");
    EXPECT_EQ(gui->webRequests[1].caption, "Maker");
}
