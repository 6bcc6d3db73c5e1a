// The limiter plug-in definition: identity, parameter table, presets, readiness and meter hand-off.
#include "vellicor/plugin/CLS_VELLICOR.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{
std::unique_ptr<CLS_VELLICOR> MakePlugin()
{
    return std::make_unique<CLS_VELLICOR>(ITestBinding::InstanceInfo{});
}

void DeliverAll(CLS_VELLICOR& p)
{
    for (int32_t i = 0; i < p.NParams(); ++i)
        p.ParamChanged(i);
}

void Process(CLS_VELLICOR& p, std::vector<double>& left, std::vector<double>& right)
{
    double* io[2] = {left.data(), right.data()};
    p.ProcessBlock(io, io, static_cast<int32_t>(left.size()));
}
} // namespace

TEST(VellicorDefinition, Identity)
{
    auto p = MakePlugin();
    EXPECT_STREQ(p->EffectName(), "Vellicor");
    EXPECT_STREQ(p->ProductName(), "");
    EXPECT_STREQ(p->MakerName(), "Ovidane");
    EXPECT_EQ(p->Version(), 0x31400);
    char text[16];
    p->VersionText(text);
    EXPECT_STREQ(text, "v3.20");
    EXPECT_EQ(p->UniqueId(), 0x6E753276);
    EXPECT_EQ(p->MakerId(), 0x4F76446E);
    EXPECT_EQ(p->Latency(), 0);
    EXPECT_EQ(p->MidiMode(), 0);
    EXPECT_FALSE(p->HasChunks());
    EXPECT_FALSE(p->IsInstrument());
    EXPECT_EQ(p->NParams(), 10);
    EXPECT_TRUE(p->IsLegalIO(1, 1));
    EXPECT_TRUE(p->IsLegalIO(2, 2));
    EXPECT_FALSE(p->IsLegalIO(1, 2));
    EXPECT_FALSE(p->IsProcessingReady());
}

TEST(VellicorDefinition, ParameterTable)
{
    struct Row
    {
        const char* name;
        int32_t kind;
        double def, min, max, step;
        const char* label;
        double shape;
        int32_t precision;
    };
    const Row rows[10] = {
        {"Input Gain", IParamSlot::kReal, 0, -18, 18, 0.1, "dB", 1, 1},
        {"Look Ahead", IParamSlot::kReal, 6, 0, 100, 0.1, "ms", 2, 1},
        {"Attack", IParamSlot::kReal, 6, 0, 100, 0.1, "ms", 2, 1},
        {"Hold", IParamSlot::kReal, 8, 0, 100, 0.1, "ms", 2, 1},
        {"Release", IParamSlot::kReal, 9, 0.1, 1500, 0.1, "ms", 2, 1},
        {"Stereo Link", IParamSlot::kInteger, 70, 0, 100, 1, "%", 1, 0},
        {"Out Limit", IParamSlot::kReal, -0.1, -18, 0, 0.1, "dB", 1, 1},
        {"Target Attenuation", IParamSlot::kInteger, 5, 0, 15, 1, "dB", 1, 0},
        {"Meml", IParamSlot::kInteger, 0, 0, 12006000, 1, "", 1, 0},
        {"Memr", IParamSlot::kInteger, 0, 0, 12006000, 1, "", 1, 0},
    };
    auto p = MakePlugin();
    for (int32_t i = 0; i < 10; ++i)
    {
        const IParamSlot& s = *p->GetParam(i);
        const Row& r = rows[i];
        EXPECT_STREQ(s.Name(), r.name) << i;
        EXPECT_EQ(s.kind, r.kind) << r.name;
        EXPECT_EQ(s.value, r.def) << r.name;
        EXPECT_EQ(s.defaultValue, r.def) << r.name;
        EXPECT_EQ(s.minimum, r.min) << r.name;
        EXPECT_EQ(s.maximum, r.max) << r.name;
        EXPECT_EQ(s.step, r.step) << r.name;
        EXPECT_STREQ(s.Label(), r.label) << r.name;
        EXPECT_EQ(s.shape, r.shape) << r.name;
        EXPECT_EQ(s.displayPrecision, r.precision) << r.name;
        EXPECT_TRUE(s.automatable) << r.name;
    }
}

