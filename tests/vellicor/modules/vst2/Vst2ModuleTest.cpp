// The built vellicor_vst2 module, loaded as hosts load it and driven through its effect record,
// checked against the same limiter class built on the test binding and driven directly.
#include "hostkit/ModuleLibrary.h"
#include "tests/support/PngSize.h"
#include "tests/support/TempPath.h"
#include "tests/vst2/Vst2TestHost.h"
#include "vellicor/editor/EditorSnapshotAbi.h"
#include "vellicor/plugin/CLS_VELLICOR.h"
#include "vellicor/plugin/VellicorParams.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <set>
#include <string>
#include <vector>

namespace
{
struct Module
{
    Module() { library.Open(VELLICOR_VST2_MODULE, error); }
    VstPluginMainProc Entry(const char* name) const { return library.Entry<VstPluginMainProc>(name); }

    hostkit::ModuleLibrary library;
    std::string error;
};

class Vst2Module : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(module.library.Handle(), nullptr) << module.error;
        VstPluginMainProc entry = module.Entry("VSTPluginMain");
        ASSERT_NE(entry, nullptr);
        effect = entry(&Vst2TestHost::Callback);
        ASSERT_NE(effect, nullptr);
    }
    void TearDown() override
    {
        if (effect) Dispatch(effect, effClose);
    }
    // The host's usual start-up sequence.
    void Start(float rate, intptr_t blockSize)
    {
        Dispatch(effect, effOpen);
        Dispatch(effect, effSetSampleRate, 0, 0, nullptr, rate);
        Dispatch(effect, effSetBlockSize, 0, blockSize);
        Dispatch(effect, effMainsChanged, 0, 1);
    }
    std::vector<float> Params()
    {
        std::vector<float> out;
        for (int32_t i = 0; i < effect->numParams; ++i)
            out.push_back(effect->getParameter(effect, i));
        return out;
    }

    Vst2TestHost host;
    Module module;
    AEffect* effect = nullptr;
};

// The same limiter, driven without any host format.
struct Reference
{
    Reference(double rate, int32_t blockSize)
    {
        plugin.SetInputConnections(0, plugin.NInChannels(), true);
        plugin.SetOutputConnections(0, plugin.NOutChannels(), true);
        plugin.NotifyAllParams();
        plugin.SetSampleRate(rate);
        plugin.ResetState();
        plugin.SetBlockSize(blockSize);
        plugin.ResetState();
        plugin.ActiveChanged(true);
    }
    CLS_VELLICOR plugin{ITestBinding::InstanceInfo{}};
};

// Bursts and a sweep well above full scale, so that the limiter works throughout.
std::vector<double> Signal(int channel, int frames, double rate)
{
    std::vector<double> x(static_cast<size_t>(frames));
    for (int s = 0; s < frames; ++s)
    {
        const double t = s / rate;
        const double sweep = std::sin(2.0 * std::numbers::pi * (50.0 + 2000.0 * t) * t + channel);
        const double burst = (s / 700) % 3 == 0 ? 2.5 : 0.4;
        x[s] = sweep * burst * (channel ? 0.8 : 1.0);
    }
    return x;
}

// The audio of both paths, in host-sized blocks that do not match the announced block size.
enum class Path
{
    Replacing,
    Accumulating,
    Double
};

