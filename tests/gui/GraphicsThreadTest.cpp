// Host threads set control values while the window thread ticks and draws, and two editors draw on
// two threads. Run under the `tsan` preset this shows that the threads share nothing but the
// controls' relaxed value and flag fields and what the caches lock; in the other presets it checks
// that the last value wins and that each editor's text keeps its colour.
#include "gui/IBitmapControl.h"
#include "gui/ITextControl.h"
#include "tests/gui/GuiFixture.h"

#include <algorithm>
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

TEST(GraphicsThreads, TwoEditorsDrawTextInOneSharedFontOnTwoThreads)
{
    // Two instances' editors driven by two threads share the process-wide font: its colour, its
    // glyph tables (grown here by new characters) and the font layer's scratch bitmaps.
    struct Editor
    {
        GuiTestEffect plug;
        IGraphicsHeadless* gui = new IGraphicsHeadless(&plug, 120, 40);
        ITextControl* label;
        explicit Editor(const IRgba& colour)
            : label(new ITextControl(&plug, {0, 0, 120, 40}, ITextStyle("DejaVu Sans", 24, colour), "M"))
        {
            gui->AddControl(label);
            plug.AttachEditor(gui);
            PIX_SysBitmap* b = gui->BackBuffer(); // black, as fresh memory need not be
            std::fill_n(b->PixelData(), static_cast<size_t>(b->RowSpanPixels()) * 40, 0u);
            gui->OpenWindow(reinterpret_cast<void*>(1));
        }
        void Run(uint32_t first)
        {
            std::string text = "M...";
            for (uint32_t c = first; c < first + 300; ++c)
            {
                text[1] = static_cast<char>(0xE0 | (c >> 12)); // a character the font has not drawn yet
                text[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                text[3] = static_cast<char>(0x80 | (c & 0x3F));
                label->SetText(text.c_str());
                label->MarkChanged(false);
                gui->Tick();
            }
        }
        // Lit pixels of the last frame and how many of them are not in the editor's own colour.
        std::pair<int, int> Pixels(uint32_t own)
        {
            int lit = 0, foreign = 0;
            for (int32_t y = 0; y < 40; ++y)
                for (int32_t x = 0; x < 120; ++x)
                    if (const uint32_t p = gui->FramePixel(x, y) & 0x00FFFFFF; p != 0)
                    {
                        ++lit;
                        foreign += (p & ~own) != 0;
                    }
            return {lit, foreign};
        }
    };
    Editor red(IRgba{255, 255, 0, 0}), green(IRgba{255, 0, 255, 0});
    std::thread other([&] { green.Run(0x4E00); });
    red.Run(0x3400);
    other.join();
    const auto [redLit, redForeign] = red.Pixels(0xFF0000);
    const auto [greenLit, greenForeign] = green.Pixels(0x00FF00);
    EXPECT_GT(redLit, 20);
    EXPECT_GT(greenLit, 20);
    EXPECT_EQ(redForeign, 0) << "the red editor drew in the other editor's colour";
    EXPECT_EQ(greenForeign, 0) << "the green editor drew in the other editor's colour";
}
