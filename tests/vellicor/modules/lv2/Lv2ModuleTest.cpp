// The built vellicor.lv2 bundle loaded through Debian's lilv as LV2 hosts load it: its ports and
// presets as hosts read them, its audio against the VST3 module's 32-bit path, its refusals, the
// meter feed to the editor and what its run() allocates.
#include "tests/lv2/Lv2TestHost.h"
#include "tests/vellicor/modules/CountingAllocator.h"

#include "hostkit/Vst3HostObjects.h"
#include "hostkit/Vst3Instance.h"
#include "lv2/Lv2EditorLink.h"
#include "vellicor/modules/lv2/MeterFeed.h"
#include "vellicor/plugin/VellicorIdentity.h"
#include "vellicor/plugin/VellicorParams.h"

#include "lv2/port-props/port-props.h"
#include "lv2/presets/presets.h"
#include "lv2/units/units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <utility>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
namespace id = vellicor::identity;
constexpr double kRate = 48000.0;
constexpr ParamID kProgramTag = 0x70727374;

// The ports' symbols hosts and saved sessions know, in parameter order.
constexpr const char* kSymbols[kVellicorParamCount] = {
    "input_gain", "look_ahead",         "attack", "hold", "release", "stereo_link",
    "out_limit",  "target_attenuation", "meml",   "memr"};
constexpr const char* kUnits[kVellicorParamCount] = {
    LV2_UNITS__db, LV2_UNITS__ms, LV2_UNITS__ms, LV2_UNITS__ms, LV2_UNITS__ms,
    LV2_UNITS__pc, LV2_UNITS__db, LV2_UNITS__db, nullptr,       nullptr};

// Loud enough to limit hard, with quiet stretches for the release.
float Signal(int channel, int64_t i)
{
    const double t = static_cast<double>(i);
    return static_cast<float>(2.5 * std::sin(0.021 * t + channel) * ((i / 5000) % 2 ? 1.0 : 0.3));
}

std::vector<float> Stereo(int64_t frames, int64_t start, int channel)
{
    std::vector<float> v(static_cast<size_t>(frames));
    for (int64_t i = 0; i < frames; ++i)
        v[static_cast<size_t>(i)] = Signal(channel, start + i);
    return v;
}

class Lv2ModuleTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { world = new lv2test::World(VELLICOR_LV2_BUNDLE); }
    static void TearDownTestSuite()
    {
        delete world;
        world = nullptr;
    }
    void SetUp() override { ASSERT_NE(plugin = world->Plugin(id::kLv2Uri), nullptr) << VELLICOR_LV2_BUNDLE; }

    // The labels of the plug-in's presets and their port values by symbol.
    std::map<std::string, std::map<std::string, float>> Presets()
    {
        std::map<std::string, std::map<std::string, float>> out;
        LilvWorld* w = world->Get();
        LilvNodes* presets = lilv_plugin_get_related(plugin, world->Uri(LV2_PRESETS__Preset));
        LILV_FOREACH(nodes, i, presets)
        {
            const LilvNode* preset = lilv_nodes_get(presets, i);
            lilv_world_load_resource(w, preset);
            LilvNodes* labels = lilv_world_find_nodes(w, preset, world->Uri(LILV_NS_RDFS "label"), nullptr);
            LilvState* state = lilv_state_new_from_world(w, world->Urids().Feature(), preset);
            if (labels && state)
            {
                auto& values = out[lilv_node_as_string(lilv_nodes_get_first(labels))];
                lilv_state_emit_port_values(
                    state,
                    [](const char* symbol, void* user, const void* value, uint32_t size, uint32_t)
                    {
                        if (size == sizeof(float))
                            (*static_cast<std::map<std::string, float>*>(user))[symbol] =
                                *static_cast<const float*>(value);
                    },
                    &values);
            }
            lilv_state_free(state);
            lilv_nodes_free(labels);
        }
        lilv_nodes_free(presets);
        return out;
    }

    static lv2test::World* world;
    const LilvPlugin* plugin = nullptr;
};
lv2test::World* Lv2ModuleTest::world = nullptr;

