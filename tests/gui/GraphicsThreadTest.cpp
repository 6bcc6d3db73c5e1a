// Host threads set control values while the window thread ticks and draws. Run under the `tsan`
// preset this shows that the two threads share nothing but the controls' relaxed value and flag
// fields; in the other presets it checks that the last value wins.
#include "gui/IBitmapControl.h"
#include "tests/gui/GuiFixture.h"

#include <thread>

using namespace guitest;

TEST(GraphicsThreads, HostValuesWhileTheWindowDraws)
{
    GuiTestEffect plug;
    auto* gui = new IGraphicsHeadless(&plug, 120, 60);
    std::vector<IControl*> strips;
    for (int i = 0; i < 3; ++i)
    {
        auto* c =
            new IBitmapControl(&plug, {40 * i, 0, 40 * i + 40, 60}, i, IBitmapRef{nullptr, 40, 600, 10});
        gui->AddControl(c);
        strips.push_back(c);
    }
    plug.AttachEditor(gui);
    gui->OpenWindow(reinterpret_cast<void*>(1));

    auto host = [&](int index)
    {
        for (int n = 0; n < 20000; ++n)
        {
            PluginLock::Scoped hold(plug.Lock());
            gui->SetParamFromPlugin(index, (n % 100) / 99.0, true);
        }
        PluginLock::Scoped hold(plug.Lock());
        gui->SetParamFromPlugin(index, 0.75, true);
    };
    std::thread audio(host, 0), automation(host, 1);
    for (int t = 0; t < 400; ++t)
        gui->Tick();
    audio.join();
    automation.join();
    gui->Tick(2);

    EXPECT_EQ(strips[0]->Value(), 0.75);
    EXPECT_EQ(strips[1]->Value(), 0.75);
    EXPECT_FALSE(strips[0]->NeedsRedraw()) << "drawn twice after the last value, then clean";
    gui->CloseWindow();
}
