// The VST2 binding driven through its effect record, as a host drives it, with a small test plug-in.
#include "tests/support/TestIdentity.h"
#include "tests/vst2/Vst2TestHost.h"
#include "tests/vst2/Vst2TestPlugin.h"
#include "vst2/Vst2Entry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

namespace
{
class Vst2Binding : public ::testing::Test
{
protected:
    void Create(const Vst2PluginOptions& options = {})
    {
        Vst2TestPlugin::next = options;
        effect = CreateVst2Effect<Vst2TestPlugin>(&Vst2TestHost::Callback);
        ASSERT_NE(effect, nullptr);
        plugin = static_cast<Vst2TestPlugin*>(static_cast<IEffectVST*>(effect->object));
    }
    void TearDown() override
    {
        if (effect) Dispatch(effect, effClose);
    }
    double Value(int32_t index) { return plugin->GetParam(index)->value; }

    Vst2TestHost host;
    AEffect* effect = nullptr;
    Vst2TestPlugin* plugin = nullptr;
};

// A host text buffer with guard bytes after the size the host announces.
struct GuardedText
{
    explicit GuardedText(size_t size) : size(size) { std::memset(bytes, 0x7E, sizeof bytes); }
    bool GuardIntact() const
    {
        for (size_t i = size; i < sizeof bytes; ++i)
            if (bytes[i] != 0x7E) return false;
        return true;
    }
    size_t size;
    char bytes[512];
};

std::vector<uint8_t> ChunkOf(std::initializer_list<double> values, int32_t version = 32000)
{
    std::vector<uint8_t> out(4);
    std::memcpy(out.data(), &version, 4);
    for (double v : values)
    {
        uint8_t b[8];
        std::memcpy(b, &v, 8);
        out.insert(out.end(), b, b + 8);
    }
    return out;
}
} // namespace

TEST_F(Vst2Binding, EffectRecordDescribesThePlugin)
{
    Create();
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_EQ(effect->flags, 0x1018) << "replacing, double replacing and mono";
    EXPECT_EQ(effect->numParams, 3);
    EXPECT_EQ(effect->numPrograms, 4);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->initialDelay, 7);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_EQ(effect->uniqueID, test_identity::kUniqueId);
    EXPECT_EQ(effect->version, 32000);
    EXPECT_EQ(effect->resvd1, 0);
    EXPECT_EQ(effect->user, nullptr);
    EXPECT_NE(effect->processReplacing, nullptr);
    EXPECT_NE(effect->processDoubleReplacing, nullptr);
    EXPECT_NE(effect->process, nullptr);
    EXPECT_EQ(plugin->BlockSize(), 1024);
    EXPECT_TRUE(plugin->IsInputConnected(1) && plugin->IsOutputConnected(1));
    EXPECT_EQ(plugin->InputArrangement().type, kSpeakerArrStereo);
    EXPECT_EQ(plugin->OutputArrangement().numChannels, 2);
    EXPECT_TRUE(host.calls.empty()) << "creation asks the host nothing";
}

TEST_F(Vst2Binding, FlagsFollowChunksInstrumentChannelsAndEditor)
{
    Vst2PluginOptions options;
    options.chunks = true;
    options.instrument = true;
    options.channels = "2-2";
    options.withEditor = true;
    Create(options);
    EXPECT_EQ(effect->flags, 0x1000 | 0x100 | 0x20 | 0x10 | 0x1);
    EXPECT_EQ(Dispatch(effect, effGetPlugCategory), 2);
    EXPECT_EQ(plugin->EditorRect().bottom, 270);
    EXPECT_EQ(plugin->EditorRect().right, 562);
}

TEST_F(Vst2Binding, EntryRaisesProgramCountToOne)
{
    Vst2PluginOptions options;
    options.presets = 0;
    Create(options);
    EXPECT_EQ(effect->numPrograms, 1);
    EXPECT_EQ(DispatchText(effect, effGetProgramName), "Default");
}

TEST_F(Vst2Binding, OpenIdentifiesHostOnceAndDeliversEveryParameter)
{
    host.productName = "REAPER";
    host.vendorVersion = 70215;
    Create();
    EXPECT_EQ(Dispatch(effect, effOpen), 0);
    EXPECT_EQ(plugin->changed, (std::vector<int32_t>{0, 1, 2}));
    EXPECT_TRUE(plugin->IsProcessingReady());
    EXPECT_EQ(plugin->HostKind(), 1);
    EXPECT_EQ(plugin->HostVersion(), (7 << 16) | (2 << 8) | 15);
    ASSERT_EQ(host.CountOf(audioMasterGetProductString), 1);
    EXPECT_EQ(host.CallsOf(audioMasterGetProductString)[0].effect, effect);
    EXPECT_EQ(host.CountOf(audioMasterGetVendorVersion), 1);

    Dispatch(effect, effOpen);
    EXPECT_EQ(host.CountOf(audioMasterGetProductString), 1) << "identification happens once";
}