// The VST3 module's 32-bit path with the same settings: a program, or real values by index.
class Vst3Reference
{
public:
    Vst3Reference(int32 maxBlock, int32 program, const std::vector<std::pair<int32, double>>& values,
                  int32 channels = 2)
        : call(kSample32, channels)
    {
        std::string error;
        if (!module.Open(VELLICOR_VST3_MODULE, error)) ADD_FAILURE() << error;
        EXPECT_EQ(instance.Create(module, id::kVst3ClassId, &application), kResultOk);
        if (!instance.processor) return;
        SpeakerArrangement arrangement = channels == 1 ? SpeakerArr::kMono : SpeakerArr::kStereo;
        instance.processor->setBusArrangements(&arrangement, 1, &arrangement, 1);
        ProcessSetup setup{kRealtime, kSample32, maxBlock, kRate};
        instance.processor->setupProcessing(setup);
        instance.component->activateBus(kAudio, kInput, 0, true);
        instance.component->activateBus(kAudio, kOutput, 0, true);
        instance.SetActive(true);
        if (program >= 0)
            changes.Set(kProgramTag, instance.controller->plainParamToNormalized(kProgramTag, program));
        for (const auto& [index, value] : values)
            changes.Set(static_cast<ParamID>(index),
                        instance.controller->plainParamToNormalized(static_cast<ParamID>(index), value));
        call.data.inputParameterChanges = &changes;
    }

    void Run(float** in, float** out, int32 frames)
    {
        call.SetBuffers(in, out, frames);
        instance.processor->process(call.data);
        changes.Clear();
    }

private:
    hostkit::Vst3Module module;
    hostkit::HostApplication application{"lv2 comparison"};
    hostkit::Vst3Instance instance;
    hostkit::ParameterChanges changes;
    hostkit::Vst3ProcessCall call;
};

struct Settings
{
    const char* what;
    const char* preset; // label, or null
    std::vector<std::pair<int32, double>> values;
};
} // namespace

TEST_F(Lv2ModuleTest, PortsAreTheParametersInTheirOwnUnits)
{
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin), 4u + kVellicorParamCount + 2u);
    LilvNode* integer = world->Uri(LV2_CORE__integer);
    LilvNode* notOnGui = world->Uri(LV2_PORT_PROPS__notOnGUI);
    LilvNode* unit = world->Uri(LV2_UNITS__unit);
    std::vector<float> mins(lilv_plugin_get_num_ports(plugin)), maxs(mins.size()), defs(mins.size());
    lilv_plugin_get_port_ranges_float(plugin, mins.data(), maxs.data(), defs.data());
    for (int32_t i = 0; i < kVellicorParamCount; ++i)
    {
        const VellicorParamInfo& p = kVellicorParams[i];
        LilvNode* symbol = lilv_new_string(world->Get(), kSymbols[i]);
        const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin, symbol);
        lilv_node_free(symbol);
        ASSERT_NE(port, nullptr) << kSymbols[i];
        const uint32_t index = lilv_port_get_index(plugin, port);
        EXPECT_EQ(index, 4u + static_cast<uint32_t>(i)) << kSymbols[i];
        EXPECT_EQ(mins[index], static_cast<float>(p.minimum)) << kSymbols[i];
        EXPECT_EQ(maxs[index], static_cast<float>(p.maximum)) << kSymbols[i];
        EXPECT_EQ(defs[index], static_cast<float>(p.defaultValue)) << kSymbols[i];
        EXPECT_EQ(lilv_port_has_property(plugin, port, integer), p.integer) << kSymbols[i];
        EXPECT_EQ(lilv_port_has_property(plugin, port, notOnGui), i == kMemLeft || i == kMemRight)
            << kSymbols[i];
        LilvNodes* units = lilv_port_get_value(plugin, port, unit);
        EXPECT_EQ(units ? lilv_node_as_uri(lilv_nodes_get_first(units)) : std::string(),
                  kUnits[i] ? kUnits[i] : std::string())
            << kSymbols[i];
        lilv_nodes_free(units);
    }
}