TEST(VellicorDefinition, TwentyFourPresetsInOrder)
{
    auto p = MakePlugin();
    const std::vector<std::string> named = {
        "---- default ----", "Hard Dynamic",       "Hard Limiting",        "Hard Safe Limiting",
        "Medium Dynamic",    "Medium Limiting",    "Medium Safe Limiting", "Soft Dynamic",
        "Soft Limiting",     "Soft Safe Limiting", "Very Soft Dynamic",    "Very Soft",
        "Very Soft Safe",    "Real Time Limiting", "Stereo by Peaks",      "Stereo by Input",
        "Clipping"};
    ASSERT_EQ(p->NPresets(), 24);
    for (int32_t i = 0; i < 24; ++i)
    {
        const IEffectBase::Preset* preset = p->GetPreset(i);
        ASSERT_NE(preset, nullptr);
        if (i < 17)
        {
            EXPECT_EQ(std::string(preset->name), named[i]);
            EXPECT_TRUE(preset->initialized);
            EXPECT_EQ(preset->state.Size(), i == 0 ? 0 : 80) << named[i];
        }
        else
        {
            EXPECT_EQ(std::string(preset->name), "- " + std::to_string(i + 1) + " -");
            EXPECT_FALSE(preset->initialized);
        }
    }
}

TEST(VellicorDefinition, PresetRecallSetsValuesLookAheadAndClearsMemories)
{
    auto p = MakePlugin();
    DeliverAll(*p);
    p->GetParam(8)->value = 1234;
    ASSERT_TRUE(p->RestorePreset(13)); // Real Time Limiting
    const double expected[10] = {0, 0, 50, 70, 200, 70, -0.1, 5, 0, 0};
    for (int32_t i = 0; i < 10; ++i)
        EXPECT_EQ(p->GetParam(i)->value, expected[i]) << i;
    EXPECT_FALSE(p->Engine().View().lookAheadOn);
    ASSERT_TRUE(p->RestorePreset(7)); // Soft Dynamic: 15 ms look-ahead
    EXPECT_TRUE(p->Engine().View().lookAheadOn);
    EXPECT_EQ(p->GetParam(5)->value, 50.0);
    ASSERT_TRUE(p->RestorePreset(16)); // Clipping
    EXPECT_FALSE(p->Engine().View().lookAheadOn);
    EXPECT_FALSE(p->Engine().View().holdOn);
    EXPECT_EQ(p->Engine().View().ceiling, 1.0);
    EXPECT_EQ(p->Latency(), 0);
}

// What hosts and the editor show is the value the engine applies, also at exact half steps.
TEST(VellicorDefinition, DisplayTextsShowTheQuantisedValue)
{
    auto p = MakePlugin();
    const struct
    {
        double value;
        const char* text;
    } cases[] = {{0.25, "0.3"}, {0.35, "0.4"}, {1.25, "1.3"}, {-0.25, "-0.3"}};
    for (int32_t index : {kInputGain, kAttack, kRelease, kOutLimit})
        for (const auto& c : cases)
        {
            const IParamSlot& slot = *p->GetParam(index);
            if (c.value < slot.minimum || c.value > slot.maximum) continue;
            char text[IParamSlot::kTextSize], applied[IParamSlot::kTextSize];
            slot.FormatValue(c.value, false, text);
            std::snprintf(applied, sizeof applied, "%.1f", LimiterEngine::Quantise(index, c.value) * 0.1);
            EXPECT_STREQ(text, c.text) << slot.Name();
            EXPECT_STREQ(text, applied) << slot.Name();
        }
}

TEST(VellicorReadiness, NeedsEveryIndexIncludingTargetAndMemories)
{
    auto p = MakePlugin();
    for (int32_t i = 0; i < 7; ++i)
        p->ParamChanged(i);
    EXPECT_FALSE(p->IsProcessingReady());
    p->ParamChanged(0); // again, same value: nothing new
    p->ParamChanged(7);
    p->ParamChanged(8);
    EXPECT_FALSE(p->IsProcessingReady());
    p->ParamChanged(9);
    EXPECT_TRUE(p->IsProcessingReady());
    p->ParamChanged(42); // outside the list: ignored
    EXPECT_TRUE(p->IsProcessingReady());
}