TEST_F(Vst2Binding, HostWithoutProductNameIsNotAskedForItsVersion)
{
    host.productName = "";
    Create();
    Dispatch(effect, effOpen);
    EXPECT_EQ(plugin->HostKind(), 0);
    EXPECT_EQ(host.CountOf(audioMasterGetVendorVersion), 0);
    EXPECT_EQ(plugin->HostVersion(), 0);
}

TEST_F(Vst2Binding, ChannelFixForListedHostsDisconnectsUpperInputs)
{
    host.productName = "Adobe Audition";
    Vst2PluginOptions options;
    options.channels = "4-4";
    Create(options);
    Dispatch(effect, effSetSpeakerArrangement, 0, 0, nullptr);
    VstSpeakerArrangement two{};
    two.numChannels = 2;
    Dispatch(effect, effSetSpeakerArrangement, 0, 0, &two); // outputs 2, 3 disconnected
    Dispatch(effect, effOpen);
    EXPECT_TRUE(plugin->IsInputConnected(1));
    EXPECT_FALSE(plugin->IsInputConnected(2));
    EXPECT_FALSE(plugin->IsInputConnected(3));
    EXPECT_TRUE(plugin->IsOutputConnected(3)) << "outputs above two are reconnected";
    EXPECT_EQ(effect->numInputs, 4);
    EXPECT_EQ(plugin->InputArrangement().numChannels, 4);
}

TEST_F(Vst2Binding, OtherHostsKeepTheirChannels)
{
    host.productName = "Bitwig Studio";
    Vst2PluginOptions options;
    options.channels = "4-4";
    Create(options);
    Dispatch(effect, effOpen);
    EXPECT_TRUE(plugin->IsInputConnected(3));
}

TEST_F(Vst2Binding, TextRequestsStayWithinPublishedSizes)
{
    Vst2PluginOptions options;
    options.effectName = std::string(100, 'E');
    options.makerName = std::string(100, 'M');
    options.productName = std::string(100, 'P');
    Create(options);

    struct Case
    {
        int32_t opcode;
        int32_t index;
        size_t size;
        std::string expected;
    };
    Dispatch(effect, effSetProgram, 0, 2);
    const Case cases[] = {
        {effGetEffectName, 0, 32, std::string(31, 'E')},
        {effGetVendorString, 0, 64, std::string(63, 'M')},
        {effGetProductString, 0, 64, std::string(63, 'P')},
        {effGetProgramName, 0, 24, std::string(Vst2TestPlugin::kLongPresetName, 23)},
        {effGetProgramNameIndexed, 2, 24, std::string(Vst2TestPlugin::kLongPresetName, 23)},
        {effGetParamName, 0, 32, "Gain"},
        {effGetParamLabel, 0, 32, "dB"},
        {effGetParamDisplay, 1, 32, "Off"},
    };
    for (const Case& c : cases)
    {
        GuardedText text(c.size);
        Dispatch(effect, c.opcode, c.index, 0, text.bytes);
        EXPECT_EQ(std::string(text.bytes), c.expected) << "opcode " << c.opcode;
        EXPECT_TRUE(text.GuardIntact()) << "opcode " << c.opcode << " wrote past " << c.size << " bytes";
    }
    EXPECT_EQ(Dispatch(effect, effGetEffectName), 0) << "no buffer, no answer";
}

TEST_F(Vst2Binding, ParameterTextsIgnoreInvalidIndexes)
{
    Create();
    for (int32_t opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay})
        for (int32_t index : {-1, 3, 1000})
        {
            GuardedText text(0);
            EXPECT_EQ(Dispatch(effect, opcode, index, 0, text.bytes), 0);
            EXPECT_TRUE(text.GuardIntact()) << "opcode " << opcode << " index " << index;
        }
    EXPECT_EQ(Dispatch(effect, effGetParamName, 0, 0, nullptr), 0);
}

TEST_F(Vst2Binding, ParameterCallbacksSetAndGetNormalisedValues)
{
    Vst2PluginOptions options;
    options.withEditor = true;
    Create(options);
    effect->setParameter(effect, Vst2TestPlugin::kGain, 0.75f);
    EXPECT_DOUBLE_EQ(Value(Vst2TestPlugin::kGain), 9.0);
    EXPECT_FLOAT_EQ(effect->getParameter(effect, Vst2TestPlugin::kGain), 0.75f);
    EXPECT_EQ(plugin->changed, (std::vector<int32_t>{0}));
    ASSERT_FALSE(plugin->editor->pushes.empty());
    EXPECT_EQ(plugin->editor->pushes.back().index, 0);
    EXPECT_TRUE(plugin->editor->pushes.back().normalized);
    EXPECT_EQ(host.CountOf(audioMasterAutomate), 0) << "host changes are not echoed";

    effect->setParameter(effect, 3, 0.5f);
    effect->setParameter(effect, -1, 0.5f);
    effect->setParameter(effect, Vst2TestPlugin::kGain, std::numeric_limits<float>::quiet_NaN());
    EXPECT_DOUBLE_EQ(Value(Vst2TestPlugin::kGain), -18.0) << "NaN clamps to the minimum";
    effect->setParameter(effect, Vst2TestPlugin::kGain, 7.0f);
    EXPECT_DOUBLE_EQ(Value(Vst2TestPlugin::kGain), 18.0);
    EXPECT_EQ(effect->getParameter(effect, 3), 0.0f);
    EXPECT_EQ(effect->getParameter(effect, -5), 0.0f);
}