TEST_F(Lv2ModuleTest, PresetsAreTheFactoryPresetsAndTheDefault)
{
    const auto presets = Presets();
    ASSERT_EQ(presets.size(), 1u + kVellicorFactoryPresetCount);
    auto expect = [&](const char* name, const double* values)
    {
        const auto found = presets.find(name);
        ASSERT_NE(found, presets.end()) << name;
        for (int32_t i = 0; i < kVellicorParamCount; ++i)
        {
            const auto v = found->second.find(kSymbols[i]);
            ASSERT_NE(v, found->second.end()) << name << " " << kSymbols[i];
            EXPECT_EQ(v->second, static_cast<float>(values[i])) << name << " " << kSymbols[i];
        }
    };
    double defaults[kVellicorParamCount];
    for (int32_t i = 0; i < kVellicorParamCount; ++i)
        defaults[i] = kVellicorParams[i].defaultValue;
    expect(kVellicorDefaultPresetName, defaults);
    for (const VellicorPresetInfo& p : kVellicorPresets)
        expect(p.name, p.values);
}

TEST_F(Lv2ModuleTest, RendersBitForBitAsTheVst3ModulesSinglePrecisionPath)
{
    constexpr int64_t kFrames = 12000;
    const Settings cases[] = {
        {"default", nullptr, {}},
        {"preset", "Soft Dynamic", {}},
        // 0.7 ms is no float: the port's nearest step must be the step VST3 takes for 0.7.
        {"custom",
         nullptr,
         {{kInputGain, 6.0},
          {kLookAhead, 0.7},
          {kAttack, 2.3},
          {kHold, 12.5},
          {kRelease, 33.3},
          {kStereoLink, 40.0},
          {kOutLimit, -1.2},
          {kTargetAttenuation, 7.0}}},
    };
    const auto presets = Presets();
    for (const int block : {1, 512})
        for (const Settings& s : cases)
        {
            SCOPED_TRACE(std::string(s.what) + " at block size " + std::to_string(block));
            int32 program = -1;
            for (int32 i = 0; s.preset && i < kVellicorFactoryPresetCount; ++i)
                if (std::string(kVellicorPresets[i].name) == s.preset) program = i + 1; // 0 is the default
            Vst3Reference vst3(block, program, s.values);
            lv2test::Instance lv2(*world, plugin, kRate, block);
            ASSERT_NE(lv2.Get(), nullptr);
            if (s.preset)
                for (const auto& [symbol, value] : presets.at(s.preset))
                    lv2.SetControl(symbol.c_str(), value);
            for (const auto& [index, value] : s.values)
                lv2.SetControl(kSymbols[index], static_cast<float>(value));
            lv2.Activate();

            int64_t mismatch = -1;
            for (int64_t done = 0; done < kFrames && mismatch < 0; done += block)
            {
                std::vector<float> in[2] = {Stereo(block, done, 0), Stereo(block, done, 1)};
                std::vector<float> a[2] = {std::vector<float>(block), std::vector<float>(block)};
                std::vector<float> b[2] = {std::vector<float>(block), std::vector<float>(block)};
                float* inPtr[2] = {in[0].data(), in[1].data()};
                float* aPtr[2] = {a[0].data(), a[1].data()};
                float* bPtr[2] = {b[0].data(), b[1].data()};
                lv2.Run(inPtr, aPtr, static_cast<uint32_t>(block));
                vst3.Run(inPtr, bPtr, block);
                for (int i = 0; i < block && mismatch < 0; ++i)
                    for (int c = 0; c < 2; ++c)
                        if (std::memcmp(&a[c][i], &b[c][i], sizeof(float)) != 0) mismatch = done + i;
            }
            EXPECT_EQ(mismatch, -1) << "first frame where the LV2 output differs from VST3's";
        }
}

