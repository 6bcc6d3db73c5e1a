// The plug-in's output against a plain, line-by-line model of the limiter, bit for bit.
#include "vellicor/plugin/CLS_VELLICOR.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace
{
int RoundNear(double x)
{
    return x >= 0 ? static_cast<int>(x + 0.5) : static_cast<int>(x - 0.5);
}

// Straight from the description of the limiter: no tricks, every step in its written order.
struct ReferenceLimiter
{
    double gain, ceiling, attack, release, link;
    int delayLength, holdLength, holdHalf;
    bool lookAhead, hold;
    std::vector<double> ring;
    unsigned writePos = 0, holdCounter = 0;
    double envL = 0, envR = 0, holdAL = 0, holdAR = 0, holdBL = 0, holdBR = 0;
    float currentL = 0, currentR = 0, peakL = 0, peakR = 0;

    ReferenceLimiter(const double* v, double r)
    {
        const int qGain = RoundNear(v[0] * 10), qLook = RoundNear(v[1] * 10), qAttack = RoundNear(v[2] * 10);
        const int qHold = RoundNear(v[3] * 10), qRelease = RoundNear(v[4] * 10), qLink = RoundNear(v[5]);
        const int qLimit = RoundNear(v[6] * 10);
        gain = std::exp(qGain * 0.1 * 0.11512925464970228);
        lookAhead = qLook > 0;
        delayLength = lookAhead ? RoundNear(r * 2 * qLook * 0.1 * 0.001) : 0;
        float f = (float)qAttack * 0.030000031f;
        f = f * 0.001f;
        f = f + 0.82f;
        attack = std::pow(0.01, 1000 / (qAttack * r * (double)f * 0.1));
        hold = qHold != 0;
        holdLength = RoundNear(qHold * r * 3 * 0.5 * 0.1 * 0.001);
        holdHalf = holdLength / 2;
        release = std::pow(0.01, 10000 / (qRelease * r));
        link = std::pow(10, (qLink * 0.1 + 90) * 0.05) / 100000;
        float d = (float)qLimit;
        d = d * 0.1f;
        ceiling = std::exp((double)d * 0.11512925464970228);
        ring.assign(RoundNear(r * 200 * 0.001 + 2), 0.0);
    }

    void Block(const double* inL, const double* inR, double* outL, double* outR, int frames)
    {
        double blockPeakL = 0, blockPeakR = 0;
        for (int i = 0; i < frames; ++i)
        {
            const double xL = inL[i], xR = inR[i];
            double dL = std::fabs(xL) * gain;
            double dR = std::fabs(xR) * gain;
            if (lookAhead)
            {
                ring[writePos] = xL * gain;
                ring[writePos + 1] = xR * gain;
                writePos += 2;
                if (writePos >= (unsigned)delayLength) writePos = 0;
            }
            if (hold)
            {
                holdCounter += 1;
                if (holdCounter > (unsigned)holdLength)
                {
                    holdCounter = 0;
                    holdAL = 0;
                    holdAR = 0;
                }
                holdAL = std::max(holdAL, dL);
                holdAR = std::max(holdAR, dR);
                if (holdCounter == (unsigned)holdHalf)
                {
                    holdBL = 0;
                    holdBR = 0;
                }
                dL = std::max(holdBL, dL);
                holdBL = dL;
                dR = std::max(holdBR, dR);
                holdBR = dR;
                dL = std::max(holdAL, dL);
                dR = std::max(holdAR, dR);
            }
            double eL = std::max(envL, link * envR);
            envL = eL;
            double eR = std::max(envR, link * eL);
            envR = eR;
            if (eL < dL) eL = dL + (eL - dL) * attack;
            eL = dL + (eL - dL) * release;
            envL = eL;
            if (eR >= dR)
                eR = dR + (eR - dR) * release;
            else
                eR = dR + (eR - dR) * attack;
            envR = eR;

            double s = lookAhead ? ring[writePos] : inL[i] * gain;
            if (envL > ceiling)
            {
                outL[i] = s * ceiling / envL;
                blockPeakL = std::max(blockPeakL, envL);
            }
            else
                outL[i] = s;
            s = lookAhead ? ring[writePos + 1] : inR[i] * gain;
            if (envR > ceiling)
            {
                outR[i] = s * ceiling / envR;
                blockPeakR = std::max(blockPeakR, envR);
            }
            else
                outR[i] = s;
        }
        if (blockPeakL > 0)
        {
            currentL = -(float)(std::log(std::fabs(ceiling / blockPeakL)) * 8.685889638065037);
            peakL = std::max(peakL, currentL);
        }
        if (blockPeakR > 0)
        {
            currentR = -(float)(std::log(std::fabs(ceiling / blockPeakR)) * 8.685889638065037);
            peakR = std::max(peakR, currentR);
        }
    }
};

// Bursts of sines and noise over and under the ceiling, with quiet stretches in between.
void MakeSignal(std::vector<double>& left, std::vector<double>& right, size_t frames, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    left.resize(frames);
    right.resize(frames);
    for (size_t i = 0; i < frames; ++i)
    {
        const double t = static_cast<double>(i);
        const double burst = (i / 700) % 3 == 0 ? 2.5 : ((i / 700) % 3 == 1 ? 0.4 : 1.1);
        left[i] = burst * (0.7 * std::sin(t * 0.031) + 0.3 * noise(rng));
        right[i] =
            burst * (0.5 * std::sin(t * 0.017 + 1.0) + 0.5 * noise(rng)) * (i % 5000 < 2500 ? 1.0 : 0.2);
    }
}

const double kDefaults[10] = {0.0, 6.0, 6.0, 8.0, 9.0, 70.0, -0.1, 5.0, 0.0, 0.0};

struct Setting
{
    const char* name;
    double values[10];
};

const Setting kSettings[] = {
    {"defaults", {0.0, 6.0, 6.0, 8.0, 9.0, 70.0, -0.1, 5.0, 0.0, 0.0}},
    {"Hard Dynamic", {0.0, 0.7, 0.7, 0.9, 1.0, 50.0, -0.1, 8.0, 0.0, 0.0}},
    {"Soft Safe Limiting", {0.0, 20.0, 20.0, 30.0, 36.0, 70.0, -0.1, 5.0, 0.0, 0.0}},
    {"Real Time Limiting", {0.0, 0.0, 50.0, 70.0, 200.0, 70.0, -0.1, 5.0, 0.0, 0.0}},
    {"Stereo by Peaks", {0.0, 15.0, 15.0, 20.0, 300.0, 100.0, -0.1, 5.0, 0.0, 0.0}},
    {"Clipping", {0.0, 0.0, 0.0, 0.0, 0.1, 0.0, 0.0, 5.0, 0.0, 0.0}},
    {"hot, no hold", {7.5, 3.3, 1.7, 0.0, 55.5, 33.0, -3.7, 5.0, 0.0, 0.0}},
    {"quiet, long", {-12.0, 100.0, 100.0, 100.0, 1500.0, 90.0, -18.0, 5.0, 0.0, 0.0}},
};

std::unique_ptr<CLS_VELLICOR> MakePlugin(double rate, const double* values)
{
    auto plugin = std::make_unique<CLS_VELLICOR>(ITestBinding::InstanceInfo{});
    plugin->SetSampleRate(rate);
    for (int32_t i = 0; i < 10; ++i)
    {
        plugin->GetParam(i)->value = values[i];
        plugin->ParamChanged(i);
    }
    return plugin;
}

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}
} // namespace

