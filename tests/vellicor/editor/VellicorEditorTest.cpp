// The limiter's editor as its plug-in builds it: controls in layout order, knobs, version label,
// values at the ends of their ranges, and the meter's parameter sets reaching bound controls.
#include "tests/vellicor/editor/EditorFixture.h"

#include "vellicor/editor/VellicorEditor.h"
#include "vellicor/editor/controls/IKnobRotVal.h"

#include <cmath>
#include <cstring>

using namespace editortest;

namespace
{
// Records what the editor hands a control bound to a parameter.
class EntryProbe : public IControl
{
public:
    EntryProbe(IEffectBase* plug, int32_t param) : IControl(plug, {0, 0, 1, 1}, param) {}
    bool Render(IGraphics*) override { return true; }
    void ApplyValueFromEntry(double normalized) override { entries.push_back(normalized); }
    std::vector<double> entries;
};
} // namespace

TEST_F(EditorTest, ControlsInLayoutOrder)
{
    const struct
    {
        IArea area;
        int32_t param;
    } layout[] = {
        {{0, 0, 562, 270}, -1},     // background
        {{255, 158, 484, 231}, -1}, // meter panel
        {{12, 240, 62, 256}, -1},   // version label
        {{0, 142, 176, 265}, -1},   // logo link
        {{22, 55, 84, 117}, 0},     {{105, 52, 159, 106}, 1}, {{179, 52, 233, 106}, 2},
        {{253, 52, 307, 106}, 3},   {{328, 52, 382, 106}, 4}, {{402, 52, 456, 106}, 5},
        {{478, 55, 540, 117}, 6},   // knobs
        {{277, 130, 463, 157}, -1}, // reset
        {{277, 231, 463, 258}, -1}, // memory
    };
    ASSERT_EQ(gui->ControlCount(), static_cast<int32_t>(std::size(layout)));
    for (int32_t i = 0; i < gui->ControlCount(); ++i)
    {
        EXPECT_EQ(gui->GetControl(i)->Area(), layout[i].area) << "control " << i;
        EXPECT_EQ(gui->GetControl(i)->ParamIndex(), layout[i].param) << "control " << i;
    }
    EXPECT_EQ(&plugin->MeterPanel(), &static_cast<GRAPH*>(gui->GetControl(1))->State());
}

TEST_F(EditorTest, VersionLabelReadsV32)
{
    char label[16];
    VellicorEditor::VersionLabel(*plugin, label, sizeof(label));
    EXPECT_STREQ(label, "v3.2");
}

TEST_F(EditorTest, KnobPointerTurnsThreeHundredDegrees)
{
    // The lit dot's centroid around the Input Gain knob's centre (53, 86).
    const auto pointerDegrees = [&]
    {
        double sx = 0.0, sy = 0.0, weight = 0.0;
        for (int32_t y = 55; y < 117; ++y)
            for (int32_t x = 22; x < 84; ++x)
            {
                const Rgb p = Channels(Pixel(x, y));
                const double w = std::max(0, p.r - p.b - 60); // the dot is orange, the body grey
                sx += w * (x + 0.5 - 53.0);
                sy += w * (y + 0.5 - 86.0);
                weight += w;
            }
        return weight > 0.0 ? std::atan2(sx, -sy) * 180.0 / M_PI : 999.0;
    };
    const struct
    {
        double value, degrees;
    } cases[] = {{0.0, -150.0}, {0.5, 0.0}, {1.0, 150.0}};
    for (const auto& c : cases)
    {
        gui->SetParamFromPlugin(kInputGain, c.value, true);
        gui->Tick();
        EXPECT_NEAR(pointerDegrees(), c.degrees, 3.0) << "value " << c.value;
    }
}

TEST_F(EditorTest, DraggingASmallKnobByItsHeightMovesAQuarter)
{
    IControl* lookAhead = gui->GetControl(5);
    const double before = lookAhead->Value();
    gui->Drag(132, 79, 132, 79 - 54, 6);
    EXPECT_NEAR(lookAhead->Value() - before, 0.25, 1e-12);
    EXPECT_NEAR(plugin->GetParam(kLookAhead)->NormalizedValue(), lookAhead->Value(), 1e-9);
}

TEST(IKnobRotVal, ReleaseSnapsToTheStepGrid)
{
    CLS_VELLICOR plugin(ITestBinding::InstanceInfo{});
    const IBitmapRef none{nullptr, 54, 54, 1};
    IKnobRotVal knob(&plugin, kStereoLink, 100, 100, none, ITextStyle(), -19, 300, 4.0, 0, false, false, 5);
    knob.SetValue(0.37);
    knob.ReleaseAt(0, 0, {});
    EXPECT_DOUBLE_EQ(knob.Value(), 0.25);
    IKnobRotVal free(&plugin, kStereoLink, 100, 100, none, ITextStyle(), -19, 300, 4.0);
    free.SetValue(0.37);
    free.ReleaseAt(0, 0, {});
    EXPECT_DOUBLE_EQ(free.Value(), 0.37);
}

TEST_F(EditorTest, ValuesAtTheEndsOfTheirRangesDrawInsideTheEditor)
{
    for (const double end : {0.0, 1.0})
    {
        for (int32_t i = 0; i < kVellicorParamCount; ++i)
        {
            IParamSlot* p = plugin->GetParam(i);
            p->value = end == 0.0 ? p->minimum : p->maximum;
            gui->SetParamFromPlugin(i, end, true);
            plugin->ParamChanged(i);
        }
        meter.peakReduction[0] = end == 0.0 ? -1.0f : 1e30f;
        meter.peakTime[0] = end == 0.0 ? INT32_MIN : INT32_MAX;
        meter.currentReduction[1] = end == 0.0 ? 0.0f : 3e38f;
        meter.storedCode[1] = 0xFFFFFFFFu; // any value a hostile state could leave
        gui->Tick();
        // The huge reduction fills the bar to the 15 dB end and no further.
        EXPECT_EQ(Channels(Pixel(308, 186)).r == 255, end == 1.0);
        EXPECT_NE(Channels(Pixel(307, 186)).r, 255);
    }
    EXPECT_EQ(plugin->MeterPanel().Target(), 15);
}

TEST_F(EditorTest, MeterSetsReachControlsBoundToTheParameter)
{
    auto* probe = new EntryProbe(plugin.get(), kTargetAttenuation);
    gui->AddControl(probe);
    gui->Click(370, 169);
    ASSERT_EQ(probe->entries.size(), 1u);
    EXPECT_DOUBLE_EQ(probe->entries[0], 7.56 / 15.0);
}