void Render(Path path, AEffect* effect, ITestBinding* reference, const std::vector<double> (&in)[2],
            std::vector<double> (&outVst)[2], std::vector<double> (&outRef)[2], int hostBlock)
{
    const int frames = static_cast<int>(in[0].size());
    for (int c = 0; c < 2; ++c)
    {
        outVst[c].assign(in[c].size(), 0.0);
        outRef[c].assign(in[c].size(), 0.0);
    }
    for (int done = 0; done < frames; done += hostBlock)
    {
        const int n = std::min(hostBlock, frames - done);
        if (path == Path::Double)
        {
            std::vector<double> i0(in[0].begin() + done, in[0].begin() + done + n);
            std::vector<double> i1(in[1].begin() + done, in[1].begin() + done + n);
            std::vector<double> a0(n, 7.0), a1(n, 7.0), b0(n, 7.0), b1(n, 7.0);
            double* ins[2] = {i0.data(), i1.data()};
            double* outsA[2] = {a0.data(), a1.data()};
            double* outsB[2] = {b0.data(), b1.data()};
            effect->processDoubleReplacing(effect, ins, outsA, n);
            reference->ProcessHostBlock(ins, outsB, n, false);
            std::copy(a0.begin(), a0.end(), outVst[0].begin() + done);
            std::copy(a1.begin(), a1.end(), outVst[1].begin() + done);
            std::copy(b0.begin(), b0.end(), outRef[0].begin() + done);
            std::copy(b1.begin(), b1.end(), outRef[1].begin() + done);
            continue;
        }
        std::vector<float> i0(n), i1(n);
        for (int s = 0; s < n; ++s)
        {
            i0[s] = static_cast<float>(in[0][done + s]);
            i1[s] = static_cast<float>(in[1][done + s]);
        }
        // Accumulating outputs start from something other than silence.
        const float start = path == Path::Accumulating ? 0.125f : 7.0f;
        std::vector<float> a0(n, start), a1(n, start), b0(n, start), b1(n, start);
        float* ins[2] = {i0.data(), i1.data()};
        float* outsA[2] = {a0.data(), a1.data()};
        float* outsB[2] = {b0.data(), b1.data()};
        if (path == Path::Replacing)
        {
            effect->processReplacing(effect, ins, outsA, n);
            reference->ProcessHostBlock(ins, outsB, n, IEffectBase::BlockForm::FloatReplacing, false);
        }
        else
        {
            effect->process(effect, ins, outsA, n);
            reference->ProcessHostBlock(ins, outsB, n, IEffectBase::BlockForm::FloatAccumulating, false);
        }
        for (int s = 0; s < n; ++s)
        {
            outVst[0][done + s] = a0[s];
            outVst[1][done + s] = a1[s];
            outRef[0][done + s] = b0[s];
            outRef[1][done + s] = b1[s];
        }
    }
}
} // namespace

// The Windows build reads the DLL's export table instead (cmake/CheckPeModule.cmake).
#if !defined(_WIN32)
TEST_F(Vst2Module, ExportsOnlyTheEntryPoints)
{
    const std::string command = std::string("nm -D --defined-only ") + VELLICOR_VST2_MODULE;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> exported;
    char line[512];
    while (std::fgets(line, sizeof line, pipe))
    {
        char address[64], type[8], name[400];
        if (std::sscanf(line, "%63s %7s %399s", address, type, name) == 3 &&
            std::strchr("TtDdBbRrWwVv", type[0]))
            exported.insert(name);
    }
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_EQ(exported, (std::set<std::string>{"VSTPluginMain", "main", EditorSnapshotAbi::kEntryName}));
}

TEST_F(Vst2Module, PrivateSnapshotEntryDrawsTheEditor)
{
    using namespace EditorSnapshotAbi;
    const auto entry = module.library.Entry<Entry>(kEntryName);
    ASSERT_NE(entry, nullptr);
    const std::string path = TempPath("vst2-editor.png");
    EXPECT_EQ(entry(kVersion + 1, effect, 1, path.c_str()), kWrongVersion);
    EXPECT_EQ(entry(kVersion, nullptr, 1, path.c_str()), kBadArguments);
    EXPECT_EQ(entry(kVersion, effect, 1, "/nonexistent/editor.png"), kWriteFailed);
    ASSERT_EQ(entry(kVersion, effect, 2, path.c_str()), kOk);
    EXPECT_EQ(PngSize(path), std::make_pair(562u, 270u));
    std::remove(path.c_str());
}
#endif

TEST_F(Vst2Module, MainIsTheSameEntry)
{
    VstPluginMainProc legacy = module.Entry("main");
    ASSERT_NE(legacy, nullptr);
    AEffect* other = legacy(&Vst2TestHost::Callback);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, effect) << "each call creates an instance";
    EXPECT_EQ(other->uniqueID, effect->uniqueID);
    EXPECT_EQ(other->flags, effect->flags);
    Dispatch(other, effClose);
}