TEST(VellicorReadiness, ResetCountsTheRateDependentIndices)
{
    auto p = MakePlugin();
    p->ResetState(); // recomputes 1, 2, 4 and 3
    for (int32_t i : {0, 5, 6, 8, 9})
        p->ParamChanged(i);
    EXPECT_FALSE(p->IsProcessingReady());
    p->ParamChanged(7);
    EXPECT_TRUE(p->IsProcessingReady());
}

TEST(VellicorReadiness, ResetWithoutAUsableRateCountsNothing)
{
    // A rate of 0 equals the engine's initial rate: nothing is recomputed, so the four
    // rate-dependent indices still wait for their own delivery.
    for (double rate : {0.0, -1.0})
    {
        auto p = MakePlugin();
        p->SetSampleRate(rate);
        p->ResetState();
        for (int32_t i : {0, 5, 6, 7, 8, 9})
            p->ParamChanged(i);
        EXPECT_FALSE(p->IsProcessingReady()) << rate;
        for (int32_t i : {1, 2, 3, 4})
            p->ParamChanged(i);
        EXPECT_TRUE(p->IsProcessingReady()) << rate;
    }
}

TEST(VellicorReadiness, UnchangedQuantisedValueDoesNotCount)
{
    auto p = MakePlugin();
    for (int32_t i = 0; i < 9; ++i)
        p->ParamChanged(i);
    p->GetParam(0)->value = 0.04; // still 0 tenths: no recomputation of gain
    const double gain = p->Engine().View().inputGain;
    p->ParamChanged(0);
    EXPECT_EQ(p->Engine().View().inputGain, gain);
    EXPECT_FALSE(p->IsProcessingReady());
}

TEST(VellicorProcessing, FirstBlockResetsAtTheHostRate)
{
    auto p = MakePlugin();
    DeliverAll(*p);
    EXPECT_EQ(p->Engine().View().holdLength, 0); // no rate yet
    p->SetSampleRate(44100.0);
    double* io[2] = {nullptr, nullptr};
    p->ProcessBlock(io, io, 0);
    EXPECT_TRUE(p->Engine().View().engineStarted);
    EXPECT_EQ(p->Engine().View().engineRate, 44100.0);
    EXPECT_EQ(p->Engine().View().holdLength, 529);
    EXPECT_EQ(p->Engine().View().delayLength, 529);
    EXPECT_NEAR(p->Engine().View().releaseCoef, 0.988464, 5e-7);
    EXPECT_EQ(p->MeterPanel().Data().currentReduction[0].load(), 0.0f);
}

TEST(VellicorProcessing, RateChangeRecomputesAndReallocatesTheRing)
{
    auto p = MakePlugin();
    p->SetSampleRate(48000.0);
    DeliverAll(*p);
    std::vector<double> l(64, 0.2), r(64, 0.2);
    Process(*p, l, r);
    p->SetSampleRate(96000.0);
    p->ResetState();
    EXPECT_EQ(p->Engine().View().writePos, 0);
    EXPECT_EQ(p->Engine().View().delayLength, 1152);
    EXPECT_EQ(p->Engine().RingCapacity(), 19202u);
}

// The plug-in saw none of the audio passed through while bypassed, so it starts over from
// silence: the ring must not bring back what it held from before the bypass.
TEST(VellicorProcessing, BypassEndNeverDeliversAudioFromBefore)
{
    auto p = MakePlugin();
    p->SetSampleRate(48000.0);
    p->SetBlockSize(512);
    p->SetInputConnections(0, 2, true);
    p->SetOutputConnections(0, 2, true);
    DeliverAll(*p);
    std::vector<double> l(512), r(512), outL(512), outR(512);
    double* in[2] = {l.data(), r.data()};
    double* out[2] = {outL.data(), outR.data()};
    double worst = 0.0;
    for (int32_t block = 0; block < 110; ++block) // loud, 1 s bypassed and quiet, then quiet
    {
        const double level = block < 8 ? 2.0 : 0.05;
        for (size_t i = 0; i < l.size(); ++i)
            l[i] = r[i] = level * std::sin(0.05 * static_cast<double>(block * 512 + static_cast<int32_t>(i)));
        p->ProcessHostBlock(in, out, 512, block >= 8 && block < 102);
        for (size_t i = 0; block >= 102 && i < l.size(); ++i)
            worst = std::max({worst, std::fabs(outL[i]), std::fabs(outR[i])});
    }
    EXPECT_LE(worst, 0.05);
}

