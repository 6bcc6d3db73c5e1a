// The limiter processes and takes host values on other threads while its editor draws. Run under the
// `tsan` preset this shows that the window thread shares only the meter record's whole fields, the
// controls' relaxed values and what it reads under the plug-in lock.
#include "gui/IGraphicsHeadless.h"
#include "vellicor/plugin/CLS_VELLICOR.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

TEST(GraphicsThreads, VellicorEditorDrawsWhileTheLimiterProcesses)
{
    CLS_VELLICOR plugin(ITestBinding::InstanceInfo{});
    auto* gui = dynamic_cast<IGraphicsHeadless*>(plugin.GetGUI());
    ASSERT_NE(gui, nullptr);
    plugin.SetSampleRate(48000.0);
    plugin.SetBlockSize(256);
    plugin.SetInputConnections(0, 2, true);
    plugin.SetOutputConnections(0, 2, true);
    plugin.NotifyAllParams();
    plugin.ResetState();
    gui->OpenWindow(reinterpret_cast<void*>(1));

    auto audio = [&]
    {
        std::vector<double> l(256), r(256), ol(256), or_(256);
        double* in[] = {l.data(), r.data()};
        double* out[] = {ol.data(), or_.data()};
        for (int block = 0; block < 600; ++block)
        {
            for (int i = 0; i < 256; ++i)
                l[i] = r[i] = 3.0 * std::sin(0.01 * (block * 256 + i)); // about 9.5 dB over the ceiling
            plugin.ProcessHostBlock(in, out, 256, false);
        }
    };
    auto host = [&]
    {
        for (int n = 0; n < 2000; ++n)
            plugin.SetParamFromHost(kRelease, (n % 100) / 99.0);
    };
    std::thread audioThread(audio), hostThread(host);
    for (int t = 0; t < 300; ++t)
    {
        if (t == 100) gui->Click(370, 169); // a target set from the window
        if (t == 200) gui->Click(370, 245); // and a memory store
        gui->Tick();
    }
    audioThread.join();
    hostThread.join();

    const MeterData& meter = plugin.MeterPanel().Data();
    EXPECT_GT(meter.peakReduction[0].load(), 9.0f);
    EXPECT_DOUBLE_EQ(plugin.GetParam(kTargetAttenuation)->value, 7.56);
}