TEST(LimiterReference, BitExactAcrossRatesBlockSizesSettingsAndInPlace)
{
    const size_t kLength = 7000;
    for (double rate : {44100.0, 48000.0, 96000.0})
        for (int32_t block : {1, 37, 512})
            for (const Setting& setting : kSettings)
                for (bool inPlace : {false, true})
                {
                    std::vector<double> inL, inR;
                    MakeSignal(inL, inR, kLength, static_cast<unsigned>(rate) + block);
                    ReferenceLimiter ref(setting.values, rate);
                    std::vector<double> refL(kLength), refR(kLength);
                    auto plugin = MakePlugin(rate, setting.values);
                    ASSERT_TRUE(plugin->IsProcessingReady());
                    std::vector<double> outL = inL, outR = inR;
                    for (size_t pos = 0; pos < kLength; pos += block)
                    {
                        const int32_t n = static_cast<int32_t>(std::min<size_t>(block, kLength - pos));
                        ref.Block(&inL[pos], &inR[pos], &refL[pos], &refR[pos], n);
                        std::vector<double> srcL(inL.begin() + pos, inL.begin() + pos + n);
                        std::vector<double> srcR(inR.begin() + pos, inR.begin() + pos + n);
                        double* in[2] = {inPlace ? &outL[pos] : srcL.data(),
                                         inPlace ? &outR[pos] : srcR.data()};
                        double* out[2] = {&outL[pos], &outR[pos]};
                        plugin->ProcessBlock(in, out, n);
                        const MeterData& m = plugin->MeterPanel().Data();
                        ASSERT_EQ(m.currentReduction[0].load(), ref.currentL) << setting.name << " @" << pos;
                        ASSERT_EQ(m.currentReduction[1].load(), ref.currentR) << setting.name << " @" << pos;
                    }
                    for (size_t i = 0; i < kLength; ++i)
                    {
                        ASSERT_TRUE(SameBits(outL[i], refL[i]))
                            << setting.name << ", " << rate << " Hz, block " << block
                            << (inPlace ? ", in place" : "") << ": left frame " << i << " is " << outL[i]
                            << ", expected " << refL[i];
                        ASSERT_TRUE(SameBits(outR[i], refR[i]))
                            << setting.name << ", " << rate << " Hz, block " << block
                            << (inPlace ? ", in place" : "") << ": right frame " << i << " is " << outR[i]
                            << ", expected " << refR[i];
                    }
                    const MeterData& m = plugin->MeterPanel().Data();
                    EXPECT_EQ(m.peakReduction[0].load(), ref.peakL) << setting.name;
                    EXPECT_EQ(m.peakReduction[1].load(), ref.peakR) << setting.name;
                }
}

