// The built vellicor_vst3 bundle loaded as a host loads it (dlopen and ModuleEntry on Linux,
// LoadLibrary on Windows, then InitDll and GetPluginFactory) and checked against the limiter driven directly
// through the test binding.
#include "tests/support/PngSize.h"
#include "tests/support/TempPath.h"
#include "tests/vellicor/modules/vst3/Vst3ModuleLoader.h"
#include "tests/vst3/TestHost.h"
#include "vellicor/editor/EditorSnapshotAbi.h"
#include "vellicor/plugin/CLS_VELLICOR.h"
#include "vellicor/plugin/VellicorParams.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

using namespace testhost;

namespace
{
constexpr int kBlock = 512;

// Linux hosts call these around InitDll and ExitDll; on Windows the library entry point stands in.
#if defined(_WIN32)
constexpr bool kHasModuleEntry = false;
#else
constexpr bool kHasModuleEntry = true;
#endif

FUnknown* Identity(FUnknown* from)
{
    FUnknown* u = Query<FUnknown>(from);
    if (u) u->release();
    return u;
}

std::string Text8(const char8* s, size_t width)
{
    return std::string(s, strnlen(s, width));
}

class ModuleTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { module = new Module(); }
    static void TearDownTestSuite()
    {
        delete module;
        module = nullptr;
    }
    void SetUp() override { ASSERT_NE(module->Factory(), nullptr) << module->error; }
    static Module* module;
};
Module* ModuleTest::module = nullptr;

// One plug-in instance through the host's eyes, with the reference limiter beside it.
struct Session
{
    explicit Session(Module& m, int32 sampleSize, double rate = 48000.0, int32 maxBlock = kBlock)
        : sampleSize(sampleSize), maxBlock(maxBlock)
    {
        component = m.Create<IComponent>();
        if (!component) return;
        processor = Query<IAudioProcessor>(component);
        controller = Query<IEditController>(component);
        initResult = component->initialize(&host);
        controller->setComponentHandler(&handler);
        SpeakerArrangement stereo = 0x3;
        arrangementResult = processor->setBusArrangements(&stereo, 1, &stereo, 1);
        ProcessSetup setup{kRealtime, sampleSize, maxBlock, rate};
        setupResult = processor->setupProcessing(setup);
        component->activateBus(kAudio, kInput, 0, true);
        component->activateBus(kAudio, kOutput, 0, true);
        component->setActive(true);

        reference = std::make_unique<CLS_VELLICOR>(ITestBinding::InstanceInfo{});
        reference->NotifyAllParams();
        reference->SetSampleRate(rate);
        reference->SetBlockSize(maxBlock);
        reference->ResetState();
    }
    ~Session()
    {
        if (!component) return;
        component->setActive(false);
        component->terminate();
        controller->setComponentHandler(nullptr);
        controller->release();
        processor->release();
        component->release();
    }

    // Mirrors a host parameter change on the reference, as the binding applies it.
    void ReferenceChange(ParamID id, double value)
    {
        if (id == 0x70727374)
            reference->RestorePreset(static_cast<int32_t>((reference->NPresets() - 1) * value + 0.5));
        else if (id == 0x62706173)
        {
            // The limiter starts over when a bypass ends.
            if (referenceBypassed && value <= 0.5) reference->PassThroughEnded();
            referenceBypassed = value > 0.5;
        }
        else if (id < static_cast<ParamID>(reference->NParams()))
        {
            reference->GetParam(static_cast<int32_t>(id))->SetFromNormalized(value);
            reference->ParamChanged(static_cast<int32_t>(id));
        }
    }

    // Runs one block through the module and the reference; answers the first mismatch or -1.
    template <typename T> int64_t RunBlock(int frames, ParameterChanges* changes)
    {
        Block<T> b(frames);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < frames; ++i)
                b.in[c][i] = static_cast<T>(Signal(c, position + i));
        b.context.projectTimeSamples = position;
        b.context.sampleRate = 48000.0;
        b.data.inputParameterChanges = changes;
        if (processor->process(b.data) != kResultOk) return 0;
        if (!b.out.GuardsIntact() || !b.in.GuardsIntact()) return 0;

