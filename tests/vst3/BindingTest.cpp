// The VST3 binding driven in-process through its VST3 interfaces, on a small probe plug-in.
#include "core/HostLookup.h"
#include "tests/vst3/ProbeEffect.h"
#include "tests/vst3/TestHost.h"
#if !defined(_WIN32)
#include "tests/vst3/TestRunLoop.h"
#endif
#include "vst3/IEffectVST3View.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstevents.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

using namespace testhost;

namespace
{
class BindingTest : public ::testing::Test
{
protected:
    void Make(bool withEditor, int32_t midiMode = 0)
    {
        plugin = new ProbeEffect(&events, withEditor ? &editorLog : nullptr, midiMode);
        ASSERT_EQ(plugin->initialize(&host), kResultOk);
    }
    void SetUp() override { Make(false); }
    void TearDown() override
    {
        if (plugin)
        {
            plugin->terminate();
            plugin->release();
        }
    }
    void Remake(bool withEditor, int32_t midiMode = 0)
    {
        TearDown();
        events = {};
        editorLog = {};
        Make(withEditor, midiMode);
    }
    tresult Setup(int32 sampleSize, int32 maxBlock = 64, double rate = 48000.0)
    {
        ProcessSetup setup{kRealtime, sampleSize, maxBlock, rate};
        return plugin->setupProcessing(setup);
    }
    void ActivateBuses()
    {
        plugin->activateBus(kAudio, kInput, 0, true);
        plugin->activateBus(kAudio, kOutput, 0, true);
    }
    IParamSlot& Slot(int i) { return *plugin->GetParam(i); }

    HostApplication host{"Ardour 7.3"};
    ProbeEffect::Events events;
    RecordingEditor::Log editorLog;
    ProbeEffect* plugin = nullptr;
};

template <typename T> void FillRamp(Block<T>& b)
{
    for (int c = 0; c < b.in.Channels(); ++c)
        for (int i = 0; i < b.in.frames; ++i)
            b.in[c][i] = static_cast<T>(0.001 * (i + 1) * (c ? -1 : 1));
}
} // namespace

// ---- Identity ------------------------------------------------------------------------------

TEST_F(BindingTest, ClassNamesRunFromTheBindingDownToFObject)
{
    EXPECT_STREQ(plugin->isA(), "IEffectVST3");
    for (const char* kind :
         {"IEffectVST3", "SingleComponentEffect", "EditController", "ComponentBase", "FObject"})
        EXPECT_TRUE(plugin->isTypeOf(kind)) << kind;
    EXPECT_FALSE(plugin->isTypeOf("Component"));
}

TEST_F(BindingTest, EveryInterfaceLeadsToTheSameObjectAndConnectionPointIsRefused)
{
    auto unknownOf = [](FUnknown* u)
    {
        FUnknown* base = nullptr;
        EXPECT_EQ(u->queryInterface(FUnknown::iid, reinterpret_cast<void**>(&base)), kResultOk);
        base->release();
        return base;
    };
    FUnknown* self = unknownOf(static_cast<IComponent*>(plugin));
    const TUID* iids[] = {&IPluginBase::iid.toTUID(),      &IComponent::iid.toTUID(),
                          &IAudioProcessor::iid.toTUID(),  &IEditController::iid.toTUID(),
                          &IEditController2::iid.toTUID(), &IUnitInfo::iid.toTUID()};
    for (const TUID* iid : iids)
    {
        FUnknown* itf = nullptr;
        ASSERT_EQ(plugin->queryInterface(*iid, reinterpret_cast<void**>(&itf)), kResultOk);
        EXPECT_EQ(unknownOf(itf), self);
        itf->release();
    }
    void* peer = reinterpret_cast<void*>(1);
    EXPECT_EQ(plugin->queryInterface(IConnectionPoint::iid, &peer), kNoInterface);
    EXPECT_EQ(peer, nullptr);
}

// ---- initialize ----------------------------------------------------------------------------

TEST_F(BindingTest, InitializeBuildsOneStereoBusEachWayAndIdentifiesTheHost)
{
    EXPECT_EQ(plugin->HostKind(), HostKinds::kArdour);
    ASSERT_EQ(plugin->getBusCount(kAudio, kInput), 1);
    ASSERT_EQ(plugin->getBusCount(kAudio, kOutput), 1);
    EXPECT_EQ(plugin->getBusCount(kEvent, kInput), 0);
    BusInfo info{};
    ASSERT_EQ(plugin->getBusInfo(kAudio, kInput, 0, info), kResultTrue);
    EXPECT_EQ(ToUtf8(info.name), "Main Input");
    EXPECT_EQ(info.channelCount, 2);
    EXPECT_EQ(info.busType, kMain);
    EXPECT_EQ(info.flags, static_cast<uint32>(BusInfo::kDefaultActive));
    ASSERT_EQ(plugin->getBusInfo(kAudio, kOutput, 0, info), kResultTrue);
    EXPECT_EQ(ToUtf8(info.name), "Output");
    EXPECT_EQ(plugin->getBusInfo(kAudio, kOutput, 1, info), kInvalidArgument);
    EXPECT_EQ(plugin->getBusInfo(kAudio, kOutput, -1, info), kInvalidArgument);
    SpeakerArrangement arr = 0;
    EXPECT_EQ(plugin->getBusArrangement(kOutput, 0, arr), kResultTrue);
    EXPECT_EQ(arr, static_cast<SpeakerArrangement>(0x3));
    EXPECT_EQ(plugin->getBusArrangement(kOutput, 1, arr), kResultFalse);
}

TEST_F(BindingTest, HostThatCannotNameItselfIsIdentifiedAsUnknown)
{
    HostApplication nameless{"Ardour 7.3"};
    nameless.nameFails = true;
    ProbeEffect::Events otherEvents;
    auto* other = new ProbeEffect(&otherEvents, nullptr, 0);
    EXPECT_EQ(other->HostKind(), -1);
    ASSERT_EQ(other->initialize(&nameless), kResultOk);
    EXPECT_EQ(other->HostKind(), HostKinds::kOther); // the buffer it wrote is not trusted
    other->terminate();
    other->release();
}

TEST_F(BindingTest, InitializeDeliversEveryParameterOnceInIndexOrder)
{
    EXPECT_EQ(events.paramChanged, (std::vector<int32_t>{0, 1, 2}));
    EXPECT_TRUE(plugin->IsProcessingReady());
}

TEST_F(BindingTest, SecondInitializeIsRefusedAndAddsNothing)
{
    EXPECT_EQ(plugin->initialize(&host), kResultFalse);
    EXPECT_EQ(plugin->getBusCount(kAudio, kInput), 1);
    EXPECT_EQ(plugin->getParameterCount(), 4);
    // A null context is not remembered by the SDK; it must not double the buses either.
    Remake(false);
    plugin->terminate();
    ASSERT_EQ(plugin->initialize(nullptr), kResultOk);
    EXPECT_EQ(plugin->initialize(nullptr), kResultFalse);
    EXPECT_EQ(plugin->getParameterCount(), 4);
    EXPECT_EQ(plugin->getBusCount(kAudio, kOutput), 1);
}

