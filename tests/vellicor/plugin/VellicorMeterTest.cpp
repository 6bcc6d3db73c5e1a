// The meter panel's consumption of the meter record: smoothing, reset, store with host notice.
#include "vellicor/plugin/CLS_VELLICOR.h"

#include <gtest/gtest.h>

namespace
{
using Edit = ITestBinding::EditEvent;
using Kind = ITestBinding::EditKind;

struct Panel : ::testing::Test
{
    std::unique_ptr<CLS_VELLICOR> plugin = std::make_unique<CLS_VELLICOR>(ITestBinding::InstanceInfo{});
    MeterPanelState& panel = plugin->MeterPanel();
    MeterData& data = panel.Data();
};
} // namespace

TEST_F(Panel, SmoothsTowardTheCurrentReductionThenClearsIt)
{
    data.meterCoef = 0.25f;
    data.currentReduction[0] = 10.0f;
    panel.Tick();
    EXPECT_EQ(data.displayReduction[0].load(), 7.5f);
    EXPECT_EQ(data.currentReduction[0].load(), 0.0f);
    panel.Tick(); // decays geometrically by meterCoef
    EXPECT_EQ(data.displayReduction[0].load(), 1.875f);
    EXPECT_EQ(data.displayReduction[1].load(), 0.0f);
}

TEST_F(Panel, BarStopsAtFifteenDecibels)
{
    data.meterCoef = 0.0f;
    data.currentReduction[1] = 25.0f;
    panel.Smooth();
    EXPECT_EQ(panel.BarReduction(1), 15.0f);
    EXPECT_EQ(data.displayReduction[1].load(), 25.0f);
}

TEST_F(Panel, ResetClearsPeaksButNotTheStoredRow)
{
    data.peakReduction[0] = 4.0f;
    data.peakTime[1] = 33;
    data.storedCode[0] = 99u;
    panel.Tick();
    EXPECT_EQ(data.peakReduction[0].load(), 4.0f); // no request, nothing cleared
    panel.RequestReset();
    panel.Tick();
    EXPECT_EQ(data.peakReduction[0].load(), 0.0f);
    EXPECT_EQ(data.peakTime[1].load(), 0);
    EXPECT_EQ(data.storedCode[0].load(), 99u);
    EXPECT_FALSE(data.resetRequest);
}

TEST_F(Panel, StoreWritesCodesAndTellsTheHostWithoutParamChanged)
{
    plugin->ParamChanged(8); // "Meml" delivered as 0
    data.peakReduction[0] = 3.456f;
    data.peakTime[0] = 75;
    data.peakReduction[1] = 25.0f;
    data.peakTime[1] = 6000;
    panel.RequestStore();
    panel.Tick();
    EXPECT_EQ(data.storedCode[0].load(), 2076075u);
    EXPECT_EQ(data.storedCode[1].load(), 2000u * 6000u + 5999u);
    EXPECT_EQ(plugin->GetParam(8)->value, 2076075.0);
    EXPECT_EQ(plugin->GetParam(9)->value, 12005999.0);
    const std::vector<Edit> expected = {{Kind::Begin, 8, 0.0},
                                        {Kind::Edited, 8, plugin->GetParam(8)->NormalizedValue()},
                                        {Kind::End, 8, 0.0},
                                        {Kind::Begin, 9, 0.0},
                                        {Kind::Edited, 9, plugin->GetParam(9)->NormalizedValue()},
                                        {Kind::End, 9, 0.0}};
    EXPECT_EQ(plugin->edits, expected);
    EXPECT_FALSE(data.storeRequest);
    // The button bypassed ParamChanged, so a preset delivering 0 again leaves the stored row.
    ASSERT_TRUE(plugin->RestorePreset(1));
    EXPECT_EQ(plugin->GetParam(8)->value, 0.0);
    EXPECT_EQ(data.storedCode[0].load(), 2076075u);
    EXPECT_EQ(data.storedCode[1].load(), 0u); // "Memr" was never delivered before: it follows
}

TEST_F(Panel, TargetIsClampedAndColoursThePeaks)
{
    panel.SetTarget(22.0);
    EXPECT_EQ(plugin->GetParam(7)->value, 15.0);
    panel.SetTarget(5.0);
    EXPECT_EQ(panel.Target(), 5);
    data.peakReduction[0] = 5.0f;
    data.peakReduction[1] = 6.01f;
    EXPECT_EQ(panel.PeakClass(0), MeterMemory::ColourClass::OnTarget);
    EXPECT_EQ(panel.PeakClass(1), MeterMemory::ColourClass::Over);
    EXPECT_EQ(plugin->edits.size(), 6u) << "two sets, each begin, edit, end";
}
