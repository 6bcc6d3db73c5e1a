// Scratch buffers, connections and the three block forms.
#include "tests/support/TestPlugin.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// Doubles each input into its output and remembers the tables it was given.
class Doubler : public TestPlugin
{
public:
    using TestPlugin::TestPlugin;
    void ProcessBlock(double** in, double** out, int32_t frames) override
    {
        seenIn.assign(in, in + NInChannels());
        seenOut.assign(out, out + NOutChannels());
        blocks.push_back(frames);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < frames; ++i)
                out[c][i] = 2.0 * in[c][i] + c;
    }
    std::vector<double*> seenIn, seenOut;
    std::vector<int32_t> blocks;
};

std::vector<float> Ramp(int n, float start)
{
    std::vector<float> v(n);
    for (int i = 0; i < n; ++i)
        v[i] = start + i;
    return v;
}
} // namespace

TEST(IEffectBaseRouting, SetBlockSizeClearsScratchOnlyOnChange)
{
    Doubler plug;
    plug.SetBlockSize(4);
    plug.SetInputConnections(0, 2, true);
    plug.SetOutputConnections(0, 2, true);
    std::vector<float> l = Ramp(4, 1), r = Ramp(4, 10);
    float* in[] = {l.data(), r.data()};
    plug.AttachInputs(0, 2, in, 4);

    plug.MarkReady();
    std::vector<float> o0(4), o1(4);
    float* out[] = {o0.data(), o1.data()};
    plug.AttachOutputs(0, 2, out);
    plug.RunBlock(4, IEffectBase::BlockForm::FloatReplacing);
    EXPECT_EQ(plug.seenIn[1][3], 13.0) << "same block size: the scratch keeps its contents";
    plug.SetBlockSize(4);
    plug.RunBlock(4, IEffectBase::BlockForm::FloatReplacing);
    EXPECT_EQ(plug.seenIn[1][3], 13.0);
    plug.SetBlockSize(8);
    plug.RunBlock(4, IEffectBase::BlockForm::FloatReplacing);
    EXPECT_EQ(plug.seenIn[1][3], 0.0) << "a new block size clears the scratch (and the table follows it)";
}

TEST(IEffectBaseRouting, DisconnectedChannelsDoNotConsumeHostBuffers)
{
    Doubler plug;
    plug.SetBlockSize(3);
    plug.SetInputConnections(0, 2, true);
    plug.SetInputConnections(0, 1, false);
    plug.SetOutputConnections(0, 2, true);
    std::vector<double> host = {1, 2, 3};
    double* in[] = {host.data()};
    plug.AttachInputs(0, 2, in);
    std::vector<double> o0(3), o1(3);
    double* out[] = {o0.data(), o1.data()};
    plug.AttachOutputs(0, 2, out);
    plug.MarkReady();
    plug.RunBlock(3, IEffectBase::BlockForm::Double);
    EXPECT_EQ(plug.seenIn[1], host.data()) << "the one host buffer feeds the first connected channel";
    EXPECT_NE(plug.seenIn[0], nullptr);
    EXPECT_EQ(plug.seenIn[0][0], 0.0) << "the disconnected channel reads its scratch";
    EXPECT_EQ(o1, (std::vector<double>{3, 5, 7}));
    EXPECT_EQ(o0, (std::vector<double>{0, 0, 0}));
}

TEST(IEffectBaseRouting, DefaultProcessBlockCopiesAndZeroes)
{
    TestPlugin plug(1, "2-3");
    plug.SetBlockSize(2);
    plug.SetInputConnections(0, 2, true);
    plug.SetOutputConnections(0, 3, true);
    double a[] = {1, 2}, b[] = {3, 4}, x[] = {9, 9}, y[] = {9, 9}, z[] = {9, 9};
    double* in[] = {a, b};
    double* out[] = {x, y, z};
    plug.AttachInputs(0, 2, in);
    plug.AttachOutputs(0, 3, out);
    plug.MarkReady();
    plug.RunBlock(2, IEffectBase::BlockForm::Double);
    EXPECT_EQ(x[1], 2.0);
    EXPECT_EQ(y[0], 3.0);
    EXPECT_EQ(z[0], 0.0);
    EXPECT_EQ(z[1], 0.0);
}

TEST(IEffectBaseRouting, NotReadyFloatBlockWritesScratchAndDoubleBlockLeavesHostBuffers)
{
    Doubler plug;
    plug.SetBlockSize(2);
    plug.SetInputConnections(0, 2, true);
    plug.SetOutputConnections(0, 2, true);
    float l[] = {1, 2}, r[] = {3, 4}, o0[] = {7, 7}, o1[] = {7, 7};
    float* in[] = {l, r};
    float* out[] = {o0, o1};
    plug.ProcessHostBlock(in, out, 2, IEffectBase::BlockForm::FloatReplacing, false);
    EXPECT_TRUE(plug.blocks.empty());
    EXPECT_EQ(o0[0], 0.0f) << "the output scratch (zeros) is written to the host";

    double dl[] = {1, 2}, dr[] = {3, 4}, d0[] = {7, 7}, d1[] = {7, 7};
    double* din[] = {dl, dr};
    double* dout[] = {d0, d1};
    plug.ProcessHostBlock(din, dout, 2, false);
    EXPECT_EQ(d0[1], 7.0) << "double outputs stay as the host passed them";
}