TEST_F(BindingTest, PluginTakingMidiGetsAnEventBusAndNoteEvents)
{
    Remake(false, 1);
    ASSERT_EQ(plugin->getBusCount(kEvent, kInput), 1);
    BusInfo info{};
    plugin->getBusInfo(kEvent, kInput, 0, info);
    EXPECT_EQ(ToUtf8(info.name), "MIDI Input");
    EXPECT_EQ(info.channelCount, 1);
}

// ---- Parameters ----------------------------------------------------------------------------

TEST_F(BindingTest, ContainerHoldsPresetsListThenOneWrapperPerParameter)
{
    ASSERT_EQ(plugin->getParameterCount(), 4);
    ParameterInfo info{};
    ASSERT_EQ(plugin->getParameterInfo(0, info), kResultTrue);
    EXPECT_EQ(ToUtf8(info.title), "Presets");
    EXPECT_EQ(info.id, IEffectVST3::kProgramTag);
    EXPECT_EQ(info.stepCount, 3);
    EXPECT_EQ(info.flags, 0x8008);

    ASSERT_EQ(plugin->getParameterInfo(1, info), kResultTrue);
    EXPECT_EQ(info.id, 0u);
    EXPECT_EQ(ToUtf8(info.title), "Gain");
    EXPECT_EQ(ToUtf8(info.units), "x");
    EXPECT_EQ(info.stepCount, 0);
    EXPECT_DOUBLE_EQ(info.defaultNormalizedValue, 0.25);
    EXPECT_EQ(info.flags, ParameterInfo::kCanAutomate);
    EXPECT_EQ(info.unitId, kRootUnitId);

    ASSERT_EQ(plugin->getParameterInfo(2, info), kResultTrue);
    EXPECT_EQ(info.stepCount, 14);
    EXPECT_DOUBLE_EQ(info.defaultNormalizedValue, 3.0 / 14.0);

    ASSERT_EQ(plugin->getParameterInfo(3, info), kResultTrue);
    EXPECT_DOUBLE_EQ(info.defaultNormalizedValue, 0.5); // 0.25 ^ (1 / 2)
    EXPECT_EQ(info.flags, 0);
    EXPECT_EQ(info.unitId, 1);
}

TEST_F(BindingTest, ParameterInfoOutsideTheContainerIsRefusedNotThrown)
{
    ParameterInfo info{};
    EXPECT_EQ(plugin->getParameterInfo(-1, info), kResultFalse);
    EXPECT_EQ(plugin->getParameterInfo(4, info), kResultFalse);
    EXPECT_EQ(plugin->getParameterInfo(std::numeric_limits<int32>::max(), info), kResultFalse);
}

TEST_F(BindingTest, WrapperClassNamesAndConversionsAreTheSlots)
{
    Parameter* p = plugin->getParameterObject(ProbeEffect::kTone);
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p->isA(), "IEffectParameter");
    EXPECT_TRUE(p->isTypeOf("Parameter"));
    EXPECT_DOUBLE_EQ(plugin->normalizedParamToPlain(ProbeEffect::kTone, 0.5), 0.25);
    EXPECT_DOUBLE_EQ(plugin->plainParamToNormalized(ProbeEffect::kTone, 0.25), 0.5);
    EXPECT_DOUBLE_EQ(plugin->plainParamToNormalized(ProbeEffect::kGain, 9.0), 1.0); // clamped
    EXPECT_DOUBLE_EQ(plugin->plainParamToNormalized(IEffectVST3::kProgramTag, 2.0), 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(plugin->plainParamToNormalized(1234, 0.7), 0.7);
    EXPECT_DOUBLE_EQ(plugin->normalizedParamToPlain(1234, 0.7), 0.7);
}

TEST_F(BindingTest, ParameterTextsComeFromTheSlot)
{
    String128 text{};
    ASSERT_EQ(plugin->getParamStringByValue(ProbeEffect::kGain, 0.5, text), kResultOk);
    char expected[IParamSlot::kTextSize];
    Slot(ProbeEffect::kGain).FormatValue(0.5, true, expected);
    EXPECT_EQ(ToUtf8(text), expected);
    EXPECT_EQ(ToUtf8(text), "2.00");
    EXPECT_EQ(plugin->getParamStringByValue(IEffectVST3::kProgramTag, 0.0, text), kResultFalse);
    EXPECT_EQ(plugin->getParamStringByValue(IEffectVST3::kBypassTag, 0.0, text), kResultFalse);
    EXPECT_EQ(plugin->getParamStringByValue(3, 0.0, text), kResultFalse);

    ParamValue v = -1;
    Text16 typed = ToUtf16("3");
    EXPECT_EQ(plugin->getParamValueByString(ProbeEffect::kGain, typed.data(), v), kResultTrue);
    EXPECT_DOUBLE_EQ(v, 0.75);
    typed = ToUtf16("loud");
    EXPECT_EQ(plugin->getParamValueByString(ProbeEffect::kGain, typed.data(), v), kResultTrue);
    EXPECT_DOUBLE_EQ(v, 0.0);
    typed = ToUtf16("99");
    EXPECT_EQ(plugin->getParamValueByString(ProbeEffect::kGain, typed.data(), v), kResultTrue);
    EXPECT_DOUBLE_EQ(v, 1.0);
    EXPECT_EQ(plugin->getParamValueByString(IEffectVST3::kBypassTag, typed.data(), v), kResultFalse);
}

TEST_F(BindingTest, ControllerValueCallsOnlyStoreIntoTheSlot)
{
    events.paramChanged.clear();
    EXPECT_EQ(plugin->setParamNormalized(ProbeEffect::kGain, 0.5), kResultOk);
    EXPECT_DOUBLE_EQ(Slot(ProbeEffect::kGain).value, 2.0);
    EXPECT_DOUBLE_EQ(plugin->getParamNormalized(ProbeEffect::kGain), 0.5);
    EXPECT_TRUE(events.paramChanged.empty());
    EXPECT_DOUBLE_EQ(plugin->gain, 1.0); // the signal side learns of it in process

    EXPECT_EQ(plugin->setParamNormalized(3, 0.5), kResultFalse);
    EXPECT_EQ(plugin->getParamNormalized(3), 0.0);
    EXPECT_EQ(plugin->setParamNormalized(ProbeEffect::kGain, std::nan("")), kResultOk);
    EXPECT_DOUBLE_EQ(Slot(ProbeEffect::kGain).value, 0.0);
}