        if (changes)
            for (int32 i = 0; i < changes->getParameterCount(); ++i)
                if (changes->Queue(i).ReadablePoints() > 0)
                    ReferenceChange(changes->Queue(i).getParameterId(), changes->Queue(i).LastValue(0.0));
        reference->SetHostSamplePos(static_cast<int32_t>(position));
        std::vector<double> in[2], out[2];
        for (int c = 0; c < 2; ++c)
        {
            in[c].resize(static_cast<size_t>(frames));
            out[c].resize(static_cast<size_t>(frames));
            for (int i = 0; i < frames; ++i)
                in[c][static_cast<size_t>(i)] = static_cast<double>(b.in[c][i]);
        }
        for (int done = 0; done < frames; done += maxBlock)
        {
            const int n = std::min(maxBlock, frames - done);
            double* ip[2] = {in[0].data() + done, in[1].data() + done};
            double* op[2] = {out[0].data() + done, out[1].data() + done};
            if (referenceBypassed)
                for (int c = 0; c < 2; ++c)
                    std::copy(ip[c], ip[c] + n, op[c]);
            else
                reference->ProcessBlock(ip, op, n);
        }
        const int64_t start = position;
        position += frames;
        for (int i = 0; i < frames && !referenceBypassed; ++i)
            for (int c = 0; c < 2; ++c)
            {
                peakIn = std::max(peakIn, std::fabs(static_cast<double>(b.in[c][i])));
                peakOut = std::max(peakOut, std::fabs(static_cast<double>(b.out[c][i])));
            }
        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < 2; ++c)
                if (b.out[c][i] != static_cast<T>(out[c][static_cast<size_t>(i)])) return start + i;
        return -1;
    }

    int32 sampleSize, maxBlock;
    HostApplication host{"Ardour"};
    ComponentHandler handler;
    IComponent* component = nullptr;
    IAudioProcessor* processor = nullptr;
    IEditController* controller = nullptr;
    tresult initResult = kResultFalse, arrangementResult = kResultFalse, setupResult = kResultFalse;
    std::unique_ptr<CLS_VELLICOR> reference;
    bool referenceBypassed = false;
    int64_t position = 0;
    double peakIn = 0.0, peakOut = 0.0;
};
} // namespace

// ---- Module and factory --------------------------------------------------------------------

TEST_F(ModuleTest, ExportsOnlyTheHostEntryPoints)
{
    for (const char* name : {"GetPluginFactory", "InitDll", "ExitDll"})
        EXPECT_NE(module->Library().Symbol(name), nullptr) << name;
    for (const char* name : {"ModuleEntry", "ModuleExit"})
        EXPECT_EQ(module->Library().Symbol(name) != nullptr, kHasModuleEntry) << name;
    for (const char* name :
         {"MakePlugin", "CreatePluginInstance", "gPluginFactory", "_ZN9Steinberg7FObject3iidE"})
        EXPECT_EQ(module->Library().Symbol(name), nullptr) << name;
}

TEST_F(ModuleTest, FactoryIsOneObjectUntilReleasedCompletely)
{
    IPluginFactory* again = module->FactoryAgain();
    EXPECT_EQ(again, module->Factory());
    EXPECT_EQ(again->addRef(), 3u);
    again->release();
    again->release();

    // A second module handle on the same library: release every reference, then ask again.
    Module other;
    ASSERT_NE(other.Factory(), nullptr);
    EXPECT_EQ(other.Factory(), module->Factory()); // same library, same singleton
}

TEST(ModuleLifetime, NewFactoryAfterTheLastReleaseReportsTheSameClass)
{
    ModuleLibrary library;
    std::string error;
    ASSERT_TRUE(library.Open(VELLICOR_VST3_MODULE, error)) << error;
    auto getFactory = library.Entry<FactoryFn>("GetPluginFactory");
    PClassInfo first{}, second{};
    IPluginFactory* f = getFactory();
    ASSERT_EQ(f->getClassInfo(0, &first), kResultOk);
    EXPECT_EQ(f->release(), 0u);
    IPluginFactory* g = getFactory();
    ASSERT_EQ(g->getClassInfo(0, &second), kResultOk);
    EXPECT_EQ(std::memcmp(&first, &second, sizeof first), 0);
    EXPECT_EQ(g->release(), 0u);
}