TEST_F(Vst2Binding, GuiEditsReachTheHostAsAutomationAndGestures)
{
    Create();
    plugin->BeginParamEdit(0);
    plugin->SetParamFromGui(0, 0.25);
    plugin->EndParamEdit(0);
    ASSERT_EQ(host.calls.size(), 3u);
    EXPECT_EQ(host.calls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(host.calls[1].opcode, audioMasterAutomate);
    EXPECT_EQ(host.calls[1].index, 0);
    EXPECT_EQ(host.calls[1].opt, 0.25f);
    EXPECT_EQ(host.calls[2].opcode, audioMasterEndEdit);
}

TEST_F(Vst2Binding, WheelStepsDuringCountdownShareOneGesture)
{
    Vst2PluginOptions options;
    options.withEditor = true;
    Create(options);
    for (int step = 0; step < 2; ++step)
    {
        plugin->BeginParamEditIfIdle(1);
        plugin->SetParamFromGui(1, 0.5);
        plugin->DeferEndParamEdit(1);
    }
    EXPECT_EQ(host.CountOf(audioMasterBeginEdit), 1);
    EXPECT_EQ(host.CountOf(audioMasterEndEdit), 0) << "the end waits for the countdown";
    plugin->FlushEndParamEdit();
    EXPECT_EQ(host.CountOf(audioMasterEndEdit), 1);

    plugin->BeginParamEditIfIdle(1);
    EXPECT_EQ(host.CountOf(audioMasterBeginEdit), 2) << "after the end a new gesture begins";
    plugin->DeferEndParamEdit(1);
    plugin->BeginParamEditIfIdle(2); // another parameter: the pending end goes out first
    ASSERT_EQ(host.calls.back().opcode, audioMasterBeginEdit);
    EXPECT_EQ(host.calls.back().index, 2);
    EXPECT_EQ(host.calls[host.calls.size() - 2].opcode, audioMasterEndEdit);
    EXPECT_EQ(host.calls[host.calls.size() - 2].index, 1);
}

TEST_F(Vst2Binding, HostSamplePosition)
{
    Create();
    struct Case
    {
        bool give;
        double pos;
        int32_t expected;
    };
    const Case cases[] = {{false, 5.0, 0}, {true, 10.4, 10},        {true, 10.5, 11},
                          {true, -3.0, 0}, {true, std::nan(""), 0}, {true, 1e300, INT32_MAX}};
    for (const Case& c : cases)
    {
        host.giveTime = c.give;
        host.time.samplePos = c.pos;
        EXPECT_EQ(plugin->HostSamplePos(), c.expected) << c.pos;
    }
    EXPECT_EQ(host.CallsOf(audioMasterGetTime).back().value, 0) << "filter 0";
}

TEST_F(Vst2Binding, ChunksCarryVersionAndParameterState)
{
    Create();
    effect->setParameter(effect, 0, 0.75f);
    for (int32_t kind : {0, 1})
    {
        void* data = nullptr;
        const intptr_t size = Dispatch(effect, effGetChunk, kind, 0, &data);
        ASSERT_EQ(size, 4 + 8 * 3);
        const auto* bytes = static_cast<const uint8_t*>(data);
        EXPECT_EQ(bytes[0], 0x00);
        EXPECT_EQ(bytes[1], 0x7D);
        EXPECT_EQ(bytes[2], 0x00);
        EXPECT_EQ(bytes[3], 0x00);
        double gain;
        std::memcpy(&gain, bytes + 4, 8);
        EXPECT_EQ(gain, 9.0);
    }
    EXPECT_EQ(Dispatch(effect, effGetChunk, 0, 0, nullptr), 0);

    const std::vector<uint8_t> chunk = ChunkOf({-3.0, 2.0, 1.0}, 31000);
    plugin->changed.clear();
    EXPECT_EQ(Dispatch(effect, effSetChunk, 1, static_cast<intptr_t>(chunk.size()), (void*)chunk.data()), 1);
    EXPECT_EQ(Value(0), -3.0);
    EXPECT_EQ(Value(1), 2.0);
    EXPECT_EQ(Value(2), 1.0);
    EXPECT_EQ(plugin->changed, (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(plugin->versionNotices, (std::vector<int32_t>{31000}));
}

TEST_F(Vst2Binding, BankChunkStoresTheCurrentProgramFirst)
{
    Create();
    Dispatch(effect, effSetProgram, 0, 1);
    effect->setParameter(effect, 0, 0.0f);
    void* data = nullptr;
    Dispatch(effect, effGetChunk, 1, 0, &data);
    Dispatch(effect, effSetProgram, 0, 2); // leaving stores -18 into program 1 anyway
    Dispatch(effect, effSetProgram, 0, 1);
    EXPECT_EQ(Value(0), -18.0);
    effect->setParameter(effect, 0, 1.0f);
    Dispatch(effect, effGetChunk, 0, 0, &data);
    EXPECT_EQ(plugin->GetPreset(1)->state.Size(), 24) << "bank save stores the program";
    double stored;
    plugin->GetPreset(1)->state.ReadDouble(&stored, 0);
    EXPECT_EQ(stored, 18.0);
}

TEST_F(Vst2Binding, MalformedChunksAreRefusedSafely)
{
    Vst2PluginOptions options;
    options.withEditor = true;
    Create(options);
    effect->setParameter(effect, 0, 0.75f);
    const size_t pushesBefore = plugin->editor->pushes.size();

    const uint8_t three[3] = {1, 2, 3};
    EXPECT_EQ(Dispatch(effect, effSetChunk, 0, 3, (void*)three), 0);
    EXPECT_EQ(plugin->versionNotices, (std::vector<int32_t>{0}));
    EXPECT_EQ(Value(0), 9.0) << "a chunk without a version word changes nothing";

    EXPECT_EQ(Dispatch(effect, effSetChunk, 0, 84, nullptr), 0);
    EXPECT_EQ(Dispatch(effect, effSetChunk, 0, 0, (void*)three), 0);
    EXPECT_EQ(Dispatch(effect, effSetChunk, 0, -4, (void*)three), 0);
    EXPECT_EQ(Dispatch(effect, effSetChunk, 0, intptr_t(1) << 40, (void*)three), 0);
    EXPECT_EQ(Dispatch(effect, effSetChunk, 0, INT32_MAX, (void*)three), 0);
    EXPECT_EQ(Value(0), 9.0);
    EXPECT_EQ(plugin->versionNotices.size(), 2u) << "oversized chunks are not read at all";

    // Version plus one and a half values: the first loads, the second reads as 0.0, the third stays.
    std::vector<uint8_t> shortChunk = ChunkOf({-6.0, 3.0});
    shortChunk.resize(16);
    EXPECT_EQ(Dispatch(effect, effSetChunk, 0, 16, shortChunk.data()), 0);
    EXPECT_EQ(Value(0), -6.0);
    EXPECT_EQ(Value(1), 0.0);
    EXPECT_EQ(plugin->editor->pushes.size(), pushesBefore) << "a failed load does not refresh the GUI";

    const std::vector<uint8_t> garbage =
        ChunkOf({std::nan(""), 1e308, -std::numeric_limits<double>::infinity(), 42.0});
    EXPECT_EQ(Dispatch(effect, effSetChunk, 0, static_cast<intptr_t>(garbage.size()), (void*)garbage.data()),
              1)
        << "bytes after the last parameter are ignored";
    EXPECT_EQ(Value(0), -18.0);
    EXPECT_EQ(Value(1), 3.0);
    EXPECT_EQ(Value(2), 0.0);
    EXPECT_GT(plugin->editor->pushes.size(), pushesBefore);
}

TEST_F(Vst2Binding, ProgramSwitchStoresTheProgramBeingLeft)
{
    Create();
    Dispatch(effect, effSetProgram, 0, 1);
    EXPECT_EQ(Dispatch(effect, effGetProgram), 1);
    EXPECT_EQ(Value(0), 12.0);
    effect->setParameter(effect, 0, 0.5f); // 0 dB, then leave
    Dispatch(effect, effSetProgram, 0, 3);
    EXPECT_EQ(DispatchText(effect, effGetProgramName), "user preset 1") << "uninitialised program is named";
    EXPECT_EQ(Value(0), 0.0) << "and keeps the current values";
    Dispatch(effect, effSetProgram, 0, 1);
    EXPECT_EQ(Value(0), 0.0) << "program 1 kept what it had when left";

    Dispatch(effect, effSetProgram, 0, 99);
    Dispatch(effect, effSetProgram, 0, intptr_t(1) << 32 | 2); // not index 2
    EXPECT_EQ(Dispatch(effect, effGetProgram), 1);
}

TEST_F(Vst2Binding, ProgramNames)
{
    Vst2PluginOptions options;
    options.presets = 5;
    Create(options);
    char name[24];
    EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, 1, 0, name), 1);
    EXPECT_STREQ(name, "Loud");
    EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, 4, 0, name), 1);
    EXPECT_STREQ(name, "- 5 -");
    EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, 5, 0, name), 0);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, -1, 0, nullptr), 0);

    char renamed[] = "Renamed";
    Dispatch(effect, effSetProgramName, 0, 0, renamed);
    EXPECT_EQ(DispatchText(effect, effGetProgramName), "Renamed");
    std::vector<char> unterminated(1000, 'x');
    Dispatch(effect, effSetProgramName, 0, 0, unterminated.data());
    EXPECT_EQ(std::string(plugin->PresetName(0)).size(), 255u) << "a host text is read only so far";
    Dispatch(effect, effSetProgramName, 0, 0, nullptr);
}