TEST_F(BindingTest, ProgramAndBypassTagsThroughTheController)
{
    EXPECT_EQ(plugin->getParamNormalized(IEffectVST3::kProgramTag), 0.0);
    EXPECT_EQ(plugin->setParamNormalized(IEffectVST3::kProgramTag, 0.5), kResultOk);
    EXPECT_DOUBLE_EQ(plugin->getParamNormalized(IEffectVST3::kProgramTag), 2.0 / 3.0); // (int)(3 x 0.5 + 0.5)
    EXPECT_DOUBLE_EQ(Slot(ProbeEffect::kGain).value, 1.0);                             // not loaded
    EXPECT_EQ(plugin->setParamNormalized(IEffectVST3::kProgramTag, 40.0), kResultOk);
    EXPECT_DOUBLE_EQ(plugin->getParamNormalized(IEffectVST3::kProgramTag), 1.0);

    EXPECT_EQ(plugin->getParamNormalized(IEffectVST3::kBypassTag), 0.0);
    EXPECT_EQ(plugin->setParamNormalized(IEffectVST3::kBypassTag, 0.3), kResultOk);
    EXPECT_TRUE(plugin->IsBypassed());
    EXPECT_EQ(plugin->getParamNormalized(IEffectVST3::kBypassTag), 1.0);
    ASSERT_EQ(Setup(kSample32), kResultOk);
    EXPECT_EQ(plugin->getParamNormalized(IEffectVST3::kBypassTag), 0.0);
}

// ---- Units and programs --------------------------------------------------------------------

TEST_F(BindingTest, UnitsFollowParameterGroups)
{
    EXPECT_EQ(plugin->getUnitCount(), 2);
    UnitInfo unit{};
    ASSERT_EQ(plugin->getUnitInfo(0, unit), kResultOk);
    EXPECT_EQ(unit.id, 0);
    EXPECT_EQ(unit.parentUnitId, kNoParentUnitId);
    EXPECT_EQ(ToUtf8(unit.name), "Root Unit");
    EXPECT_EQ(unit.programListId, static_cast<ProgramListID>(IEffectVST3::kProgramListId));
    ASSERT_EQ(plugin->getUnitInfo(1, unit), kResultOk);
    EXPECT_EQ(unit.id, 1);
    EXPECT_EQ(unit.parentUnitId, 0);
    EXPECT_EQ(ToUtf8(unit.name), "Tone");
    EXPECT_EQ(unit.programListId, kNoProgramListId);
    EXPECT_EQ(plugin->getUnitInfo(2, unit), kResultFalse);
    EXPECT_EQ(plugin->getUnitInfo(-1, unit), kResultFalse);
    EXPECT_EQ(plugin->getSelectedUnit(), 0);
    EXPECT_EQ(plugin->selectUnit(1), kNotImplemented);

    // The group list only grows by new names: a second initialize cycle keeps one "Tone".
    plugin->terminate();
    ASSERT_EQ(plugin->initialize(&host), kResultOk);
    EXPECT_EQ(plugin->getUnitCount(), 2);
}

TEST_F(BindingTest, OneFactoryProgramListNamedByThePresets)
{
    EXPECT_EQ(plugin->getProgramListCount(), 1);
    ProgramListInfo list{};
    ASSERT_EQ(plugin->getProgramListInfo(0, list), kResultOk);
    EXPECT_EQ(list.id, static_cast<ProgramListID>(IEffectVST3::kProgramListId));
    EXPECT_EQ(ToUtf8(list.name), "Factory Presets");
    EXPECT_EQ(list.programCount, 4);
    EXPECT_EQ(plugin->getProgramListInfo(1, list), kResultFalse);

    String128 name{};
    ASSERT_EQ(plugin->getProgramName(IEffectVST3::kProgramListId, 1, name), kResultOk);
    EXPECT_EQ(ToUtf8(name), "Loud");
    ASSERT_EQ(plugin->getProgramName(IEffectVST3::kProgramListId, 4, name), kResultOk);
    EXPECT_EQ(ToUtf8(name), "");
    EXPECT_EQ(plugin->getProgramName(7, 0, name), kResultFalse);
}

// ---- Processing setup ----------------------------------------------------------------------

TEST_F(BindingTest, SetupStoresRateAndBlockSizeAndRefusesWhatCannotBeRun)
{
    EXPECT_EQ(plugin->canProcessSampleSize(kSample32), kResultTrue);
    EXPECT_EQ(plugin->canProcessSampleSize(kSample64), kResultTrue);
    EXPECT_EQ(plugin->canProcessSampleSize(2), kResultFalse);
    EXPECT_EQ(Setup(2), kResultFalse);
    EXPECT_EQ(Setup(kSample32, 0), kResultFalse);
    EXPECT_EQ(Setup(kSample32, -5), kResultFalse);
    // The rate rule of both bindings: unusable rates are refused, the last valid one stays.
    for (double rate : {0.0, -44100.0, std::nan(""), std::numeric_limits<double>::infinity(), 10.0e6 + 1.0})
        EXPECT_EQ(Setup(kSample32, 64, rate), kResultFalse) << rate;
    EXPECT_EQ(events.resets, 0);
    EXPECT_EQ(plugin->BlockSize(), 0);

    EXPECT_EQ(Setup(kSample64, 256, 96000.0), kResultOk);
    EXPECT_EQ(plugin->BlockSize(), 256);
    EXPECT_EQ(plugin->SampleRate(), 96000.0);
    EXPECT_EQ(events.resets, 1);
    EXPECT_EQ(Setup(kSample64, 256, 20.0e6), kResultFalse);
    EXPECT_EQ(plugin->SampleRate(), 96000.0);
    EXPECT_EQ(Setup(kSample64, 256, 10.0e6), kResultOk) << "the top of the range is usable";
    // Blocks are processed in slices: a huge announced block is taken, its scratch capped.
    EXPECT_EQ(Setup(kSample64, std::numeric_limits<int32>::max(), 96000.0), kResultOk);
    EXPECT_EQ(plugin->BlockSize(), 1 << 20);
    EXPECT_EQ(Setup(kSample64, 256, 96000.0), kResultOk);
    EXPECT_EQ(events.resets, 4);
    EXPECT_EQ(plugin->getProcessSetup().symbolicSampleSize, kSample64);
    EXPECT_EQ(plugin->getLatencySamples(), 0u);
    EXPECT_EQ(plugin->getTailSamples(), 0u);
    EXPECT_EQ(plugin->setActive(true), kResultOk);
    EXPECT_EQ(plugin->setProcessing(true), kNotImplemented);
}

TEST_F(BindingTest, MonoArrangementReplacesTheBusesUnderGenericNames)
{
    SpeakerArrangement mono = 0x80000, stereo = 0x3;
    EXPECT_EQ(plugin->setBusArrangements(&mono, 1, &mono, 1), kResultTrue);
    BusInfo info{};
    plugin->getBusInfo(kAudio, kInput, 0, info);
    EXPECT_EQ(ToUtf8(info.name), "Input");
    EXPECT_EQ(info.channelCount, 1);
    plugin->getBusInfo(kAudio, kOutput, 0, info);
    EXPECT_EQ(ToUtf8(info.name), "Output");
    EXPECT_EQ(info.channelCount, 1);
    EXPECT_EQ(plugin->getBusCount(kAudio, kInput), 1);

    EXPECT_EQ(plugin->setBusArrangements(&stereo, 1, &mono, 1), kResultFalse);
    SpeakerArrangement two[2] = {stereo, stereo};
    EXPECT_EQ(plugin->setBusArrangements(two, 2, &stereo, 1), kResultFalse);
    plugin->getBusInfo(kAudio, kInput, 0, info);
    EXPECT_EQ(info.channelCount, 1); // refused proposals leave the buses alone
    EXPECT_EQ(plugin->setBusArrangements(nullptr, 1, &stereo, 1), kResultFalse);
    EXPECT_EQ(plugin->setBusArrangements(&stereo, 1, &stereo, 1), kResultTrue);
    plugin->getBusInfo(kAudio, kInput, 0, info);
    EXPECT_EQ(info.channelCount, 2);
}