TEST_F(ModuleTest, FactoryInformation)
{
    PFactoryInfo info{};
    ASSERT_EQ(module->Factory()->getFactoryInfo(&info), kResultOk);
    EXPECT_EQ(Text8(info.vendor, sizeof info.vendor), "Ovidane");
    EXPECT_EQ(Text8(info.email, sizeof info.email), "");
    EXPECT_NE(Text8(info.url, sizeof info.url), "");
    EXPECT_EQ(info.flags, 16);
    EXPECT_EQ(module->Factory()->countClasses(), 1);
}

TEST_F(ModuleTest, ClassInformationInAllThreeForms)
{
    PClassInfo c1{};
    ASSERT_EQ(module->Factory()->getClassInfo(0, &c1), kResultOk);
    EXPECT_EQ(std::memcmp(c1.cid, kClassId, 16), 0);
    EXPECT_EQ(c1.cardinality, 0x7FFFFFFF);
    EXPECT_EQ(Text8(c1.category, sizeof c1.category), "Audio Module Class");
    EXPECT_EQ(Text8(c1.name, sizeof c1.name), "Vellicor");
    EXPECT_NE(module->Factory()->getClassInfo(1, &c1), kResultOk);

    auto* f2 = Query<IPluginFactory2>(module->Factory());
    ASSERT_NE(f2, nullptr);
    PClassInfo2 c2{};
    ASSERT_EQ(f2->getClassInfo2(0, &c2), kResultOk);
    EXPECT_EQ(std::memcmp(c2.cid, kClassId, 16), 0);
    EXPECT_EQ(c2.classFlags, 2u);
    EXPECT_EQ(Text8(c2.subCategories, sizeof c2.subCategories), "Fx");
    EXPECT_EQ(Text8(c2.vendor, sizeof c2.vendor), "");
    EXPECT_EQ(Text8(c2.version, sizeof c2.version), "3.2.0");
    EXPECT_EQ(Text8(c2.sdkVersion, sizeof c2.sdkVersion), "VST 3.6.5");
    f2->release();

    auto* f3 = Query<IPluginFactory3>(module->Factory());
    ASSERT_NE(f3, nullptr);
    PClassInfoW cw{};
    ASSERT_EQ(f3->getClassInfoUnicode(0, &cw), kResultOk);
    EXPECT_EQ(std::memcmp(cw.cid, kClassId, 16), 0);
    EXPECT_EQ(Text8(cw.category, sizeof cw.category), "Audio Module Class");
    EXPECT_EQ(ToUtf8(cw.name), "Vellicor");
    EXPECT_EQ(cw.classFlags, 2u);
    EXPECT_EQ(Text8(cw.subCategories, sizeof cw.subCategories), "Fx");
    EXPECT_EQ(ToUtf8(cw.vendor), "");
    EXPECT_EQ(ToUtf8(cw.version), "3.2.0");
    EXPECT_EQ(ToUtf8(cw.sdkVersion), "VST 3.6.5");
    EXPECT_EQ(f3->setHostContext(nullptr), kNotImplemented);
    f3->release();
}

TEST_F(ModuleTest, CreateInstanceForEachInterfaceYieldsOneObjectPerInstance)
{
    void* obj = reinterpret_cast<void*>(1);
    unsigned char wrong[16];
    std::memcpy(wrong, kClassId, 16);
    wrong[15] ^= 1;
    EXPECT_EQ(module->Factory()->createInstance(reinterpret_cast<FIDString>(wrong), IComponent::iid, &obj),
              kNoInterface);
    EXPECT_EQ(obj, nullptr);
    obj = reinterpret_cast<void*>(1);
    EXPECT_EQ(module->Factory()->createInstance(reinterpret_cast<FIDString>(kClassId), IPlugView::iid, &obj),
              kNoInterface);
    EXPECT_EQ(obj, nullptr);

    auto* component = module->Create<IComponent>();
    auto* processor = module->Create<IAudioProcessor>();
    auto* controller = module->Create<IEditController>();
    ASSERT_TRUE(component && processor && controller);
    for (FUnknown* instance : {static_cast<FUnknown*>(component), static_cast<FUnknown*>(processor),
                               static_cast<FUnknown*>(controller)})
    {
        FUnknown* self = Identity(instance);
        for (FUnknown* itf : {static_cast<FUnknown*>(Query<IComponent>(instance)),
                              static_cast<FUnknown*>(Query<IAudioProcessor>(instance)),
                              static_cast<FUnknown*>(Query<IEditController>(instance)),
                              static_cast<FUnknown*>(Query<IUnitInfo>(instance))})
        {
            ASSERT_NE(itf, nullptr);
            EXPECT_EQ(Identity(itf), self);
            itf->release();
        }
        EXPECT_EQ(Query<IConnectionPoint>(instance), nullptr);
    }
    EXPECT_NE(Identity(component), Identity(processor));
    EXPECT_EQ(component->release(), 0u);
    EXPECT_EQ(processor->release(), 0u);
    EXPECT_EQ(controller->release(), 0u);
}