TEST_F(Vst2Binding, StringToParameter)
{
    Vst2PluginOptions options;
    options.withEditor = true;
    Create(options);
    char text[] = "-4.5";
    EXPECT_EQ(Dispatch(effect, effString2Parameter, 0, 0, text), 1);
    EXPECT_EQ(Value(0), -4.5);
    EXPECT_EQ(plugin->changed.back(), 0);
    EXPECT_FALSE(plugin->editor->pushes.back().normalized);
    EXPECT_EQ(plugin->editor->pushes.back().value, -4.5);

    char soft[] = "Soft";
    EXPECT_EQ(Dispatch(effect, effString2Parameter, 1, 0, soft), 1);
    EXPECT_EQ(Value(1), 1.0);
    char huge[] = "1e99";
    Dispatch(effect, effString2Parameter, 0, 0, huge);
    EXPECT_EQ(Value(0), 18.0);
    char junk[] = "junk";
    Dispatch(effect, effString2Parameter, 0, 0, junk);
    EXPECT_EQ(Value(0), 0.0);

    EXPECT_EQ(Dispatch(effect, effString2Parameter, 0, 0, nullptr), 1);
    EXPECT_EQ(Dispatch(effect, effString2Parameter, 3, 0, text), 0);
    EXPECT_EQ(Dispatch(effect, effString2Parameter, -1, 0, nullptr), 0);
}

