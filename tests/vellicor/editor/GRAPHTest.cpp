// The meter panel: bar geometry, target band, read-outs and their colours, target clicks, and the
// reset and memory buttons acting on the next frame.
#include "tests/vellicor/editor/EditorFixture.h"

#include <cmath>
#include <limits>
#include <string>

using namespace editortest;

namespace
{
constexpr IRgba kOver{255, 255, 0, 0}, kAbove{180, 255, 255, 0}, kOnTarget{235, 0, 255, 0},
    kUnder{180, 255, 255, 255};

bool Same(const IRgba& a, const IRgba& b)
{
    return a.a == b.a && a.r == b.r && a.g == b.g && a.b == b.b;
}
} // namespace

TEST(GRAPH, BarAndMarkerEndsAtReductions)
{
    const struct
    {
        float reduction;
        int32_t x;
    } cases[] = {{0.0f, 433},  {7.5f, 371},  {15.0f, 308},
                 {20.0f, 308}, {-3.0f, 433}, {std::numeric_limits<float>::quiet_NaN(), 433}};
    for (const auto& c : cases)
        EXPECT_EQ(GRAPH::BarX(c.reduction), c.x) << c.reduction << " dB";
}

TEST(GRAPH, TargetBandGrowsFromTheZeroEnd)
{
    EXPECT_EQ(GRAPH::TargetBandWidth(0), 0);
    EXPECT_EQ(GRAPH::TargetBandWidth(8), 66);
    EXPECT_EQ(GRAPH::TargetBandWidth(15), 125);
}

TEST(GRAPH, ReadOutTextsAndClassColours)
{
    const struct
    {
        float peak;
        int32_t time;
        uint32_t stored;
        const char *livePeak, *liveTime, *storedPeak, *storedTime;
        IRgba liveColour, storedColour;
    } cases[] = {
        // target 5 throughout
        {0.0f, 0, 0u, "0.00", "00:00", "0.00", "00:00", kUnder, kUnder},
        {5.0f, 75, 2076075u, "5.00", "01:15", "3.46", "01:15", kOnTarget, kUnder},
        {5.01f, 6000, 500u * 6000u + 5999u, "5.01", "100:00", "5.00", "99:59", kAbove, kOnTarget},
        {6.01f, -1, 12005999u, "6.01", "71582788:15", "20.00", "99:59", kOver, kOver},
        {25.0f, 59, 0xFFFFFFFFu, "25.00", "00:59", "7158.27", "88:15", kOver, kOver},
        {4.0f, 3600, 550u * 6000u, "4.00", "60:00", "5.50", "00:00", kUnder, kAbove},
    };
    for (const auto& c : cases)
    {
        MeterData data;
        data.peakReduction[1] = c.peak;
        data.peakTime[1] = c.time;
        data.storedCode[1] = c.stored;
        const GRAPH::ReadOut r = GRAPH::Read(data, 5);
        const std::string at = "peak " + std::to_string(c.peak) + ", code " + std::to_string(c.stored);
        EXPECT_STREQ(r.livePeak[1], c.livePeak) << at;
        EXPECT_STREQ(r.liveTime[1], c.liveTime) << at;
        EXPECT_STREQ(r.storedPeak[1], c.storedPeak) << at;
        EXPECT_STREQ(r.storedTime[1], c.storedTime) << at;
        EXPECT_TRUE(Same(r.livePeakColour[1], c.liveColour)) << at;
        EXPECT_TRUE(Same(r.storedPeakColour[1], c.storedColour)) << at;
        EXPECT_EQ(r.markerX[1], GRAPH::BarX(c.peak)) << at;
        EXPECT_STREQ(r.livePeak[0], "0.00"); // the other channel is untouched
    }
}

TEST_F(EditorTest, PressOrDragOnABarSetsTheTargetThroughTheHost)
{
    const struct
    {
        int32_t x, y;
        double target;
    } cases[] = {{433, 169, 0.0}, {308, 186, 15.0}, {370, 164, 7.56}, {370, 191, 7.56}};
    for (const auto& c : cases)
    {
        plugin->edits.clear();
        gui->Click(c.x, c.y);
        EXPECT_DOUBLE_EQ(Value(kTargetAttenuation), c.target) << c.x << "," << c.y;
        const double normalized = plugin->GetParam(kTargetAttenuation)->ToNormalized(c.target);
        const std::vector<Edit> expected = {{Kind::Begin, kTargetAttenuation, 0.0},
                                            {Kind::Edited, kTargetAttenuation, normalized},
                                            {Kind::End, kTargetAttenuation, 0.0}};
        EXPECT_EQ(plugin->edits, expected) << "host-notifying set: the host records the value in its gesture";
    }
    EXPECT_EQ(plugin->MeterPanel().Target(), 8) << "7.56 is used as 8";

    gui->Click(300, 169); // beside the bars: ignored
    gui->Click(400, 178); // between them
    EXPECT_DOUBLE_EQ(Value(kTargetAttenuation), 7.56);

    gui->Drag(433, 186, 308, 186, 5); // along a bar: moves continuously to the 15 dB end
    EXPECT_DOUBLE_EQ(Value(kTargetAttenuation), 15.0);
}

