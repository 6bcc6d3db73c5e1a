// Redraw cost of a synthetic editor the size of the limiter's: a full redraw, and a tick where only
// one 229 x 73 area is dirty. Targets: 2 ms and 0.3 ms.
#include "drawing/PIX_Blit.h"
#include "drawing/PIX_MemBitmap.h"
#include "gui/IBitmapControl.h"
#include "gui/IGraphicsHeadless.h"
#include "gui/ITextControl.h"
#include "tests/support/TestPlugin.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace
{
enum : int32_t
{
    kBackgroundId = 1,
    kPointerId = 2,
};

// Images made in memory instead of loaded: a gradient background and a pointer with soft alpha.
class SyntheticEditor : public IGraphicsHeadless
{
public:
    using IGraphicsHeadless::IGraphicsHeadless;
    PIX_IBitmap* LoadImageResource(int32_t id, const char*) override
    {
        const int32_t w = id == kBackgroundId ? 562 : 62, h = id == kBackgroundId ? 270 : 62;
        auto* b = new PIX_MemBitmap(w, h, 4);
        auto* p = static_cast<uint32_t*>(b->PixelData());
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
            {
                const uint32_t a = id == kBackgroundId ? 255u : static_cast<uint32_t>((x * 4 + y) & 0xFF);
                p[y * b->RowSpanPixels() + x] = (a << 24) | static_cast<uint32_t>((x * 7) & 0xFF) << 16 |
                                                static_cast<uint32_t>((y * 3) & 0xFF) << 8 | 0x40u;
            }
        return b;
    }
};

// A knob pointer turned by its value.
class Pointer : public IControl
{
public:
    Pointer(IEffectBase* plug, int32_t cx, int32_t cy, const IBitmapRef& bitmap)
        : IControl(plug, {cx - 31, cy - 31, cx + 31, cy + 31}), bitmap(bitmap), cx(cx), cy(cy)
    {
    }
    bool Render(IGraphics* g) override
    {
        return g->DrawRotatedBitmap(bitmap, cx, cy, (Value() - 0.5) * 4.7, nullptr);
    }
    IBitmapRef bitmap;
    int32_t cx, cy;
};

// A meter-like panel: a fill and a line.
class Panel : public IControl
{
public:
    Panel(IEffectBase* plug, const IArea& a) : IControl(plug, a) {}
    bool Render(IGraphics* g) override
    {
        g->FillArea(IRgba{255, 30, 200, 60}, {area.left, area.top, area.left + 125, area.top + 10}, nullptr);
        return g->DrawLine(IRgba{255, 240, 240, 240}, float(area.left), float(area.bottom - 5),
                           float(area.right - 1), float(area.top + 20), nullptr, true);
    }
};

struct Fixture
{
    TestPlugin plug{1};
    SyntheticEditor* gui = new SyntheticEditor(&plug, 562, 270);
    Panel* panel = nullptr;

    Fixture()
    {
        gui->AddBackground(kBackgroundId, "background");
        const IBitmapRef pointer = gui->LoadBitmap(kPointerId, "pointer");
        for (int i = 0; i < 7; ++i)
            gui->AddControl(new Pointer(&plug, 45 + i * 78, 80, pointer));
        panel = new Panel(&plug, {160, 170, 389, 243}); // 229 x 73
        gui->AddControl(panel);
        const ITextStyle style("DejaVu Sans", 11, IRgba{255, 220, 220, 220}, 0, ITextStyle::kAlignCentre);
        for (int i = 0; i < 10; ++i)
        {
            char text[16];
            std::snprintf(text, sizeof text, "%d.%d dB", i, i * 3 % 10);
            gui->AddControl(new ITextControl(&plug, {10 + i * 54, 130, 60 + i * 54, 145}, style, text));
        }
        plug.AttachEditor(gui);
        gui->OpenWindow(reinterpret_cast<void*>(1));
        gui->Tick(2); // fonts made, glyphs cached
    }
};

void FullRedraw(benchmark::State& state)
{
    Fixture f;
    for (auto _ : state)
    {
        f.gui->MarkAllChanged();
        f.gui->Tick();
    }
    state.counters["presents"] = f.gui->PresentCount();
}
BENCHMARK(FullRedraw)->Unit(benchmark::kMillisecond);

void DirtyAreaTick(benchmark::State& state)
{
    Fixture f;
    for (auto _ : state)
    {
        f.panel->MarkChanged(false);
        f.gui->Tick();
    }
}
BENCHMARK(DirtyAreaTick)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