TEST_F(Vst2Module, EffectRecordOfTheLimiter)
{
    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(effect->uniqueID, 0x6E753276);
    EXPECT_EQ(effect->version, 32000);
    EXPECT_EQ(effect->numParams, 10);
    EXPECT_EQ(effect->numPrograms, 24);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->initialDelay, 0) << "the look-ahead is never reported";
    EXPECT_TRUE(effect->flags == 0x1018 || effect->flags == 0x1019) << std::hex << effect->flags;
    EXPECT_EQ(DispatchText(effect, effGetEffectName), "Vellicor");
    EXPECT_EQ(DispatchText(effect, effGetVendorString), "Ovidane");
    EXPECT_EQ(DispatchText(effect, effGetProductString), "");
    EXPECT_EQ(Dispatch(effect, effGetVendorVersion), 32000);
    EXPECT_EQ(Dispatch(effect, effGetVstVersion), 2400);
    EXPECT_EQ(Dispatch(effect, effGetPlugCategory), 1);
}

TEST_F(Vst2Module, ParameterTextsAndCallbacks)
{
    for (int32_t i = 0; i < kVellicorParamCount; ++i)
    {
        EXPECT_EQ(DispatchText(effect, effGetParamName, i), kVellicorParams[i].name);
        EXPECT_EQ(DispatchText(effect, effGetParamLabel, i), kVellicorParams[i].label);
    }
    effect->setParameter(effect, kInputGain, 0.75f);
    EXPECT_FLOAT_EQ(effect->getParameter(effect, kInputGain), 0.75f);
    EXPECT_EQ(DispatchText(effect, effGetParamDisplay, kInputGain), "9.0");
    EXPECT_EQ(DispatchText(effect, effGetParamDisplay, kStereoLink), "70");

    char text[32] = "-3";
    EXPECT_EQ(Dispatch(effect, effString2Parameter, kInputGain, 0, text), 1);
    EXPECT_FLOAT_EQ(effect->getParameter(effect, kInputGain), 15.0f / 36.0f);
    char release[32] = "3000";
    Dispatch(effect, effString2Parameter, kRelease, 0, release);
    EXPECT_EQ(DispatchText(effect, effGetParamDisplay, kRelease), "1500.0") << "clamped into range";
    EXPECT_EQ(Dispatch(effect, effString2Parameter, 10, 0, text), 0);
}

TEST_F(Vst2Module, VendorSpecificRequests)
{
    char text[32] = {};
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 7, kOutLimit, text, 0.5f), 0xBEEF);
    EXPECT_STREQ(text, "-9.0");
    int32_t count = -1;
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 8, kStereoLink, &count), 0) << "integer kind";
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 8, kAttack, &count), 0) << "real kind";
    char value[32] = "9";
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 27, kInputGain, value), 0xBEEF);
    EXPECT_STREQ(value, "0.75000000000000000");
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 58, 31000), 0);
}

TEST_F(Vst2Module, CapabilityAnswers)
{
    auto canDo = [&](const char* text) { return Dispatch(effect, effCanDo, 0, 0, const_cast<char*>(text)); };
    EXPECT_EQ(canDo("receiveVstTimeInfo"), 1);
    EXPECT_EQ(canDo("receiveVstEvents"), 0);
    EXPECT_EQ(canDo("sendVstEvents"), 0);
    EXPECT_EQ(canDo("hasCockosExtensions"), 0xBEEF0000);
    EXPECT_EQ(canDo("hasCockosViewAsConfig"), 0xBEEF0000);
    EXPECT_EQ(canDo("offline"), 0);
}