TEST_F(Vst2Binding, VendorSpecificRequests)
{
    Create();
    GuardedText text(32);
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 7, 0, text.bytes, 0.25f), 0xBEEF);
    EXPECT_STREQ(text.bytes, "-9.0");
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 7, 1, text.bytes, 0.0f), 0xBEEF);
    EXPECT_STREQ(text.bytes, "Off");
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 7, 9, text.bytes, 0.5f), 0xBEEF) << "also invalid params";
    EXPECT_STREQ(text.bytes, "Off");
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 7, 0, nullptr, 0.5f), 0);

    int32_t count = -1;
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 8, Vst2TestPlugin::kChoice, &count), 0xBEEF);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 8, Vst2TestPlugin::kChoice, nullptr), 0xBEEF);
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 8, Vst2TestPlugin::kMode, &count), 0) << "kind 2";
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 8, Vst2TestPlugin::kGain, &count), 0) << "kind 4";
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 8, 3, &count), 0);

    char value[32] = "9";
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 27, 0, value), 0xBEEF);
    EXPECT_STREQ(value, "0.75000000000000000");
    GuardedText far(32);
    std::strcpy(far.bytes, "1e300");
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 27, 0, far.bytes), 0xBEEF);
    EXPECT_STREQ(far.bytes, "1.00000000000000000");
    EXPECT_TRUE(far.GuardIntact());
    char empty[32] = "";
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 27, 0, empty), 0xBEEF);
    EXPECT_STREQ(empty, "");
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 27, 5, value), 0);
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 27, 0, nullptr), 0);

    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 58, 31500), 0);
    EXPECT_EQ(plugin->versionNotices, (std::vector<int32_t>{31500}));
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 0x73744341, 0x57686565, nullptr, 1.0f), 0) << "no GUI";
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 12345, 0, text.bytes), 0);
}

TEST_F(Vst2Binding, EditorRequestsWithoutEditor)
{
    Create();
    ERect* rect = nullptr;
    EXPECT_EQ(Dispatch(effect, effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect, nullptr);
    int parent = 0;
    EXPECT_EQ(Dispatch(effect, effEditOpen, 0, 0, &parent), 0);
    EXPECT_EQ(Dispatch(effect, effEditClose), 0);
    EXPECT_EQ(Dispatch(effect, effEditIdle), 0);
    EXPECT_EQ(plugin->editorOpened, 0);
    EXPECT_EQ(effect->flags & 1, 0);
}

TEST_F(Vst2Binding, EditorRequestsWithEditor)
{
    Vst2PluginOptions options;
    options.withEditor = true;
    Create(options);
    ERect* rect = nullptr;
    EXPECT_EQ(Dispatch(effect, effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, 562);
    EXPECT_EQ(Dispatch(effect, effEditGetRect, 0, 0, nullptr), 0);
    EXPECT_EQ(Dispatch(effect, effEditOpen, 0, 0, nullptr), 0) << "the window did not open";
    int parent = 0;
    EXPECT_EQ(Dispatch(effect, effEditOpen, 0, 0, &parent), 1);
    EXPECT_EQ(plugin->editorOpened, 1);
    bool lockFree = false; // the audio thread could run a block while the editor draws
    plugin->editor->onIdle = [&]
    {
        std::thread audio(
            [&]
            {
                lockFree = plugin->Lock().TryLock();
                if (lockFree) plugin->Lock().Unlock();
            });
        audio.join();
    };
    EXPECT_EQ(Dispatch(effect, effEditIdle), 0);
    EXPECT_EQ(plugin->editor->idles, 1) << "effEditIdle drives the editor's events and timer";
    EXPECT_TRUE(lockFree) << "the editor's idle step must not hold the plug-in lock";
    EXPECT_EQ(Dispatch(effect, effEditClose), 1);
    EXPECT_EQ(plugin->editorClosed, 1);
    EXPECT_EQ(plugin->editor->closes, 1);
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 0x73744341, 0x57686565, nullptr, -2.0f), 1);
    plugin->editor->wheelOverEditor = false;
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 0x73744341, 0x57686565, nullptr, 1.0f), 0);
    EXPECT_EQ(plugin->editor->wheels, (std::vector<float>{-2.0f, 1.0f}));
}