// ---- A host session against the reference limiter ------------------------------------------

TEST_F(ModuleTest, InitializeBuildsTheStereoBusesAndElevenParameters)
{
    Session s(*module, kSample32);
    ASSERT_EQ(s.initResult, kResultOk);
    EXPECT_EQ(s.arrangementResult, kResultTrue);
    EXPECT_EQ(s.setupResult, kResultOk);
    EXPECT_EQ(s.component->getBusCount(kAudio, kInput), 1);
    EXPECT_EQ(s.component->getBusCount(kAudio, kOutput), 1);
    EXPECT_EQ(s.component->getBusCount(kEvent, kInput), 0);
    BusInfo bus{};
    ASSERT_EQ(s.component->getBusInfo(kAudio, kInput, 0, bus), kResultTrue);
    EXPECT_EQ(ToUtf8(bus.name), "Main Input");
    EXPECT_EQ(bus.channelCount, 2);
    ASSERT_EQ(s.component->getBusInfo(kAudio, kOutput, 0, bus), kResultTrue);
    EXPECT_EQ(ToUtf8(bus.name), "Output");
    EXPECT_EQ(s.processor->getLatencySamples(), 0u);
    EXPECT_EQ(s.processor->getTailSamples(), 0u);
    EXPECT_EQ(s.processor->canProcessSampleSize(kSample64), kResultTrue);

    ASSERT_EQ(s.controller->getParameterCount(), 11);
    ParameterInfo info{};
    ASSERT_EQ(s.controller->getParameterInfo(0, info), kResultTrue);
    EXPECT_EQ(ToUtf8(info.title), "Presets");
    EXPECT_EQ(info.stepCount, 23);
    EXPECT_EQ(info.flags, 0x8008);
    for (int i = 0; i < kVellicorParamCount; ++i)
    {
        ASSERT_EQ(s.controller->getParameterInfo(i + 1, info), kResultTrue);
        const VellicorParamInfo& p = kVellicorParams[i];
        EXPECT_EQ(info.id, static_cast<ParamID>(i));
        EXPECT_EQ(ToUtf8(info.title), p.name);
        EXPECT_EQ(ToUtf8(info.units), p.label);
        EXPECT_EQ(info.stepCount, p.integer ? static_cast<int32>(p.maximum - p.minimum) : 0) << p.name;
        EXPECT_DOUBLE_EQ(info.defaultNormalizedValue,
                         std::pow((p.defaultValue - p.minimum) / (p.maximum - p.minimum), 1.0 / p.shape))
            << p.name;
        EXPECT_DOUBLE_EQ(s.controller->getParamNormalized(static_cast<ParamID>(i)),
                         s.reference->GetParam(i)->NormalizedValue());
    }
    EXPECT_EQ(s.controller->getParameterInfo(11, info), kResultFalse);
}