TEST(LimiterReference, ParameterChangesBetweenBlocksStayBitExact)
{
    // The reference is rebuilt from the same values; only settings whose state carries over
    // unchanged (gain, link and ceiling do not touch the envelope; "Hold" restarts its counter
    // and keeps both accumulators, also across a stretch switched off) are switched mid-stream.
    const size_t kLength = 6000;
    std::vector<double> inL, inR;
    MakeSignal(inL, inR, kLength, 11);
    double values[10];
    std::copy(kDefaults, kDefaults + 10, values);
    auto plugin = MakePlugin(48000.0, values);
    ReferenceLimiter ref(values, 48000.0);
    std::vector<double> outL(kLength), outR(kLength), refL(kLength), refR(kLength);
    for (size_t pos = 0; pos < kLength; pos += 500)
    {
        if (pos == 2000 || pos == 3000 || pos == 4000)
        {
            values[0] = pos == 2000 ? 4.2 : -2.0;
            values[3] = pos == 2000 ? 3.0 : (pos == 3000 ? 0.0 : 20.0);
            values[5] = pos == 2000 ? 12.0 : 100.0;
            values[6] = pos == 2000 ? -6.5 : -0.3;
            ReferenceLimiter next(values, 48000.0);
            ref.gain = next.gain;
            ref.link = next.link;
            ref.ceiling = next.ceiling;
            ref.hold = next.hold;
            if (next.hold)
            {
                ref.holdLength = next.holdLength;
                ref.holdHalf = next.holdHalf;
                ref.holdCounter = 0;
            }
            for (int32_t i : {0, 3, 5, 6})
            {
                plugin->GetParam(i)->value = values[i];
                plugin->ParamChanged(i);
            }
        }
        double* in[2] = {&inL[pos], &inR[pos]};
        double* out[2] = {&outL[pos], &outR[pos]};
        plugin->ProcessBlock(in, out, 500);
        ref.Block(&inL[pos], &inR[pos], &refL[pos], &refR[pos], 500);
    }
    for (size_t i = 0; i < kLength; ++i)
    {
        ASSERT_TRUE(SameBits(outL[i], refL[i])) << "left frame " << i;
        ASSERT_TRUE(SameBits(outR[i], refR[i])) << "right frame " << i;
    }
}