// ---- process -------------------------------------------------------------------------------

template <typename T> class ProcessTest : public BindingTest
{
};
using SampleTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(ProcessTest, SampleTypes);

TYPED_TEST(ProcessTest, AppliesTheLastPointOfEachQueueOnceBeforeTheAudio)
{
    ASSERT_EQ(this->Setup(sizeof(TypeParam) == 8 ? kSample64 : kSample32, 64), kResultOk);
    this->ActivateBuses();
    Block<TypeParam> b(48);
    FillRamp(b);
    ParameterChanges changes;
    changes.Add(ProbeEffect::kGain, {1.0, 0.0, 0.5}).Add(777, {0.3}).Add(ProbeEffect::kNumParams, {0.3});
    b.data.inputParameterChanges = &changes;
    this->events.paramChanged.clear();
    ASSERT_EQ(this->plugin->process(b.data), kResultOk);
    EXPECT_EQ(this->events.paramChanged, (std::vector<int32_t>{ProbeEffect::kGain}));
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 48; ++i)
            ASSERT_EQ(b.out[c][i], static_cast<TypeParam>(static_cast<double>(b.in[c][i]) * 2.0))
                << c << " " << i;
    EXPECT_TRUE(b.out.GuardsIntact());
}

TYPED_TEST(ProcessTest, BlocksLongerThanAnnouncedAreProcessedWholeInsideTheBuffers)
{
    ASSERT_EQ(this->Setup(sizeof(TypeParam) == 8 ? kSample64 : kSample32, 16), kResultOk);
    this->ActivateBuses();
    Block<TypeParam> b(100);
    FillRamp(b);
    ASSERT_EQ(this->plugin->process(b.data), kResultOk);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 100; ++i)
            ASSERT_EQ(b.out[c][i], b.in[c][i]) << c << " " << i;
    EXPECT_TRUE(b.out.GuardsIntact());
    EXPECT_TRUE(b.in.GuardsIntact());
}

TYPED_TEST(ProcessTest, MissingBuffersAndBusesNeverFault)
{
    const int32 size = sizeof(TypeParam) == 8 ? kSample64 : kSample32;
    ASSERT_EQ(this->Setup(size, 32), kResultOk);
    this->ActivateBuses();
    Block<TypeParam> b(32);
    FillRamp(b);

    // Null channel pointer: that input reads as silence.
    b.in.Pointers()[1] = nullptr;
    ASSERT_EQ(this->plugin->process(b.data), kResultOk);
    EXPECT_EQ(b.out[0][5], b.in[0][5]);
    EXPECT_EQ(b.out[1][5], TypeParam(0));

    // Null pointer arrays and absent buses.
    Block<TypeParam> c(32);
    FillRamp(c);
    c.inBus.channelBuffers64 = nullptr;
    ASSERT_EQ(this->plugin->process(c.data), kResultOk);
    EXPECT_EQ(c.out[0][3], TypeParam(0));
    c.outBus.channelBuffers64 = nullptr;
    ASSERT_EQ(this->plugin->process(c.data), kResultOk);
    c.data.numInputs = 0;
    c.data.inputs = nullptr;
    c.data.numOutputs = 0;
    c.data.outputs = nullptr;
    ASSERT_EQ(this->plugin->process(c.data), kResultOk);

    // Only an output bus: silence in, so silence out; the input pointers of earlier blocks are gone.
    Block<TypeParam> d(32);
    FillRamp(d);
    d.data.numInputs = 0;
    d.out[0][0] = TypeParam(9);
    ASSERT_EQ(this->plugin->process(d.data), kResultOk);
    EXPECT_EQ(d.out[0][0], TypeParam(0));
    EXPECT_EQ(d.out[1][31], TypeParam(0));
    EXPECT_TRUE(d.out.GuardsIntact());

    // More channels announced on a bus than the plug-in has: the extra ones are left alone.
    Block<TypeParam> e(32, 4, 4);
    FillRamp(e);
    e.out[3][0] = TypeParam(7);
    ASSERT_EQ(this->plugin->process(e.data), kResultOk);
    EXPECT_EQ(e.out[1][4], e.in[1][4]);
    EXPECT_EQ(e.out[3][0], TypeParam(7));

    // Zero and negative frame counts.
    Block<TypeParam> f(8);
    f.data.numSamples = -3;
    f.out[0][0] = TypeParam(5);
    ASSERT_EQ(this->plugin->process(f.data), kResultOk);
    EXPECT_EQ(f.out[0][0], TypeParam(5));
}

// A host that sends a program keeps its own values unless told: it learns the preset's in the
// same call, as output changes written with the plug-in lock free, and reads the same back.
TEST_F(BindingTest, ProgramChangeReportsThePresetsValuesToTheHost)
{
    struct Changes : ParameterChanges
    {
        IEffectVST3* plugin = nullptr;
        bool lockFree = true;
        IParamValueQueue* PLUGIN_API addParameterData(const ParamID& id, int32& index) override
        {
            bool free = false;
            std::thread(
                [&]
                {
                    free = plugin->Lock().TryLock();
                    if (free) plugin->Lock().Unlock();
                })
                .join();
            lockFree = lockFree && free;
            return ParameterChanges::addParameterData(id, index);
        }
    } out;
    out.plugin = plugin;
    ASSERT_EQ(Setup(kSample32, 32), kResultOk);
    ActivateBuses();
    Block<float> b(32);
    ParameterChanges program;
    program.Add(IEffectVST3::kProgramTag, {2.0 / 3.0}); // preset 2, "Quiet"
    b.data.inputParameterChanges = &program;
    b.data.outputParameterChanges = &out;
    ASSERT_EQ(plugin->process(b.data), kResultOk);
    const double quiet[ProbeEffect::kNumParams] = {0.5, 1, 0.1};
    ASSERT_EQ(out.getParameterCount(), ProbeEffect::kNumParams);
    for (int i = 0; i < ProbeEffect::kNumParams; ++i)
    {
        EXPECT_EQ(out.Queue(i).getParameterId(), static_cast<ParamID>(i));
        EXPECT_DOUBLE_EQ(out.Queue(i).LastValue(-1.0), Slot(i).ToNormalized(quiet[i])) << i;
        EXPECT_DOUBLE_EQ(plugin->getParamNormalized(static_cast<ParamID>(i)), Slot(i).ToNormalized(quiet[i]));
    }
    EXPECT_TRUE(out.lockFree);

    out.Clear(); // a block without a program reports nothing
    b.data.inputParameterChanges = nullptr;
    ASSERT_EQ(plugin->process(b.data), kResultOk);
    EXPECT_TRUE(out.Empty());
}