TEST_F(Vst2Module, ProgramsAndNames)
{
    char name[24];
    EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, 0, 0, name), 1);
    EXPECT_STREQ(name, "---- default ----");
    EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, 2, 0, name), 1);
    EXPECT_STREQ(name, "Hard Limiting");
    EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, 20, 0, name), 1);
    EXPECT_STREQ(name, "- 21 -");
    EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, 24, 0, name), 0);

    Start(48000.0f, 512);
    Dispatch(effect, effSetProgram, 0, 2);
    EXPECT_EQ(Dispatch(effect, effGetProgram), 2);
    EXPECT_EQ(DispatchText(effect, effGetParamDisplay, kRelease), "1.0");
    effect->setParameter(effect, kInputGain, 1.0f);
    Dispatch(effect, effSetProgram, 0, 13); // "Real Time Limiting"
    EXPECT_EQ(DispatchText(effect, effGetParamDisplay, kLookAhead), "0");
    EXPECT_EQ(DispatchText(effect, effGetParamDisplay, kInputGain), "0");
    Dispatch(effect, effSetProgram, 0, 2);
    EXPECT_EQ(DispatchText(effect, effGetParamDisplay, kInputGain), "18.0")
        << "the program left kept its edit";

    Dispatch(effect, effSetProgram, 0, 18);
    EXPECT_EQ(DispatchText(effect, effGetProgramName), "user preset 1");
    EXPECT_EQ(DispatchText(effect, effGetParamDisplay, kInputGain), "18.0");
    char renamed[] = "My Master";
    Dispatch(effect, effSetProgramName, 0, 0, renamed);
    EXPECT_EQ(DispatchText(effect, effGetProgramName), "My Master");
}

TEST_F(Vst2Module, ChunksRoundTrip)
{
    for (int32_t kind : {0, 1})
    {
        void* data = nullptr;
        ASSERT_EQ(Dispatch(effect, effGetChunk, kind, 0, &data), 84);
        const auto* bytes = static_cast<const uint8_t*>(data);
        EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 4), (std::vector<uint8_t>{0x00, 0x7D, 0x00, 0x00}));
    }
    effect->setParameter(effect, kInputGain, 0.25f);
    effect->setParameter(effect, kRelease, 0.5f);
    effect->setParameter(effect, kMemLeft, 0.5f);
    const std::vector<float> saved = Params();
    void* data = nullptr;
    const intptr_t size = Dispatch(effect, effGetChunk, 1, 0, &data);
    const std::vector<uint8_t> chunk(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);

    Dispatch(effect, effSetProgram, 0, 16);
    ASSERT_NE(Params(), saved);
    EXPECT_EQ(Dispatch(effect, effSetChunk, 1, size, const_cast<uint8_t*>(chunk.data())), 1);
    EXPECT_EQ(Params(), saved);

    const uint8_t three[3] = {0x00, 0x7D, 0x00};
    EXPECT_EQ(Dispatch(effect, effSetChunk, 0, 3, const_cast<uint8_t*>(three)), 0);
    EXPECT_EQ(Params(), saved);
    std::vector<uint8_t> partial(chunk.begin(), chunk.begin() + 44);
    EXPECT_EQ(Dispatch(effect, effSetChunk, 0, 44, partial.data()), 0);
    EXPECT_EQ(Params()[0], saved[0]);
    EXPECT_EQ(DispatchText(effect, effGetParamDisplay, kStereoLink), "0") << "first missing value reads as 0";
    std::vector<uint8_t> garbage(84);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<uint8_t>(0xFF - i * 37);
    Dispatch(effect, effSetChunk, 0, 84, garbage.data());
    for (float v : Params())
        EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << v;
    EXPECT_EQ(Dispatch(effect, effSetChunk, 0, 84, nullptr), 0);
}