TEST(VellicorMeters, OnlyTheLimitingChannelIsUpdated)
{
    auto p = MakePlugin();
    p->SetSampleRate(44100.0);
    p->GetParam(5)->value = 0.0; // the loud left pulls the right envelope to 0.63 only
    DeliverAll(*p);
    std::vector<double> l(2000, 2.0), r(2000, 0.1);
    Process(*p, l, r);
    const MeterData& m = p->MeterPanel().Data();
    EXPECT_GT(m.currentReduction[0].load(), 0.0f);
    EXPECT_EQ(m.peakReduction[0].load(), m.currentReduction[0].load());
    EXPECT_EQ(m.currentReduction[1].load(), 0.0f);
    EXPECT_EQ(m.peakReduction[1].load(), 0.0f);
    EXPECT_EQ(m.peakTime[1].load(), 0);
}

TEST(VellicorMeters, PeakTimeFollowsTheHostTransportAndIsAskedOnlyForNewPeaks)
{
    auto p = MakePlugin();
    p->SetSampleRate(44100.0);
    DeliverAll(*p);
    p->SetHostSamplePos(75 * 44100 + 20000); // 1:15.45
    std::vector<double> l(1000, 3.0), r(1000, 3.0);
    Process(*p, l, r);
    const MeterData& m = p->MeterPanel().Data();
    EXPECT_EQ(m.peakTime[0].load(), 75);
    EXPECT_EQ(m.peakTime[1].load(), 75);
    EXPECT_EQ(p->samplePosQueries, 1);
    // Same level again: a reduction, but no new peak, so no query and no new time.
    p->SetHostSamplePos(200 * 44100);
    std::vector<double> quietL(5000, 0.0), quietR(5000, 0.0);
    Process(*p, quietL, quietR);
    std::vector<double> l2(1000, 2.9), r2(1000, 2.9);
    Process(*p, l2, r2);
    EXPECT_EQ(p->samplePosQueries, 1);
    EXPECT_EQ(m.peakTime[0].load(), 75);
    EXPECT_GT(m.currentReduction[0].load(), 0.0f);
    EXPECT_LT(m.currentReduction[0].load(), m.peakReduction[0].load());
}

TEST(VellicorMeters, ReductionMatchesTwentyLogOfPeakOverCeiling)
{
    auto p = MakePlugin();
    p->SetSampleRate(44100.0);
    DeliverAll(*p);
    p->GetParam(2)->value = 0.0; // attack 0: the envelope reaches the level at once
    p->ParamChanged(2);
    std::vector<double> l(10, 2.0), r(10, 0.0);
    Process(*p, l, r);
    const double expected = 20.0 * std::log10(2.0 / p->Engine().View().ceiling);
    EXPECT_NEAR(p->MeterPanel().Data().currentReduction[0].load(), expected, 1e-4);
}

TEST(VellicorMeters, AttackSetsMeterCoefAndMemoriesSetStoredCode)
{
    auto p = MakePlugin();
    const MeterData& m = p->MeterPanel().Data();
    EXPECT_EQ(m.meterCoef.load(), 0.5f);
    p->SetSampleRate(44100.0);
    p->ResetState();
    EXPECT_EQ(m.meterCoef.load(), static_cast<float>(p->Engine().View().attackCoef * 0.5));
    p->GetParam(8)->value = 2076075;
    p->ParamChanged(8);
    p->GetParam(9)->value = 17;
    p->ParamChanged(9);
    EXPECT_EQ(m.storedCode[0].load(), 2076075u);
    EXPECT_EQ(m.storedCode[1].load(), 17u);
}