TYPED_TEST(ProcessTest, ProgramAndBypassTags)
{
    ASSERT_EQ(this->Setup(sizeof(TypeParam) == 8 ? kSample64 : kSample32, 32), kResultOk);
    this->ActivateBuses();
    Block<TypeParam> b(32);
    FillRamp(b);
    ParameterChanges program;
    program.Add(IEffectVST3::kProgramTag, {0.0, 1.0 / 3.0}); // preset 1, "Loud": gain 2
    b.data.inputParameterChanges = &program;
    ASSERT_EQ(this->plugin->process(b.data), kResultOk);
    EXPECT_EQ(this->plugin->CurrentPresetIndex(), 1);
    EXPECT_DOUBLE_EQ(this->Slot(ProbeEffect::kMode).value, 7.0);
    EXPECT_EQ(b.out[0][10], static_cast<TypeParam>(static_cast<double>(b.in[0][10]) * 2.0));

    // Values outside [0, 1] and NaN select a preset inside the list.
    for (double v : {7.5, -3.0, std::nan(""), 1e300})
    {
        ParameterChanges odd;
        odd.Add(IEffectVST3::kProgramTag, {v});
        b.data.inputParameterChanges = &odd;
        ASSERT_EQ(this->plugin->process(b.data), kResultOk);
        EXPECT_GE(this->plugin->CurrentPresetIndex(), 0);
        EXPECT_LT(this->plugin->CurrentPresetIndex(), 4);
    }

    ParameterChanges half;
    half.Add(IEffectVST3::kBypassTag, {0.5}).Add(ProbeEffect::kGain, {0.75});
    b.data.inputParameterChanges = &half;
    ASSERT_EQ(this->plugin->process(b.data), kResultOk);
    EXPECT_FALSE(this->plugin->IsBypassed());
    EXPECT_EQ(b.out[1][9], static_cast<TypeParam>(static_cast<double>(b.in[1][9]) * 3.0));

    ParameterChanges on;
    on.Add(IEffectVST3::kBypassTag, {0.51});
    b.data.inputParameterChanges = &on;
    ASSERT_EQ(this->plugin->process(b.data), kResultOk);
    EXPECT_TRUE(this->plugin->IsBypassed());
    for (int i = 0; i < 32; ++i)
        ASSERT_EQ(b.out[1][i], b.in[1][i]);
}

TYPED_TEST(ProcessTest, InactiveOutputBusIsNotWritten)
{
    ASSERT_EQ(this->Setup(sizeof(TypeParam) == 8 ? kSample64 : kSample32, 32), kResultOk);
    Block<TypeParam> b(32);
    FillRamp(b);
    b.out[0][0] = TypeParam(3);
    ASSERT_EQ(this->plugin->process(b.data), kResultOk);
    EXPECT_EQ(b.out[0][0], TypeParam(3));
    this->ActivateBuses();
    ASSERT_EQ(this->plugin->process(b.data), kResultOk);
    EXPECT_EQ(b.out[0][0], b.in[0][0]);
}

TEST_F(BindingTest, TransportIsKeptForTheSamplePosition)
{
    ASSERT_EQ(Setup(kSample32, 32), kResultOk);
    ActivateBuses();
    Block<float> b(32);
    b.context.projectTimeSamples = 123456;
    ASSERT_EQ(plugin->process(b.data), kResultOk);
    EXPECT_EQ(plugin->lastHostSamplePos, 123456);
    EXPECT_EQ(plugin->HostTransport().projectTimeSamples, 123456);
    b.data.processContext = nullptr; // kept from the last block that carried one
    ASSERT_EQ(plugin->process(b.data), kResultOk);
    EXPECT_EQ(plugin->lastHostSamplePos, 123456);

    b.data.processContext = &b.context;
    b.context.projectTimeSamples = int64_t(1) << 33; // two days at 48 kHz
    ASSERT_EQ(plugin->process(b.data), kResultOk);
    EXPECT_EQ(plugin->lastHostSamplePos, INT32_MAX) << "long positions saturate instead of wrapping";
}

TEST_F(BindingTest, BuffersOfAnotherWidthThanSetUpAreNotTouched)
{
    ASSERT_EQ(Setup(kSample32, 32), kResultOk);
    ActivateBuses();
    Block<double> b(32);
    FillRamp(b);
    b.out[0][0] = 4.0;
    ASSERT_EQ(plugin->process(b.data), kResultOk);
    EXPECT_EQ(b.out[0][0], 4.0);
    EXPECT_TRUE(b.out.GuardsIntact());
}

TEST_F(BindingTest, UnreadableQueuePointIsSkipped)
{
    ASSERT_EQ(Setup(kSample32, 32), kResultOk);
    ParameterChanges changes;
    changes.Add(ProbeEffect::kGain, {0.5});
    changes.Queue(0).extraPoints = 1; // the announced last point cannot be read
    changes.Add(ProbeEffect::kMode, {});
    Block<float> b(8);
    b.data.inputParameterChanges = &changes;
    events.paramChanged.clear();
    ASSERT_EQ(plugin->process(b.data), kResultOk);
    EXPECT_TRUE(events.paramChanged.empty());
}

TEST_F(BindingTest, HostChangesReachTheEditorWithoutEcho)
{
    Remake(true);
    ComponentHandler handler;
    plugin->setComponentHandler(&handler);
    ASSERT_EQ(Setup(kSample32, 32), kResultOk);
    editorLog.calls.clear();
    ParameterChanges changes;
    changes.Add(ProbeEffect::kMode, {2.0});
    Block<float> b(8);
    b.data.inputParameterChanges = &changes;
    ASSERT_EQ(plugin->process(b.data), kResultOk);
    ASSERT_EQ(editorLog.calls.size(), 1u);
    EXPECT_EQ(editorLog.calls[0], "param 1 1.000000 n");
    EXPECT_TRUE(handler.calls.empty());
    plugin->setComponentHandler(nullptr);
}

