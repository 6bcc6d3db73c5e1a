#include "tests/support/RecordingEditor.h"
#include "tests/support/TestPlugin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace
{
// Three parameters: gain (-18..18), link (integer 0..100), release (0.1..1500).
class PresetPlugin : public TestPlugin
{
public:
    explicit PresetPlugin(int presets = 4) : TestPlugin(3, "1-1 2-2", presets)
    {
        GetParam(0)->InitReal("Gain", 0, -18, 18, 0.1, "dB");
        GetParam(1)->InitInteger("Link", 70, 0, 100, "%");
        GetParam(2)->InitReal("Release", 9, 0.1, 1500, 0.1, "ms");
    }
    double Value(int i) { return GetParam(i)->value; }
};

StateChunk Doubles(std::initializer_list<double> values)
{
    StateChunk c;
    for (double v : values)
        c.AppendDouble(v);
    return c;
}
} // namespace

TEST(Presets, FreshListHasPlaceholderNames)
{
    PresetPlugin plug;
    EXPECT_STREQ(plug.PresetName(0), "- 1 -");
    EXPECT_STREQ(plug.PresetName(3), "- 4 -");
    EXPECT_STREQ(plug.PresetName(4), "");
    EXPECT_STREQ(plug.PresetName(-1), "");
    EXPECT_FALSE(plug.GetPreset(0)->initialized);
}

TEST(Presets, SaveParamsWritesRealValuesInIndexOrder)
{
    PresetPlugin plug;
    StateChunk chunk;
    chunk.AppendInt32(32000);
    ASSERT_TRUE(plug.SaveState(chunk, true));
    ASSERT_EQ(chunk.Size(), 4 + 3 * 8);
    double v;
    EXPECT_EQ(chunk.ReadDouble(&v, 12), 20);
    EXPECT_EQ(v, 70.0);
}

TEST(Presets, LoadParamsClampsAndNotifiesEveryValue)
{
    PresetPlugin plug;
    StateChunk chunk = Doubles({-100.0, std::numeric_limits<double>::quiet_NaN(), 1e9, 123.0});
    EXPECT_EQ(plug.LoadState(chunk, 0), 24) << "bytes after the last parameter are ignored";
    EXPECT_EQ(plug.Value(0), -18.0);
    EXPECT_EQ(plug.Value(1), 0.0) << "NaN becomes the minimum";
    EXPECT_EQ(plug.Value(2), 1500.0);
    EXPECT_EQ(plug.changed, (std::vector<int32_t>{0, 1, 2}));
}

TEST(Presets, ShortStateLoadsWhatItCoversAndFails)
{
    PresetPlugin plug;
    plug.GetParam(2)->value = 33.0;
    StateChunk chunk = Doubles({5.0});
    EXPECT_EQ(plug.LoadParams(chunk, 0), -1);
    EXPECT_EQ(plug.Value(0), 5.0);
    EXPECT_EQ(plug.Value(1), 0.0) << "the first missing value is read as 0.0, clamped";
    EXPECT_EQ(plug.Value(2), 33.0) << "later parameters are untouched";
    EXPECT_EQ(plug.changed, (std::vector<int32_t>{0, 1}));

    plug.changed.clear();
    EXPECT_EQ(plug.LoadParams(chunk, -1), -1);
    EXPECT_TRUE(plug.changed.empty()) << "a start position of -1 reads nothing";
    EXPECT_EQ(plug.LoadParams(chunk, -4), -1) << "every failure is reported as -1";
}