TEST_F(Vst2Module, OpenDeliversEveryParameterBeforeAudioFlows)
{
    Dispatch(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    Dispatch(effect, effSetBlockSize, 0, 64);
    std::vector<float> i0(64, 0.5f), o0(64, 9.0f), o1(64, 9.0f);
    float* ins[2] = {i0.data(), i0.data()};
    float* outs[2] = {o0.data(), o1.data()};
    effect->processReplacing(effect, ins, outs, 64);
    EXPECT_EQ(o0[63], 0.0f) << "not ready before effOpen: scratch contents (silence)";
    Dispatch(effect, effOpen);
    EXPECT_EQ(host.CountOf(audioMasterGetProductString), 1);
    for (int i = 0; i < 40; ++i)
        effect->processReplacing(effect, ins, outs, 64);
    EXPECT_NEAR(o0[63], 0.5f, 1e-6) << "below the ceiling the limiter passes the signal (after its delay)";
}

TEST_F(Vst2Module, HostIdentification)
{
    host.productName = "Ardour";
    host.vendorVersion = 70300;
    Dispatch(effect, effOpen);
    ASSERT_EQ(host.CountOf(audioMasterGetVendorVersion), 1);
    Dispatch(effect, effOpen);
    EXPECT_EQ(host.CountOf(audioMasterGetProductString), 1);
}

class Vst2ModuleAudio : public Vst2Module, public ::testing::WithParamInterface<std::tuple<Path, double, int>>
{
};

TEST_P(Vst2ModuleAudio, MatchesTheLimiterDrivenDirectly)
{
    const auto [path, rate, hostBlock] = GetParam();
    const int32_t blockSize = 256;
    Start(static_cast<float>(rate), blockSize);
    Reference ref(rate, blockSize);
    // A setting that limits hard and uses every stage: gain, look-ahead, hold, link.
    const std::pair<int32_t, float> settings[] = {{kInputGain, 0.7f}, {kLookAhead, 0.3f}, {kAttack, 0.25f},
                                                  {kHold, 0.2f},      {kRelease, 0.3f},   {kStereoLink, 0.5f},
                                                  {kOutLimit, 0.9f}};
    for (const auto& [index, value] : settings)
    {
        effect->setParameter(effect, index, value);
        ref.plugin.SetParamFromHost(index, value);
    }

    const int frames = static_cast<int>(rate / 4);
    const std::vector<double> in[2] = {Signal(0, frames, rate), Signal(1, frames, rate)};
    std::vector<double> outVst[2], outRef[2];
    Render(path, effect, &ref.plugin, in, outVst, outRef, hostBlock);
    double largest = 0.0;
    for (int c = 0; c < 2; ++c)
        for (int s = 0; s < frames; ++s)
        {
            ASSERT_EQ(outVst[c][s], outRef[c][s]) << "channel " << c << " frame " << s;
            largest = std::max(largest, std::fabs(outVst[c][s]));
        }
    EXPECT_GT(largest, 0.1) << "the comparison saw audio, not silence";
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Vst2ModuleAudio,
    ::testing::Combine(::testing::Values(Path::Replacing, Path::Accumulating, Path::Double),
                       ::testing::Values(44100.0, 96000.0), ::testing::Values(1, 333, 1024)));

// A stop and a restart between two runs start the limiter over, whether or not the host sets the
// same rate and block size again while stopped: the same audio comes out the same.
class Vst2ModuleRestart : public Vst2Module, public ::testing::WithParamInterface<std::tuple<Path, bool>>
{
};

TEST_P(Vst2ModuleRestart, SecondRunEqualsTheFirst)
{
    const auto [path, sameSetupAgain] = GetParam();
    Start(48000.0f, 512);
    const std::vector<double> in[2] = {Signal(0, 4096, 48000.0), Signal(1, 4096, 48000.0)};
    Reference unused(48000.0, 512);
    std::vector<double> first[2], second[2], ignored[2];
    Render(path, effect, &unused.plugin, in, first, ignored, 512);
    Dispatch(effect, effMainsChanged, 0, 0);
    if (sameSetupAgain)
    {
        Dispatch(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
        Dispatch(effect, effSetBlockSize, 0, 512);
    }
    Dispatch(effect, effMainsChanged, 0, 1);
    Render(path, effect, &unused.plugin, in, second, ignored, 512);
    for (int c = 0; c < 2; ++c)
        for (size_t s = 0; s < first[c].size(); ++s)
            ASSERT_EQ(second[c][s], first[c][s]) << "channel " << c << " frame " << s;
}

INSTANTIATE_TEST_SUITE_P(Precisions, Vst2ModuleRestart,
                         ::testing::Combine(::testing::Values(Path::Replacing, Path::Double),
                                            ::testing::Bool()),
                         [](const auto& info)
                         {
                             return std::string(std::get<0>(info.param) == Path::Double ? "Double"
                                                                                        : "Float") +
                                    (std::get<1>(info.param) ? "SameSetupAgain" : "ResumeOnly");
                         });