TEST_F(BindingTest, MidiNotesReachThePluginOnlyWhenItTakesMidi)
{
    struct Events : IEventList
    {
        int32 PLUGIN_API getEventCount() override { return static_cast<int32>(list.size()) + 1; }
        tresult PLUGIN_API getEvent(int32 index, Event& e) override
        {
            if (index >= static_cast<int32>(list.size())) return kResultFalse;
            e = list[static_cast<size_t>(index)];
            return kResultOk;
        }
        tresult PLUGIN_API addEvent(Event&) override { return kResultFalse; }
        tresult PLUGIN_API queryInterface(const TUID, void**) override { return kNoInterface; }
        uint32 PLUGIN_API addRef() override { return 1; }
        uint32 PLUGIN_API release() override { return 1; }
        std::vector<Event> list;
    } list;
    Event on{};
    on.type = Event::kNoteOnEvent;
    on.sampleOffset = 5;
    on.noteOn.channel = 2;
    on.noteOn.pitch = 60;
    on.noteOn.velocity = 0.5f;
    Event off = on;
    off.type = Event::kNoteOffEvent;
    off.noteOff.channel = 2;
    off.noteOff.pitch = 60;
    Event other{};
    other.type = Event::kDataEvent;
    list.list = {on, other, off};

    Block<float> b(8);
    b.data.inputEvents = &list;
    ASSERT_EQ(Setup(kSample32, 32), kResultOk);
    ASSERT_EQ(plugin->process(b.data), kResultOk);
    EXPECT_TRUE(events.midi.empty());

    Remake(false, 1);
    ASSERT_EQ(Setup(kSample32, 32), kResultOk);
    ASSERT_EQ(plugin->process(b.data), kResultOk);
    ASSERT_EQ(events.midi.size(), 2u);
    EXPECT_EQ(events.midi[0].status, 0x92);
    EXPECT_EQ(events.midi[0].data1, 60);
    EXPECT_EQ(events.midi[0].data2, 63);
    EXPECT_EQ(events.midi[0].frameOffset, 5);
    EXPECT_EQ(events.midi[1].status, 0x82);
    EXPECT_EQ(events.midi[1].data2, 0);
}

// ---- State ---------------------------------------------------------------------------------

TEST_F(BindingTest, ComponentStateIsTheParameterValuesAlone)
{
    plugin->setParamNormalized(ProbeEffect::kGain, 0.5);
    MemoryStream saved;
    ASSERT_EQ(static_cast<IComponent*>(plugin)->getState(&saved), kResultOk);
    ASSERT_EQ(saved.bytes.size(), 24u);
    double first = 0;
    std::memcpy(&first, saved.bytes.data(), 8);
    EXPECT_EQ(first, 2.0);

    Remake(true);
    editorLog.calls.clear();
    saved.position = 0;
    IComponent* component = plugin;
    ASSERT_EQ(component->setState(&saved), kResultOk);
    EXPECT_EQ(Slot(ProbeEffect::kGain).value, 2.0);
    EXPECT_DOUBLE_EQ(plugin->gain, 2.0);
    EXPECT_EQ(editorLog.calls.size(), 3u); // every value pushed to the editor
    MemoryStream again;
    ASSERT_EQ(component->getState(&again), kResultOk);
    EXPECT_EQ(again.bytes, saved.bytes);
}

TEST_F(BindingTest, UntrustedStateStreamsLeaveEveryParameterInRange)
{
    IComponent* component = plugin;
    auto values = [](std::vector<double> v)
    {
        std::vector<uint8_t> bytes(v.size() * 8);
        std::memcpy(bytes.data(), v.data(), bytes.size());
        return bytes;
    };
    const double nan = std::nan("");
    // Fewer bytes than the state is a failed restore (what there is still loads).
    const std::vector<std::pair<std::vector<uint8_t>, tresult>> streams = {
        {{}, kResultFalse},                                    // empty: nothing changes
        {values({3.0}), kResultFalse},                         // short: the rest keep their values
        {values({0.5, 99.0, -4.0, 1.0, 2.0, 3.0}), kResultOk}, // long, out of range
        {values({nan, std::numeric_limits<double>::infinity(), -nan}), kResultOk},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF7, 0x7F, 0x01, 0x02, 0x03}, kResultFalse}, // garbage
    };
    for (const auto& [bytes, expected] : streams)
    {
        MemoryStream s(bytes);
        EXPECT_EQ(component->setState(&s), expected) << bytes.size() << " bytes";
        EXPECT_LE(s.reads, 1);
        for (int i = 0; i < ProbeEffect::kNumParams; ++i)
        {
            const IParamSlot& p = Slot(i);
            EXPECT_TRUE(p.value >= p.minimum && p.value <= p.maximum)
                << "parameter " << i << " = " << p.value;
        }
    }
    MemoryStream shortOne(values({3.0}));
    plugin->setParamNormalized(ProbeEffect::kMode, 0.5);
    ASSERT_EQ(component->setState(&shortOne), kResultFalse);
    EXPECT_EQ(Slot(ProbeEffect::kGain).value, 3.0);
    EXPECT_EQ(Slot(ProbeEffect::kMode).value, 7.0);
    // A value cut short is not taken: the current one stays.
    std::vector<uint8_t> cut = values({1.5, 5.0});
    cut.resize(12);
    MemoryStream cutOne(cut);
    ASSERT_EQ(component->setState(&cutOne), kResultFalse);
    EXPECT_EQ(Slot(ProbeEffect::kGain).value, 1.5);
    EXPECT_EQ(Slot(ProbeEffect::kMode).value, 7.0);
    EXPECT_EQ(component->setState(nullptr), kInvalidArgument);
}

TEST_F(BindingTest, FailedStateWriteIsReported)
{
    MemoryStream broken;
    broken.failWrites = true;
    IComponent* component = plugin;
    EXPECT_EQ(component->getState(&broken), kResultFalse);
    EXPECT_EQ(component->getState(nullptr), kInvalidArgument);
}

TEST_F(BindingTest, ControllerStateIsEmpty)
{
    IEditController* controller = plugin;
    MemoryStream s({1, 2, 3});
    EXPECT_EQ(controller->setState(&s), kResultOk);
    EXPECT_EQ(s.reads, 0);
    MemoryStream out;
    EXPECT_EQ(controller->getState(&out), kResultOk);
    EXPECT_TRUE(out.bytes.empty());
    EXPECT_EQ(controller->setComponentState(&s), kNotImplemented);
}

// ---- Host notices --------------------------------------------------------------------------

TEST_F(BindingTest, GuiEditsAreForwardedToTheComponentHandler)
{
    plugin->BeginParamEdit(1); // no handler yet: nothing happens
    ComponentHandler handler;
    ASSERT_EQ(plugin->setComponentHandler(&handler), kResultTrue);
    EXPECT_EQ(handler.refs, 1);
    plugin->BeginParamEdit(1);
    plugin->SetParamFromGui(1, 0.25);
    plugin->EndParamEdit(1);
    EXPECT_EQ(handler.calls,
              (std::vector<ComponentHandler::Call>{{'b', 1, 0.0}, {'p', 1, 0.25}, {'e', 1, 0.0}}));
    plugin->terminate();
    EXPECT_EQ(handler.refs, 0);
    plugin->initialize(&host);
}