TEST_F(Lv2ModuleTest, TheMonoVariantIsTheVst3ModulesMonoPath)
{
    const LilvPlugin* mono = world->Plugin(id::kLv2MonoUri);
    ASSERT_NE(mono, nullptr);
    ASSERT_EQ(lilv_plugin_get_num_ports(mono), 2u + kVellicorParamCount + 2u);
    constexpr int kBlock = 512;
    const std::vector<std::pair<int32, double>> settings = {
        {kInputGain, 4.5}, {kLookAhead, 0.7}, {kRelease, 33.3}};
    Vst3Reference vst3(kBlock, -1, settings, 1);
    lv2test::Instance lv2(*world, mono, kRate, kBlock);
    ASSERT_NE(lv2.Get(), nullptr);
    for (const auto& [index, value] : settings)
        lv2.SetControl(kSymbols[index], static_cast<float>(value));
    lv2.Activate();
    for (int64_t done = 0; done < 12000; done += kBlock)
    {
        std::vector<float> in = Stereo(kBlock, done, 0), a(kBlock), b(kBlock);
        float* inPtr[1] = {in.data()};
        float* aPtr[1] = {a.data()};
        float* bPtr[1] = {b.data()};
        lv2.Run(inPtr, aPtr, kBlock);
        vst3.Run(inPtr, bPtr, kBlock);
        ASSERT_EQ(std::memcmp(a.data(), b.data(), sizeof(float) * kBlock), 0) << "block at frame " << done;
    }
}

TEST_F(Lv2ModuleTest, ActivateStartsOverAsAFreshInstance)
{
    // Loud from frame 5000 on and cut off inside the look-ahead: what stays in the delay must not
    // come out after deactivate() and activate().
    constexpr uint32_t kFrames = 6000;
    lv2test::Instance lv2(*world, plugin, kRate, kFrames);
    ASSERT_NE(lv2.Get(), nullptr);
    lv2.SetControl("look_ahead", 20.0f);
    std::vector<float> in[2] = {Stereo(kFrames, 0, 0), Stereo(kFrames, 0, 1)};
    float* inPtr[2] = {in[0].data(), in[1].data()};
    std::vector<float> runs[2][2];
    for (auto& run : runs)
    {
        lv2.Activate();
        for (auto& channel : run)
            channel.assign(kFrames, 0.0f);
        float* outPtr[2] = {run[0].data(), run[1].data()};
        lv2.Run(inPtr, outPtr, kFrames);
        lv2.Deactivate();
    }
    EXPECT_EQ(runs[0][0], runs[1][0]);
    EXPECT_EQ(runs[0][1], runs[1][1]);
}

TEST_F(Lv2ModuleTest, RefusesUnusableSampleRatesThroughTheHostLog)
{
    for (const double rate : {0.0, -48000.0, std::nan(""), std::numeric_limits<double>::infinity(), 10.5e6})
    {
        lv2test::Instance lv2(*world, plugin, rate, 512);
        EXPECT_EQ(lv2.Get(), nullptr) << rate;
        ASSERT_EQ(lv2.logged.size(), 1u) << rate;
        EXPECT_NE(lv2.logged[0].find("sample rate"), std::string::npos) << lv2.logged[0];
    }
}

namespace
{
// The last meter feed among the notify port's events, or an empty vector.
std::vector<float> LastFeed(lv2test::Instance& lv2, const vellicor::lv2::EditorLinkUrids& urids)
{
    std::vector<float> feed;
    for (const auto& bytes : lv2.NotifyEvents())
    {
        {
            float values[vellicor::lv2::kMaxFeedValues];
            const int32_t n =
                vellicor::lv2::ReadFeed(urids, reinterpret_cast<const LV2_Atom*>(bytes.data()), values);
            if (n > 0) feed.assign(values, values + n);
        }
    }
    return feed;
}

// Runs frames of the signal (which limits from frame 5000 on) in blocks of 512; answers the last
// feed seen.
std::vector<float> RunLoud(lv2test::Instance& lv2, const vellicor::lv2::EditorLinkUrids& urids,
                           int64_t frames, float gain = 1.0f)
{
    std::vector<float> last;
    for (int64_t done = 0; done < frames; done += 512)
    {
        std::vector<float> in[2] = {Stereo(512, done, 0), Stereo(512, done, 1)};
        for (auto& channel : in)
            for (float& x : channel)
                x *= gain;
        std::vector<float> out[2] = {std::vector<float>(512), std::vector<float>(512)};
        float* inPtr[2] = {in[0].data(), in[1].data()};
        float* outPtr[2] = {out[0].data(), out[1].data()};
        lv2.Run(inPtr, outPtr, 512);
        if (auto feed = LastFeed(lv2, urids); !feed.empty()) last = feed;
    }
    return last;
}
} // namespace