TEST(Presets, MakePresetFillsFreeSlotsInOrder)
{
    PresetPlugin plug(3);
    plug.MakeDefaultPresets(nullptr, 1);
    plug.MakePreset("Loud", {6.0, 100, 50.0});
    plug.MakePreset("Soft", {-6.0, 0, 500.0});
    plug.MakePreset("No room", {0.0, 0, 1.0});
    EXPECT_STREQ(plug.PresetName(0), "Default");
    EXPECT_STREQ(plug.PresetName(1), "Loud");
    EXPECT_STREQ(plug.PresetName(2), "Soft");
    EXPECT_EQ(plug.GetPreset(2)->state.Size(), 24);

    EXPECT_TRUE(plug.RestorePreset(1));
    EXPECT_EQ(plug.CurrentPresetIndex(), 1);
    EXPECT_EQ(plug.Value(0), 6.0);
    EXPECT_EQ(plug.Value(1), 100.0);
    EXPECT_EQ(plug.Value(2), 50.0);
    EXPECT_FALSE(plug.RestorePreset(3));
    EXPECT_EQ(plug.CurrentPresetIndex(), 1);
}

TEST(Presets, EmptyDefaultPresetSetsFirstParameterAndFails)
{
    PresetPlugin plug;
    plug.MakeDefaultPresets("---- default ----", 1);
    plug.GetParam(0)->value = 4.0;
    auto* gui = new RecordingEditor;
    plug.AttachEditor(gui);
    gui->pushes.clear();
    EXPECT_FALSE(plug.RestorePreset(0));
    EXPECT_EQ(plug.Value(0), 0.0);
    EXPECT_EQ(plug.changed, (std::vector<int32_t>{0}));
    EXPECT_EQ(plug.CurrentPresetIndex(), 0) << "the preset stays current";
    EXPECT_TRUE(gui->pushes.empty()) << "the GUI is not refreshed on failure";
}

TEST(Presets, UninitialisedPresetBecomesNumberedUserPreset)
{
    PresetPlugin plug(5);
    plug.GetParam(0)->value = 3.0;
    EXPECT_TRUE(plug.RestorePreset(3));
    EXPECT_STREQ(plug.PresetName(3), "user preset 1");
    EXPECT_TRUE(plug.RestorePreset(1));
    EXPECT_STREQ(plug.PresetName(1), "user preset 2");
    EXPECT_TRUE(plug.RestorePreset(4));
    EXPECT_STREQ(plug.PresetName(4), "user preset 3");
    EXPECT_EQ(plug.Value(0), 3.0) << "selecting an uninitialised preset keeps the values";
    EXPECT_TRUE(plug.changed.empty());
    EXPECT_TRUE(plug.GetPreset(4)->initialized);
}

TEST(Presets, ModifyingAnUninitialisedPresetKeepsItUninitialised)
{
    PresetPlugin plug;
    plug.GetParam(0)->value = 2.0;
    plug.ModifyCurrentPreset("Mine");
    EXPECT_STREQ(plug.PresetName(0), "Mine");
    EXPECT_EQ(plug.GetPreset(0)->state.Size(), 24);
    EXPECT_FALSE(plug.GetPreset(0)->initialized);

    plug.GetParam(0)->value = 7.0;
    EXPECT_TRUE(plug.RestorePreset(0));
    EXPECT_STREQ(plug.PresetName(0), "user preset 1");
    EXPECT_EQ(plug.Value(0), 7.0) << "the stored values are not loaded";

    plug.ModifyCurrentPreset("");
    EXPECT_STREQ(plug.PresetName(0), "user preset 1") << "an empty name keeps the old one";
}

TEST(Presets, EnsureDefaultPresetOnlyWhenNoneExists)
{
    PresetPlugin none(0);
    EXPECT_EQ(none.NPresets(), 0);
    none.EnsureDefaultPreset();
    ASSERT_EQ(none.NPresets(), 1);
    EXPECT_STREQ(none.PresetName(0), "Default");
    EXPECT_TRUE(none.GetPreset(0)->initialized);
    none.EnsureDefaultPreset();
    EXPECT_EQ(none.NPresets(), 1);
}

TEST(Presets, LongPresetNamesAreCut)
{
    PresetPlugin plug;
    const std::string name(400, 'p');
    plug.MakePreset(name.c_str(), {0.0, 0, 1.0});
    EXPECT_EQ(std::strlen(plug.PresetName(0)), 255u);
}