TEST_F(BindingTest, WheelStepsFormOneBalancedGesturePerParameter)
{
    Remake(true);
    ComponentHandler handler;
    ASSERT_EQ(plugin->setComponentHandler(&handler), kResultTrue);
    for (double v : {0.25, 0.5})
    {
        plugin->BeginParamEditIfIdle(1);
        plugin->SetParamFromGui(1, v);
        plugin->DeferEndParamEdit(1);
    }
    plugin->BeginParamEditIfIdle(0); // another parameter: the pending end goes out first
    plugin->SetParamFromGui(0, 0.75);
    plugin->DeferEndParamEdit(0);
    plugin->FlushEndParamEdit();
    EXPECT_EQ(handler.calls, (std::vector<ComponentHandler::Call>{{'b', 1, 0.0},
                                                                  {'p', 1, 0.25},
                                                                  {'p', 1, 0.5},
                                                                  {'e', 1, 0.0},
                                                                  {'b', 0, 0.0},
                                                                  {'p', 0, 0.75},
                                                                  {'e', 0, 0.0}}));
    plugin->terminate();
    plugin->initialize(&host);
}

// ---- Views ---------------------------------------------------------------------------------

TEST_F(BindingTest, OnlyTheEditorViewIsCreatedAndEachIsListed)
{
    EXPECT_EQ(plugin->createView(nullptr), nullptr);
    EXPECT_EQ(plugin->createView(""), nullptr);
    EXPECT_EQ(plugin->createView("Editor"), nullptr);
    EXPECT_EQ(plugin->createView("editor2"), nullptr);
    IPlugView* a = plugin->createView("editor");
    IPlugView* b = plugin->createView("editor");
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    EXPECT_EQ(plugin->OpenViewCount(), 2);
    EXPECT_EQ(static_cast<IPlugView*>(plugin->FirstView()), a);
    a->release();
    EXPECT_EQ(plugin->OpenViewCount(), 1);
    EXPECT_EQ(static_cast<IPlugView*>(plugin->FirstView()), b);
    b->release();
    EXPECT_EQ(plugin->OpenViewCount(), 0);
}

TEST_F(BindingTest, ViewWithoutEditorRefusesEverythingThatNeedsIt)
{
    IPlugView* view = plugin->createView("editor");
    auto* object = static_cast<IEffectVST3View*>(view);
    EXPECT_STREQ(object->isA(), "CPluginView");
    EXPECT_EQ(view->isPlatformTypeSupported(IEffectVST3View::kPlatformType), kResultFalse);
    EXPECT_EQ(view->attached(reinterpret_cast<void*>(0x42), IEffectVST3View::kPlatformType), kResultFalse);
    ViewRect r;
    EXPECT_EQ(view->getSize(&r), kResultFalse);
    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_TRUE(events.editor.empty());
    EXPECT_EQ(view->canResize(), kResultFalse);
    view->release();
}

TEST_F(BindingTest, ViewOfAnEditorWithoutWindowsOffersNoPlatform)
{
    Remake(true);
    editorLog.opensWindows = false;
    IPlugView* view = plugin->createView("editor");
    EXPECT_EQ(view->isPlatformTypeSupported(IEffectVST3View::kPlatformType), kResultFalse);
    EXPECT_EQ(view->attached(reinterpret_cast<void*>(0x42), IEffectVST3View::kPlatformType), kResultFalse);
    EXPECT_TRUE(events.editor.empty());
    view->release();
}

TEST_F(BindingTest, ViewOpensAndClosesTheEditor)
{
    Remake(true);
    IPlugView* view = plugin->createView("editor");
    EXPECT_EQ(view->isPlatformTypeSupported(IEffectVST3View::kPlatformType), kResultOk);
    EXPECT_EQ(view->isPlatformTypeSupported("NSView"), kResultFalse);
    EXPECT_EQ(view->isPlatformTypeSupported("hwnd"), kResultFalse);
    EXPECT_EQ(view->isPlatformTypeSupported(nullptr), kResultFalse);
    ViewRect r;
    ASSERT_EQ(view->getSize(&r), kResultOk);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 562);
    EXPECT_EQ(r.bottom, 270);
    EXPECT_EQ(view->getSize(nullptr), kInvalidArgument);

    editorLog.calls.clear();
    EXPECT_EQ(view->attached(reinterpret_cast<void*>(0x42), IEffectVST3View::kPlatformType), kResultOk);
    EXPECT_EQ(editorLog.calls, (std::vector<std::string>{"open"}));
    EXPECT_EQ(events.editor, (std::vector<std::string>{"opened"}));
    ASSERT_EQ(view->getSize(&r), kResultOk);
    EXPECT_EQ(r.right, 562);
    ViewRect moved(10, 10, 600, 300);
    EXPECT_EQ(view->onSize(&moved), kResultOk);
    EXPECT_EQ(view->onSize(nullptr), kResultOk);
    EXPECT_EQ(static_cast<IEffectVST3View*>(view)->getRect().right, 600);
    EXPECT_EQ(view->checkSizeConstraint(&moved), kResultFalse);
    EXPECT_EQ(view->onWheel(1.0f), kResultFalse);
    EXPECT_EQ(view->onKeyDown('a', 0, 0), kResultFalse);
    EXPECT_EQ(view->onFocus(true), kResultFalse);
    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_EQ(editorLog.calls, (std::vector<std::string>{"open", "close"}));
    EXPECT_EQ(events.editor, (std::vector<std::string>{"opened", "closed"}));

    // A foreign window type opens nothing yet reports the editor as opened.
    EXPECT_EQ(view->attached(reinterpret_cast<void*>(0x42), "NSView"), kResultOk);
    EXPECT_EQ(editorLog.calls.size(), 2u);
    EXPECT_EQ(events.editor.back(), "opened");
    view->removed();
    view->release();
    EXPECT_FALSE(editorLog.destroyed); // the editor stays with the plug-in for the next view
}

TEST_F(BindingTest, OneWindowForAllViewsOfAnInstance)
{
    Remake(true);
    IPlugView* first = plugin->createView("editor");
    IPlugView* second = plugin->createView("editor");
    const auto type = IEffectVST3View::kPlatformType;
    editorLog.calls.clear();
    EXPECT_EQ(first->attached(reinterpret_cast<void*>(0x42), type), kResultOk);
    EXPECT_EQ(second->attached(reinterpret_cast<void*>(0x43), type), kResultFalse)
        << "a second view does not take the first one's window";
    EXPECT_EQ(second->removed(), kResultOk);
    EXPECT_EQ(editorLog.calls, (std::vector<std::string>{"open"})) << "nor does its removed close it";
    first->release(); // released without removed
    EXPECT_EQ(editorLog.calls, (std::vector<std::string>{"open", "close"}));
    EXPECT_EQ(events.editor, (std::vector<std::string>{"opened", "closed"}));
    EXPECT_EQ(second->attached(nullptr, type), kResultFalse) << "no window could be made";
    EXPECT_EQ(events.editor.size(), 2u);
    EXPECT_EQ(second->attached(reinterpret_cast<void*>(0x43), type), kResultOk) << "the window is free again";
    second->removed();
    second->release();
    EXPECT_EQ(events.editor, (std::vector<std::string>{"opened", "closed", "opened", "closed"}));
}