TEST_F(Lv2ModuleTest, MeterFeedStampsPeaksWithTheHostTransportOrTheSamplesSinceActivation)
{
    vellicor::lv2::EditorLinkUrids urids;
    ASSERT_TRUE(urids.Map(world->Urids().Feature(), id::kLv2Uri));

    lv2test::Instance counted(*world, plugin, kRate, 512);
    counted.Activate();
    RunLoud(counted, urids, 3 * 48000, 0.0f); // 3 s of silence
    std::vector<float> feed = RunLoud(counted, urids, 12000);
    ASSERT_EQ(feed.size(), static_cast<size_t>(MeterFeed::kCount));
    EXPECT_GT(feed[MeterFeed::kPeakLeft], 0.0f);
    EXPECT_EQ(feed[MeterFeed::kPeakTimeLeft], 3.0f);

    lv2test::Instance transported(*world, plugin, kRate, 512);
    transported.Activate();
    transported.SendPosition(10 * 48000 + 7); // the transport stands at 10 s when the peak comes
    feed = RunLoud(transported, urids, 12000);
    ASSERT_EQ(feed.size(), static_cast<size_t>(MeterFeed::kCount));
    EXPECT_EQ(feed[MeterFeed::kPeakTimeLeft], 10.0f);
    EXPECT_EQ(feed[MeterFeed::kPeakTimeRight], 10.0f);

    // The editor's reset clears the DSP's peaks, which the next feed shows.
    alignas(8) uint8_t buffer[128];
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, world->Urids().Feature());
    lv2_atom_forge_set_buffer(&forge, buffer, sizeof buffer);
    ASSERT_TRUE(vellicor::lv2::ForgeCommand(urids, forge, MeterFeed::kCommandResetPeaks));
    transported.SendAtom(reinterpret_cast<const LV2_Atom*>(buffer));
    feed = RunLoud(transported, urids, 512, 0.0f);
    ASSERT_EQ(feed.size(), static_cast<size_t>(MeterFeed::kCount));
    EXPECT_EQ(feed[MeterFeed::kPeakLeft], 0.0f);
    EXPECT_EQ(feed[MeterFeed::kPeakRight], 0.0f);
}

TEST_F(Lv2ModuleTest, RunAllocatesNothing)
{
    constexpr int kMaxBlock = 1024;
    lv2test::Instance lv2(*world, plugin, kRate, kMaxBlock);
    ASSERT_NE(lv2.Get(), nullptr);
    lv2.Activate();
    std::mt19937 random(4321);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<float> in[2], out[2];
    for (int c = 0; c < 2; ++c)
    {
        in[c] = Stereo(kMaxBlock, 0, c);
        out[c].assign(kMaxBlock, 0.0f);
    }
    float* inPtr[2] = {in[0].data(), in[1].data()};
    float* outPtr[2] = {out[0].data(), out[1].data()};

    const int64_t before = counting::Allocations();
    int64_t position = 0;
    for (int block = 0; block < 2000; ++block)
    {
        const uint32_t frames = 1 + static_cast<uint32_t>(random() % kMaxBlock);
        // Every control moves, over and beyond its range, and the transport jumps now and then.
        for (int32_t i = 0; i < kVellicorParamCount; ++i)
        {
            const VellicorParamInfo& p = kVellicorParams[i];
            const double span = p.maximum - p.minimum;
            lv2.SetControl(kSymbols[i],
                           static_cast<float>(p.minimum - 0.1 * span + 1.2 * span * unit(random)));
        }
        if (block % 41 == 3) lv2.SendPosition(position + 48000);
        {
            counting::Scope count;
            lv2.Run(inPtr, outPtr, frames);
        }
        position += frames;
    }
    EXPECT_EQ(counting::Allocations() - before, 0);
}