TEST_F(Vst2Binding, AnEditorWithoutWindowsIsNotOffered)
{
    Vst2PluginOptions options;
    options.withEditor = true;
    options.editorOpensWindows = false;
    Create(options);
    EXPECT_EQ(effect->flags & 1, 0);
    ERect* rect = nullptr;
    EXPECT_EQ(Dispatch(effect, effEditGetRect, 0, 0, &rect), 0);
    int parent = 0;
    EXPECT_EQ(Dispatch(effect, effEditOpen, 0, 0, &parent), 0);
    EXPECT_EQ(plugin->editor->opens, 0);
    EXPECT_EQ(plugin->editorOpened, 0);
}

TEST_F(Vst2Binding, CapabilityAnswers)
{
    Create();
    auto canDo = [&](const char* text) { return Dispatch(effect, effCanDo, 0, 0, const_cast<char*>(text)); };
    EXPECT_EQ(canDo("receiveVstTimeInfo"), 1);
    EXPECT_EQ(canDo("receiveVstEvents"), 0);
    EXPECT_EQ(canDo("sendVstMidiEvent"), 0);
    EXPECT_EQ(canDo("hasCockosExtensions"), 0xBEEF0000);
    EXPECT_EQ(canDo("hasCockosViewAsConfig"), 0xBEEF0000);
    EXPECT_EQ(canDo("hascockosextensions"), 0) << "case-sensitive";
    EXPECT_EQ(canDo("receiveVstTimeInfo "), 0) << "whole text";
    EXPECT_EQ(canDo("bypass"), 0);
    EXPECT_EQ(Dispatch(effect, effCanDo, 0, 0, nullptr), 0);
    std::string longText = "receiveVstTimeInfo" + std::string(500, 'x');
    EXPECT_EQ(canDo(longText.c_str()), 0);
}