#if !defined(_WIN32) // the host run loop of Linux VST3 hosts
TEST_F(BindingTest, TheHostsRunLoopDrivesTheOpenEditorUntilItIsRemoved)
{
    Remake(true);
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    auto* editor = static_cast<RecordingEditor*>(plugin->GetGUI());
    editor->eventFd = pipeFds[0];
    testhost::TestRunLoop frame;
    IPlugView* view = plugin->createView("editor");
    ASSERT_EQ(view->setFrame(&frame), kResultOk);
    ASSERT_EQ(view->attached(reinterpret_cast<void*>(0x42), IEffectVST3View::kPlatformType), kResultOk);
    // trunc(1000 / 24) ms, and the editor's connection.
    EXPECT_EQ(frame.log, (std::vector<std::string>{"fd+", "timer+ 41"}));

    editorLog.calls.clear();
    frame.Run(215);
    const auto timers = std::count(editorLog.calls.begin(), editorLog.calls.end(), "timer");
    EXPECT_GE(timers, 4);
    EXPECT_LE(timers, 5);
    EXPECT_EQ(std::count(editorLog.calls.begin(), editorLog.calls.end(), "events"), 0);
    ASSERT_EQ(write(pipeFds[1], "x", 1), 1);
    frame.Run(10);
    EXPECT_GE(std::count(editorLog.calls.begin(), editorLog.calls.end(), "events"), 1);

    // Re-attaching replaces the registrations; removing drops them before the window closes.
    ASSERT_EQ(view->attached(reinterpret_cast<void*>(0x43), IEffectVST3View::kPlatformType), kResultOk);
    EXPECT_EQ(frame.timers.size(), 1u);
    EXPECT_EQ(frame.watches.size(), 1u);
    frame.log.clear();
    editorLog.calls.clear();
    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_EQ(frame.log, (std::vector<std::string>{"timer-", "fd-"}));
    EXPECT_EQ(editorLog.calls, (std::vector<std::string>{"close"}));
    frame.Run(100);
    EXPECT_EQ(editorLog.calls, (std::vector<std::string>{"close"}));

    // A frame without a run loop: nothing is registered (the editor then drives itself).
    frame.offerRunLoop = false;
    frame.log.clear();
    ASSERT_EQ(view->attached(reinterpret_cast<void*>(0x42), IEffectVST3View::kPlatformType), kResultOk);
    EXPECT_TRUE(frame.log.empty());
    view->removed();
    view->release();
    close(pipeFds[0]);
    close(pipeFds[1]);
}
#endif

TEST_F(BindingTest, ViewKeepsThePluginAliveAfterTheHostLetsGo)
{
    IPlugView* view = plugin->createView("editor");
    plugin->terminate();
    EXPECT_EQ(plugin->OpenViewCount(), 0); // unlisted, not released
    EXPECT_EQ(plugin->release(), 1u);      // the view's reference remains
    plugin = nullptr;
    EXPECT_FALSE(events.destroyed);
    ViewRect r;
    EXPECT_EQ(view->getSize(&r), kResultFalse);
    EXPECT_EQ(view->release(), 0u);
    EXPECT_TRUE(events.destroyed);
}

// ---- Side-chain ----------------------------------------------------------------------------

namespace
{
// Two main and two side-chain inputs; out = main + side.
class SideChainEffect : public IEffectVST3
{
public:
    SideChainEffect()
        : IEffectVST3(InstanceInfo{}, 1, "2-2 4-2", 0, "Side", "Side", "Tests", 0x10000, 1, 2, 0, 0, true,
                      false, 5)
    {
        GetParam(0)->InitReal("Mix", 1.0, 0.0, 1.0, 0.01, "");
        ProcessingReady = true;
    }
    void ProcessBlock(double** in, double** out, int32_t frames) override
    {
        for (int c = 0; c < 2; ++c)
            for (int32_t i = 0; i < frames; ++i)
                out[c][i] = in[c][i] + in[c + 2][i];
    }
};
} // namespace

TEST(SideChainBinding, AuxBusFeedsTheLastChannelsOnlyWhileActive)
{
    auto* plugin = new SideChainEffect();
    EXPECT_EQ(plugin->SideChainChannels(), 2); // clamped
    ASSERT_EQ(plugin->initialize(nullptr), kResultOk);
    ASSERT_EQ(plugin->getBusCount(kAudio, kInput), 2);
    BusInfo info{};
    plugin->getBusInfo(kAudio, kInput, 1, info);
    EXPECT_EQ(ToUtf8(info.name), "Aux Input");
    EXPECT_EQ(info.busType, kAux);
    EXPECT_EQ(info.flags, 0u);
    EXPECT_EQ(info.channelCount, 2);
    EXPECT_EQ(plugin->getProgramListCount(), 0);
    EXPECT_EQ(plugin->getParameterCount(), 1); // no presets: no "Presets" list

    SpeakerArrangement stereo = 0x3, mono = 0x80000;
    SpeakerArrangement one[1] = {stereo};
    EXPECT_EQ(plugin->setBusArrangements(one, 1, &stereo, 1), kResultFalse);

    ProcessSetup setup{kRealtime, kSample64, 32, 48000.0};
    ASSERT_EQ(plugin->setupProcessing(setup), kResultOk);
    plugin->activateBus(kAudio, kOutput, 0, true);

    GuardedBuffers<double> mainIn(2, 16), sideIn(2, 16), out(2, 16);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 16; ++i)
        {
            mainIn[c][i] = 1.0;
            sideIn[c][i] = 10.0;
        }
    AudioBusBuffers ins[2], outs[1];
    ins[0].numChannels = 2;
    ins[0].channelBuffers64 = mainIn.Pointers();
    ins[1].numChannels = 2;
    ins[1].channelBuffers64 = sideIn.Pointers();
    outs[0].numChannels = 2;
    outs[0].channelBuffers64 = out.Pointers();
    ProcessData data;
    data.symbolicSampleSize = kSample64;
    data.numSamples = 16;
    data.numInputs = 2;
    data.inputs = ins;
    data.numOutputs = 1;
    data.outputs = outs;

    ASSERT_EQ(plugin->process(data), kResultOk);
    EXPECT_EQ(out[0][3], 1.0); // aux inactive: side channels silent
    plugin->activateBus(kAudio, kInput, 1, true);
    ASSERT_EQ(plugin->process(data), kResultOk);
    EXPECT_EQ(out[1][3], 11.0);
    plugin->activateBus(kAudio, kInput, 1, false);
    ASSERT_EQ(plugin->process(data), kResultOk);
    EXPECT_EQ(out[1][3], 1.0);
    EXPECT_TRUE(out.GuardsIntact());

    SpeakerArrangement two[2] = {stereo, mono};
    EXPECT_EQ(plugin->setBusArrangements(two, 2, &stereo, 1), kResultTrue);
    plugin->getBusInfo(kAudio, kInput, 1, info);
    EXPECT_EQ(ToUtf8(info.name), "Sidechain Input");
    EXPECT_EQ(info.channelCount, 1);
    EXPECT_EQ(plugin->getBusCount(kAudio, kInput), 2);

    plugin->terminate();
    plugin->release();
}