TEST(IEffectBaseRouting, FloatFormsReplaceOrAccumulate)
{
    Doubler plug;
    plug.SetBlockSize(2);
    plug.SetInputConnections(0, 2, true);
    plug.SetOutputConnections(0, 2, true);
    plug.MarkReady();
    float l[] = {1, 2}, r[] = {3, 4}, o0[] = {10, 10}, o1[] = {10, 10};
    float* in[] = {l, r};
    float* out[] = {o0, o1};
    plug.ProcessHostBlock(in, out, 2, IEffectBase::BlockForm::FloatAccumulating, false);
    EXPECT_EQ(o0[1], 14.0f);
    EXPECT_EQ(o1[0], 17.0f);
    plug.ProcessHostBlock(in, out, 2, IEffectBase::BlockForm::FloatReplacing, false);
    EXPECT_EQ(o0[1], 4.0f);
    EXPECT_EQ(o1[0], 7.0f);
    plug.ProcessHostBlock(in, out, 2, IEffectBase::BlockForm::FloatReplacing, true);
    EXPECT_EQ(o0[1], 2.0f) << "pass-through never runs the plug-in's own ProcessBlock";
    EXPECT_EQ(plug.blocks.size(), 2u);
}

TEST(IEffectBaseRouting, HostBlocksLongerThanTheBlockSizeRunInSlices)
{
    Doubler plug;
    plug.SetBlockSize(4);
    plug.SetInputConnections(0, 2, true);
    plug.SetOutputConnections(0, 2, true);
    plug.MarkReady();
    std::vector<float> l = Ramp(10, 0), r = Ramp(10, 100), o0(10), o1(10);
    float* in[] = {l.data(), r.data()};
    float* out[] = {o0.data(), o1.data()};
    plug.ProcessHostBlock(in, out, 10, IEffectBase::BlockForm::FloatReplacing, false);
    EXPECT_EQ(plug.blocks, (std::vector<int32_t>{4, 4, 2}));
    for (int i = 0; i < 10; ++i)
    {
        EXPECT_EQ(o0[i], 2.0f * i) << "frame " << i;
        EXPECT_EQ(o1[i], 2.0f * (100 + i) + 1) << "frame " << i;
    }

    std::vector<double> dl(9, 1.0), dr(9, 2.0), d0(9), d1(9);
    double* din[] = {dl.data(), dr.data()};
    double* dout[] = {d0.data(), d1.data()};
    plug.SetInputConnections(1, 1, false);
    plug.ProcessHostBlock(din, dout, 9, false);
    EXPECT_EQ(d1[8], 1.0) << "a disconnected input reads silence, never its last converted audio";
    EXPECT_EQ(d0[8], 2.0);
}

TEST(IEffectBaseRouting, NullHostBuffersAndMissingBlockSizeAreSafe)
{
    Doubler plug;
    plug.SetInputConnections(0, 2, true);
    plug.SetOutputConnections(0, 2, true);
    plug.MarkReady();
    float o0[] = {5, 5}, o1[] = {5, 5};
    float* out[] = {o0, o1};
    float* in[] = {nullptr, nullptr};
    plug.ProcessHostBlock(in, out, 2, IEffectBase::BlockForm::FloatReplacing, false);
    EXPECT_TRUE(plug.blocks.empty()) << "without a block size there is no scratch to process in";
    EXPECT_EQ(o0[0], 0.0f);

    plug.SetBlockSize(2);
    float* noOut[] = {nullptr, o1};
    plug.ProcessHostBlock(in, noOut, 2, IEffectBase::BlockForm::FloatReplacing, false);
    EXPECT_EQ(o1[1], 1.0f) << "a missing input reads as silence";
    plug.ProcessHostBlock(nullptr, nullptr, 2, IEffectBase::BlockForm::FloatReplacing, false);
    EXPECT_EQ(plug.blocks.size(), 2u);
}

TEST(IEffectBaseRouting, ZeroScratchClearsEveryBuffer)
{
    Doubler plug;
    plug.SetBlockSize(2);
    plug.SetInputConnections(0, 2, true);
    plug.SetOutputConnections(0, 2, true);
    float l[] = {1, 2}, r[] = {3, 4};
    float* in[] = {l, r};
    plug.AttachInputs(0, 2, in, 2);
    plug.SetInputConnections(0, 2, false);
    plug.ZeroScratch();
    plug.MarkReady();
    double d0[2], d1[2];
    double* out[] = {d0, d1};
    plug.AttachOutputs(0, 2, out);
    plug.RunBlock(2, IEffectBase::BlockForm::Double);
    EXPECT_EQ(d0[1], 0.0);
    EXPECT_EQ(d1[1], 1.0);
}