TEST_F(ModuleTest, ParameterTextsUnitsAndProgramNamesMatchThePlugin)
{
    Session s(*module, kSample32);
    ASSERT_EQ(s.initResult, kResultOk);
    for (int i = 0; i < kVellicorParamCount; ++i)
        for (double v : {0.0, 0.37, 1.0})
        {
            String128 text{};
            ASSERT_EQ(s.controller->getParamStringByValue(static_cast<ParamID>(i), v, text), kResultOk);
            char expected[IParamSlot::kTextSize];
            s.reference->GetParam(i)->FormatValue(v, true, expected);
            EXPECT_EQ(ToUtf8(text), expected) << kVellicorParams[i].name << " at " << v;
            EXPECT_DOUBLE_EQ(s.controller->normalizedParamToPlain(static_cast<ParamID>(i), v),
                             s.reference->GetParam(i)->FromNormalized(v));
        }
    String128 text{};
    EXPECT_EQ(s.controller->getParamStringByValue(0x70727374, 0.5, text), kResultFalse);

    auto* units = Query<IUnitInfo>(s.component);
    ASSERT_NE(units, nullptr);
    EXPECT_EQ(units->getUnitCount(), 1);
    UnitInfo unit{};
    ASSERT_EQ(units->getUnitInfo(0, unit), kResultOk);
    EXPECT_EQ(ToUtf8(unit.name), "Root Unit");
    EXPECT_EQ(unit.programListId, 0x70727374);
    EXPECT_EQ(units->getUnitInfo(1, unit), kResultFalse);
    ASSERT_EQ(units->getProgramListCount(), 1);
    ProgramListInfo list{};
    ASSERT_EQ(units->getProgramListInfo(0, list), kResultOk);
    EXPECT_EQ(ToUtf8(list.name), "Factory Presets");
    EXPECT_EQ(list.programCount, 24);
    for (int p = 0; p < 24; ++p)
    {
        String128 name{};
        ASSERT_EQ(units->getProgramName(0x70727374, p, name), kResultOk);
        EXPECT_EQ(ToUtf8(name), s.reference->PresetName(p)) << p;
    }
    units->release();
}

TEST_F(ModuleTest, ControllerProgramAndBypassValues)
{
    Session s(*module, kSample32);
    ASSERT_EQ(s.initResult, kResultOk);
    EXPECT_EQ(s.controller->getParamNormalized(0x70727374), 0.0);
    EXPECT_EQ(s.controller->setParamNormalized(0x70727374, 0.5), kResultOk);
    EXPECT_DOUBLE_EQ(s.controller->getParamNormalized(0x70727374), 12.0 / 23.0);
    EXPECT_EQ(s.controller->getParamNormalized(0x62706173), 0.0);
    EXPECT_EQ(s.controller->setParamNormalized(0x62706173, 0.3), kResultOk);
    EXPECT_EQ(s.controller->getParamNormalized(0x62706173), 1.0);
    EXPECT_EQ(s.controller->setParamNormalized(10, 0.3), kResultFalse);
    EXPECT_EQ(s.controller->getParamNormalized(10), 0.0);
}

template <typename T> class ModuleAudioTest : public ModuleTest
{
};
using AudioTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(ModuleAudioTest, AudioTypes);

TYPED_TEST(ModuleAudioTest, AudioMatchesTheLimiterSampleForSample)
{
    Session s(*this->module, sizeof(TypeParam) == 8 ? kSample64 : kSample32);
    ASSERT_EQ(s.initResult, kResultOk);
    ASSERT_EQ(s.setupResult, kResultOk);
    for (int block = 0; block < 40; ++block)
    {
        ParameterChanges changes;
        if (block == 3) changes.Add(kInputGain, {0.2, 0.9, 0.75}).Add(kRelease, {0.4});
        if (block == 6) changes.Add(0x70727374, {5.0 / 23.0}); // "Medium Dynamic"
        if (block == 9) changes.Add(kOutLimit, {0.8}).Add(kStereoLink, {0.0}).Add(4242, {0.5});
        if (block == 12) changes.Add(0x62706173, {1.0});
        if (block == 14) changes.Add(0x62706173, {0.0}).Add(kLookAhead, {0.3});
        if (block == 20) changes.Add(0x70727374, {13.0 / 23.0}); // "Real Time Limiting"
        const int frames = block == 17 ? 77 : kBlock;
        const int64_t mismatch = s.template RunBlock<TypeParam>(frames, changes.Empty() ? nullptr : &changes);
        ASSERT_EQ(mismatch, -1) << "block " << block << ": first differing frame " << mismatch;
        if (block == 11)
        {
            // Before the bypass and the no-look-ahead preset: the limiter has been working.
            EXPECT_GT(s.peakIn, 2.0);
            EXPECT_LT(s.peakOut, 0.5 * s.peakIn) << "the limiter did not reduce the bursts";
        }
    }
    EXPECT_EQ(s.reference->CurrentPresetIndex(), 13);
}