TEST_F(EditorTest, MarkerAndTextTakeTheColourOfTheirClass)
{
    plugin->GetParam(kTargetAttenuation)->value = 5.0;
    meter.peakReduction[0] = 6.5f; // over: red
    meter.peakReduction[1] = 1.0f; // under: white
    gui->Tick();
    const auto strongest = [&](int32_t x, int32_t y)
    {
        // The antialiased line may share its ink between two columns.
        const Rgb a = Channels(Pixel(x - 1, y)), b = Channels(Pixel(x, y));
        return a.r + a.g + a.b > b.r + b.g + b.b ? a : b;
    };
    const Rgb over = strongest(GRAPH::BarX(6.5f), 169);
    EXPECT_GT(over.r, 150);
    EXPECT_LT(over.g, 90);
    const Rgb under = strongest(GRAPH::BarX(1.0f), 186);
    EXPECT_GT(std::min({under.r, under.g, under.b}), 120);
}

TEST_F(EditorTest, BarsAndTargetBandFollowTheRecord)
{
    plugin->GetParam(kTargetAttenuation)->value = 15.0;
    meter.meterCoef = 0.0f; // no smoothing: the bar jumps
    meter.currentReduction[0] = 7.5f;
    gui->Tick();
    const Rgb bar = Channels(Pixel(404, 169)), band = Channels(Pixel(320, 169)),
              emptyRight = Channels(Pixel(320, 186));
    EXPECT_EQ(bar.r, 255);
    EXPECT_EQ(bar.g, 0);
    EXPECT_GT(band.r, 40) << "the faint band covers the whole bar for target 15";
    EXPECT_EQ(band.r, emptyRight.r) << "both bars carry the band";
    EXPECT_EQ(meter.currentReduction[0].load(), 0.0f) << "a drawn frame consumes the reduction";

    gui->Tick(); // nothing new arrived: the bar falls back to 0 dB
    EXPECT_EQ(Pixel(404, 169), Pixel(320, 169));
}

TEST_F(EditorTest, ResetAndMemoryButtonsActAtTheNextFrame)
{
    meter.peakReduction[0] = 3.456f;
    meter.peakTime[0] = 75;
    meter.peakReduction[1] = 1.0f;
    const uint32_t idle = Pixel(370, 150);

    gui->OnLeftButtonDown(370, 245, {true});
    EXPECT_EQ(meter.storedCode[0].load(), 0u) << "nothing before the next frame";
    gui->Tick();
    EXPECT_EQ(Value(kMemLeft), 2076075.0);
    EXPECT_EQ(meter.storedCode[0].load(), 2076075u);
    EXPECT_EQ(meter.storedCode[1].load(), 100u * 6000u);
    EXPECT_STREQ(GRAPH::Read(meter, 5).storedPeak[0], "3.46");
    EXPECT_STREQ(GRAPH::Read(meter, 5).storedTime[0], "01:15");
    gui->OnButtonUp(370, 245, {true});

    gui->OnLeftButtonDown(370, 140, {true});
    gui->Tick();
    EXPECT_EQ(meter.peakReduction[0].load(), 0.0f);
    EXPECT_EQ(meter.peakTime[0].load(), 0);
    EXPECT_EQ(meter.storedCode[0].load(), 2076075u) << "reset keeps the stored row";
    EXPECT_NE(Pixel(370, 150), idle) << "the button looks pressed while it is held";
    gui->OnButtonUp(370, 140, {true});
    gui->Tick();
    EXPECT_EQ(Pixel(370, 150), idle);
}

TEST_F(EditorTest, AClickShorterThanAFrameStillActs)
{
    meter.peakReduction[1] = 9.0f;
    gui->Click(370, 140); // down and up between two ticks
    gui->Tick();
    EXPECT_EQ(meter.peakReduction[1].load(), 0.0f);
    gui->Click(370, 140, {false, true}); // the right button does nothing
    meter.peakReduction[1] = 2.0f;
    gui->Tick();
    EXPECT_EQ(meter.peakReduction[1].load(), 2.0f);
}

TEST_F(EditorTest, SavedMemoryShowsInTheStoredRowAfterAStateLoad)
{
    CLS_VELLICOR saved(ITestBinding::InstanceInfo{});
    saved.GetParam(kMemLeft)->value = 2076075.0;
    saved.GetParam(kMemRight)->value = 12005999.0;
    StateChunk chunk;
    ASSERT_TRUE(saved.SaveState(chunk, false));

    ASSERT_GT(plugin->LoadState(chunk, 0), 0);
    plugin->NotifyAllParams(); // as the bindings deliver a restored state
    const GRAPH::ReadOut r = GRAPH::Read(meter, plugin->MeterPanel().Target());
    EXPECT_STREQ(r.storedPeak[0], "3.46");
    EXPECT_STREQ(r.storedTime[0], "01:15");
    EXPECT_STREQ(r.storedPeak[1], "20.00");
    EXPECT_STREQ(r.storedTime[1], "99:59");
}