TEST_F(Vst2Binding, MidiCapabilitiesFollowMidiMode)
{
    Vst2PluginOptions options;
    options.midiMode = 1;
    Create(options);
    EXPECT_EQ(Dispatch(effect, effCanDo, 0, 0, const_cast<char*>("sendVstEvents")), 1);
    EXPECT_EQ(Dispatch(effect, effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")), 1);
}

TEST_F(Vst2Binding, EventsReachAPluginTakingMidi)
{
    Vst2PluginOptions options;
    options.midiMode = 2;
    Create(options);
    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof note;
    note.deltaFrames = 17;
    note.midiData[0] = char(0x90);
    note.midiData[1] = 60;
    note.midiData[2] = 100;
    char dump[] = "\xF0\x7E\xF7";
    VstMidiSysexEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.deltaFrames = 3;
    sysex.dumpBytes = 3;
    sysex.sysexDump = dump;
    VstEvent other{};
    other.type = 3;
    struct
    {
        VstEvents head;
        VstEvent* more[2];
    } list{};
    list.head.numEvents = 4;
    list.head.events[0] = reinterpret_cast<VstEvent*>(&note);
    list.head.events[1] = nullptr;
    list.more[0] = reinterpret_cast<VstEvent*>(&sysex);
    list.more[1] = &other;
    EXPECT_EQ(Dispatch(effect, effProcessEvents, 0, 0, &list), 1);
    ASSERT_EQ(plugin->midi.size(), 1u);
    EXPECT_EQ(plugin->midi[0].frameOffset, 17);
    EXPECT_EQ(plugin->midi[0].status, 0x90);
    EXPECT_EQ(plugin->midi[0].data1, 60);
    EXPECT_EQ(plugin->midi[0].data2, 100);
    ASSERT_EQ(plugin->sysex.size(), 1u);
    EXPECT_EQ(plugin->sysex[0], std::string("\xF0\x7E\xF7", 3));

    list.head.numEvents = -7;
    EXPECT_EQ(Dispatch(effect, effProcessEvents, 0, 0, &list), 1);
    EXPECT_EQ(Dispatch(effect, effProcessEvents, 0, 0, nullptr), 1);
    sysex.sysexDump = nullptr;
    list.head.numEvents = 3;
    Dispatch(effect, effProcessEvents, 0, 0, &list);
    EXPECT_EQ(plugin->sysex.size(), 1u) << "a sysex event without bytes is skipped";
    EXPECT_EQ(plugin->midi.size(), 2u);
}

TEST_F(Vst2Binding, EventsReachThePluginWhateverItsMidiMode)
{
    for (int32_t mode : {0, 3})
    {
        Vst2PluginOptions options;
        options.midiMode = mode;
        Create(options);
        VstMidiEvent note{};
        note.type = kVstMidiType;
        note.deltaFrames = 5;
        note.midiData[0] = char(0x80);
        VstEvents list{};
        list.numEvents = 1;
        list.events[0] = reinterpret_cast<VstEvent*>(&note);
        EXPECT_EQ(Dispatch(effect, effProcessEvents, 0, 0, &list), 1);
        ASSERT_EQ(plugin->midi.size(), 1u) << "MIDI mode " << mode;
        EXPECT_EQ(plugin->midi[0].frameOffset, 5);
        EXPECT_EQ(plugin->midi[0].status, 0x80);
        Dispatch(effect, effClose);
        effect = nullptr;
    }
}

TEST_F(Vst2Binding, PinProperties)
{
    Vst2PluginOptions options;
    options.channels = "3-3";
    Create(options);
    VstPinProperties pin{};
    EXPECT_EQ(Dispatch(effect, effGetInputProperties, 0, 0, &pin), 1);
    EXPECT_EQ(pin.flags, 3);
    EXPECT_STREQ(pin.label, "Input 1");
    EXPECT_EQ(Dispatch(effect, effGetInputProperties, 1, 0, &pin), 1);
    EXPECT_EQ(pin.flags, 1);
    EXPECT_EQ(Dispatch(effect, effGetOutputProperties, 2, 0, &pin), 1);
    EXPECT_EQ(pin.flags, 1) << "the last odd channel has no partner";
    EXPECT_STREQ(pin.label, "Output 3");
    EXPECT_EQ(Dispatch(effect, effGetOutputProperties, 3, 0, &pin), 0);
    EXPECT_EQ(Dispatch(effect, effGetInputProperties, -1, 0, &pin), 0);
    EXPECT_EQ(Dispatch(effect, effGetInputProperties, 0, 0, nullptr), 0);
}

TEST_F(Vst2Binding, SpeakerArrangements)
{
    Create();
    VstSpeakerArrangement mono{};
    mono.numChannels = 1;
    VstSpeakerArrangement absurd{};
    absurd.numChannels = 1000;
    EXPECT_EQ(Dispatch(effect, effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&mono), &absurd), 1);
    EXPECT_TRUE(plugin->IsInputConnected(0));
    EXPECT_FALSE(plugin->IsInputConnected(1));
    EXPECT_TRUE(plugin->IsOutputConnected(1));
    absurd.numChannels = -5;
    Dispatch(effect, effSetSpeakerArrangement, 0, 0, &absurd);
    EXPECT_FALSE(plugin->IsOutputConnected(0));

    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    EXPECT_EQ(Dispatch(effect, effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out), 1);
    ASSERT_TRUE(in && out);
    EXPECT_EQ(in->type, kSpeakerArrStereo);
    EXPECT_EQ(out->numChannels, 2);
    EXPECT_EQ(Dispatch(effect, effGetSpeakerArrangement), 1);
}

TEST_F(Vst2Binding, SimpleAnswersAndActivation)
{
    Create();
    EXPECT_EQ(Dispatch(effect, effIdentify), 0x4E764566);
    EXPECT_EQ(Dispatch(effect, effGetVstVersion), 2400);
    EXPECT_EQ(Dispatch(effect, effGetVendorVersion), 32000);
    EXPECT_EQ(Dispatch(effect, effGetPlugCategory), 1);
    EXPECT_EQ(Dispatch(effect, effCanBeAutomated, 999), 1);
    for (int32_t opcode : {9, 16, 30, 41, 43, 52, 59, 70, 73, 77, 100, -1, 0x7FFFFFFF})
        EXPECT_EQ(Dispatch(effect, opcode, 1, 1, nullptr, 1.0f), 0) << "opcode " << opcode;

    Dispatch(effect, effMainsChanged, 0, 1);
    Dispatch(effect, effMainsChanged, 0, 0);
    EXPECT_EQ(plugin->resets, 1) << "deactivation resets";
    Dispatch(effect, effSetBypass, 0, 1);
    Dispatch(effect, effStartProcess);
    Dispatch(effect, effBeginSetProgram);
    Dispatch(effect, effStopProcess);
    EXPECT_EQ(plugin->activeChanges, (std::vector<bool>{true, false, false, true, true, false}));

    Dispatch(effect, effSetSampleRate, 0, 0, nullptr, 96000.0f);
    EXPECT_EQ(plugin->SampleRate(), 96000.0);
    Dispatch(effect, effSetBlockSize, 0, 64);
    EXPECT_EQ(plugin->BlockSize(), 64);
    EXPECT_EQ(plugin->resets, 3);
    for (float rate : {0.0f, -44100.0f, std::nanf(""), 10.0e6f + 1.0f, 1e30f})
        Dispatch(effect, effSetSampleRate, 0, 0, nullptr, rate);
    for (intptr_t size : {intptr_t(0), intptr_t(-1), intptr_t(1) << 40, intptr_t(INT32_MAX)})
        Dispatch(effect, effSetBlockSize, 0, size);
    EXPECT_EQ(plugin->SampleRate(), 96000.0) << "unusable rates are ignored";
    EXPECT_EQ(plugin->BlockSize(), 64) << "unusable block sizes are ignored";

    MidiKeyName key{};
    key.thisKeyNumber = 60;
    std::memset(key.keyName, 'z', sizeof key.keyName);
    EXPECT_EQ(Dispatch(effect, effGetMidiKeyName, 0, 0, &key), 1);
    EXPECT_STREQ(key.keyName, "Middle C");
    key.thisKeyNumber = 61;
    EXPECT_EQ(Dispatch(effect, effGetMidiKeyName, 0, 0, &key), 0);
    EXPECT_STREQ(key.keyName, "");
}

TEST_F(Vst2Binding, CloseDestroysTheInstance)
{
    Create();
    const int before = Vst2TestPlugin::destroyed;
    EXPECT_EQ(Dispatch(effect, effClose), 0);
    EXPECT_EQ(Vst2TestPlugin::destroyed, before + 1);
    effect = nullptr;

    AEffect orphan{};
    Create();
    orphan.dispatcher = effect->dispatcher;
    EXPECT_EQ(orphan.dispatcher(&orphan, effGetVendorVersion, 0, 0, nullptr, 0.0f), 0)
        << "no object, no work";
    effect->processReplacing(&orphan, nullptr, nullptr, 16);
    EXPECT_EQ(effect->getParameter(&orphan, 0), 0.0f);
}

// ---- Block callbacks ----

class Vst2Blocks : public Vst2Binding
{
protected:
    void SetUp() override
    {
        Create();
        Dispatch(effect, effOpen);
        Dispatch(effect, effSetBlockSize, 0, 32);
        for (int c = 0; c < 2; ++c)
            for (int s = 0; s <= kFrames; ++s) // one guard frame after the block
            {
                in[c][s] = static_cast<float>(0.01 * (s + 1) * (c ? -1 : 1));
                out[c][s] = 1.0f;
                inD[c][s] = in[c][s];
                outD[c][s] = 1.0;
            }
    }
    static constexpr int kFrames = 100; // longer than the block size
    float in[2][kFrames + 1], out[2][kFrames + 1];
    double inD[2][kFrames + 1], outD[2][kFrames + 1];
    float* ins[2] = {in[0], in[1]};
    float* outs[2] = {out[0], out[1]};
    double* insD[2] = {inD[0], inD[1]};
    double* outsD[2] = {outD[0], outD[1]};
};

TEST_F(Vst2Blocks, ReplacingBlocksLongerThanTheBlockSize)
{
    host.time.samplePos = 4410.0;
    effect->processReplacing(effect, ins, outs, kFrames);
    for (int c = 0; c < 2; ++c)
        for (int s = 0; s < kFrames; ++s)
            ASSERT_EQ(out[c][s], static_cast<float>(double(in[c][s]) * 0.5 + 0.25)) << c << "/" << s;
    EXPECT_EQ(out[0][kFrames], 1.0f) << "nothing written past the block";
    EXPECT_EQ(plugin->samplePosSeen, 4410);
    EXPECT_EQ(host.CountOf(audioMasterWantMidi), 0) << "MIDI mode 0";
}

TEST_F(Vst2Blocks, AccumulatingBlocksAddToTheOutputs)
{
    effect->process(effect, ins, outs, kFrames);
    for (int c = 0; c < 2; ++c)
        for (int s = 0; s < kFrames; ++s)
            ASSERT_EQ(out[c][s], 1.0f + static_cast<float>(double(in[c][s]) * 0.5 + 0.25)) << c << "/" << s;
    EXPECT_EQ(out[1][kFrames], 1.0f);
}

TEST_F(Vst2Blocks, DoubleBlocks)
{
    effect->processDoubleReplacing(effect, insD, outsD, kFrames);
    for (int c = 0; c < 2; ++c)
        for (int s = 0; s < kFrames; ++s)
            ASSERT_EQ(outD[c][s], inD[c][s] * 0.5 + 0.25) << c << "/" << s;
    EXPECT_EQ(outD[0][kFrames], 1.0);
}

TEST_F(Vst2Blocks, NullBuffersAndOddFrameCounts)
{
    effect->processReplacing(effect, nullptr, nullptr, kFrames);
    effect->process(effect, nullptr, outs, kFrames);
    EXPECT_EQ(out[0][0], 1.25f) << "missing inputs read as silence";
    float* inHoles[2] = {in[0], nullptr};
    float* outHoles[2] = {nullptr, out[1]};
    effect->processReplacing(effect, inHoles, outHoles, kFrames);
    EXPECT_EQ(out[1][0], 0.25f);
    effect->processDoubleReplacing(effect, nullptr, nullptr, kFrames);
    effect->processReplacing(effect, ins, outs, 0);
    effect->processReplacing(effect, ins, outs, -5);
    effect->processDoubleReplacing(effect, insD, outsD, -5);
    EXPECT_EQ(outD[0][0], 1.0);
}

TEST_F(Vst2Blocks, PluginsTakingMidiAskForItEveryBlock)
{
    Dispatch(effect, effClose);
    Vst2PluginOptions options;
    options.midiMode = 1;
    Create(options);
    effect->processReplacing(effect, ins, outs, 8);
    effect->processDoubleReplacing(effect, insD, outsD, 8);
    effect->process(effect, ins, outs, 8);
    EXPECT_EQ(host.CountOf(audioMasterWantMidi), 3);
}