TYPED_TEST(ModuleAudioTest, BlocksAboveTheAnnouncedMaximumAreSlicedLikeTheLimiter)
{
    Session s(*this->module, sizeof(TypeParam) == 8 ? kSample64 : kSample32, 44100.0, 128);
    ASSERT_EQ(s.setupResult, kResultOk);
    for (int block = 0; block < 6; ++block)
        ASSERT_EQ(s.template RunBlock<TypeParam>(1000, nullptr), -1) << "block " << block;
}

// Every host stops and starts processing around setupProcessing; the limiter then starts over,
// so the same audio played twice comes out the same.
TYPED_TEST(ModuleAudioTest, StopSetupAndStartBetweenRunsStartOver)
{
    Session s(*this->module, sizeof(TypeParam) == 8 ? kSample64 : kSample32);
    ASSERT_EQ(s.setupResult, kResultOk);
    auto play = [&]
    {
        std::vector<TypeParam> out;
        for (int64_t pos = 0; pos < 8 * kBlock; pos += kBlock)
        {
            Block<TypeParam> b(kBlock);
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < kBlock; ++i)
                    b.in[c][i] = static_cast<TypeParam>(Signal(c, pos + i));
            EXPECT_EQ(s.processor->process(b.data), kResultOk);
            for (int c = 0; c < 2; ++c)
                out.insert(out.end(), b.out[c], b.out[c] + kBlock);
        }
        return out;
    };
    const std::vector<TypeParam> first = play();
    ProcessSetup setup{kRealtime, s.sampleSize, kBlock, 48000.0};
    s.processor->setProcessing(false);
    s.component->setActive(false);
    ASSERT_EQ(s.processor->setupProcessing(setup), kResultOk);
    s.component->setActive(true);
    s.processor->setProcessing(true);
    const std::vector<TypeParam> second = play();
    for (size_t i = 0; i < first.size(); ++i)
        ASSERT_EQ(second[i], first[i]) << "sample " << i;
}

TEST_F(ModuleTest, ProcessSurvivesHostileBlocks)
{
    Session s(*module, kSample32);
    Block<float> b(256);
    ParameterChanges junk;
    junk.Add(0x70727374, {std::nan("")}).Add(0x70727374, {-1e300}).Add(99, {0.5}).Add(kAttack, {1e9});
    b.data.inputParameterChanges = &junk;
    b.inBus.channelBuffers32 = nullptr;
    EXPECT_EQ(s.processor->process(b.data), kResultOk);
    EXPECT_TRUE(b.out.GuardsIntact());
    const IParamSlot& attack = *s.reference->GetParam(kAttack);
    EXPECT_DOUBLE_EQ(s.controller->normalizedParamToPlain(kAttack, s.controller->getParamNormalized(kAttack)),
                     attack.maximum);
    b.data.numInputs = 0;
    b.data.numOutputs = 0;
    b.data.numSamples = 100000;
    EXPECT_EQ(s.processor->process(b.data), kResultOk);
}

// ---- State ---------------------------------------------------------------------------------

TEST_F(ModuleTest, StateRoundTripRestoresEveryValueAndTheSameAudio)
{
    Session a(*module, kSample64);
    ParameterChanges changes;
    changes.Add(kInputGain, {0.8}).Add(kAttack, {0.1}).Add(kStereoLink, {0.35});
    ASSERT_EQ(a.RunBlock<double>(kBlock, &changes), -1);
    MemoryStream saved;
    ASSERT_EQ(a.component->getState(&saved), kResultOk);
    StateChunk expected;
    ASSERT_TRUE(a.reference->SaveState(expected, false));
    ASSERT_EQ(saved.bytes.size(), 80u);
    EXPECT_EQ(std::memcmp(saved.bytes.data(), expected.Data(), 80), 0);

    Session b(*module, kSample64);
    saved.position = 0;
    ASSERT_EQ(b.component->setState(&saved), kResultOk);
    for (ParamID id = 0; id < kVellicorParamCount; ++id)
        EXPECT_EQ(b.controller->getParamNormalized(id), a.controller->getParamNormalized(id)) << id;
    MemoryStream again;
    ASSERT_EQ(b.component->getState(&again), kResultOk);
    EXPECT_EQ(again.bytes, saved.bytes);

    // The restored instance and the reference loaded from the same bytes sound alike.
    StateChunk chunk;
    chunk.AppendBytes(saved.bytes.data(), 80);
    b.reference->LoadState(chunk, 0);
    for (int block = 0; block < 8; ++block)
        ASSERT_EQ(b.RunBlock<double>(kBlock, nullptr), -1) << "block " << block;

    // Controller state is empty both ways.
    MemoryStream controllerState;
    EXPECT_EQ(b.controller->getState(&controllerState), kResultOk);
    EXPECT_TRUE(controllerState.bytes.empty());
    EXPECT_EQ(b.controller->setState(&controllerState), kResultOk);
}

TEST_F(ModuleTest, HostileStateStreamsKeepParametersInRange)
{
    Session s(*module, kSample32);
    std::vector<uint8_t> garbage(80);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<uint8_t>(0xFF - i * 7);
    const std::vector<std::vector<uint8_t>> streams = {
        {}, {1, 2, 3}, garbage, std::vector<uint8_t>(4000, 0x7F)};
    for (const auto& bytes : streams)
    {
        MemoryStream st(bytes);
        // Fewer than the ten values is reported as a failed restore.
        EXPECT_EQ(s.component->setState(&st), bytes.size() >= 80 ? kResultOk : kResultFalse);
        for (ParamID id = 0; id < kVellicorParamCount; ++id)
        {
            const double n = s.controller->getParamNormalized(id);
            EXPECT_TRUE(n >= 0.0 && n <= 1.0) << "size " << bytes.size() << " parameter " << id << " = " << n;
        }
    }
    ParameterChanges none;
    EXPECT_EQ(s.RunBlock<float>(64, &none) >= -1, true); // still processes after all of it
}

// ---- Views ---------------------------------------------------------------------------------

TEST_F(ModuleTest, PrivateSnapshotEntryDrawsTheEditorOfAnInstance)
{
#if defined(_WIN32)
    GTEST_SKIP() << "the Windows module exports only the host entry points";
#endif
    using namespace EditorSnapshotAbi;
    const auto entry = reinterpret_cast<Entry>(module->Library().Symbol(kEntryName));
    ASSERT_NE(entry, nullptr);
    auto* component = module->Create<IComponent>();
    ASSERT_NE(component, nullptr);
    const std::string path = TempPath("vst3-editor.png");
    EXPECT_EQ(entry(kVersion, component, -1, path.c_str()), kBadArguments);
    ASSERT_EQ(entry(kVersion, component, 2, path.c_str()), kOk);
    EXPECT_EQ(PngSize(path), std::make_pair(562u, 270u));
    std::remove(path.c_str());
    component->release();
}

TEST_F(ModuleTest, ViewsKeepTheInstanceAliveAndAnswerForTheEditorState)
{
    auto* component = module->Create<IComponent>();
    ASSERT_NE(component, nullptr);
    HostApplication host("Ardour");
    ASSERT_EQ(component->initialize(&host), kResultOk);
    auto* controller = Query<IEditController>(component);
    EXPECT_EQ(controller->createView("Editor"), nullptr);
    EXPECT_EQ(controller->createView(nullptr), nullptr);
    IPlugView* view = controller->createView("editor");
    IPlugView* second = controller->createView("editor");
    ASSERT_TRUE(view && second);
    EXPECT_NE(view, second);
    second->release();

    ViewRect r;
    ASSERT_EQ(view->getSize(&r), kResultOk) << "every instance carries its editor";
    EXPECT_EQ(r.right - r.left, 562);
    EXPECT_EQ(r.bottom - r.top, 270);
#if defined(_WIN32)
    // The Windows window layer is a child of the host's HWND only.
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultFalse);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultOk);
#else
    // The Linux window layer embeds into X11 hosts only (the editor in a window: vst3_editor_tests).
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultOk);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);
#endif
    EXPECT_EQ(view->canResize(), kResultFalse);

    component->terminate();
    controller->release();
    EXPECT_EQ(component->release(), 1u); // the view holds the last reference
    EXPECT_EQ(view->getSize(&r), kResultOk);
    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_EQ(view->release(), 0u);
}
