// Redraw cost of the limiter's real editor with its artwork and every text drawn: a full redraw
// (targets 2 ms) and the meter-only tick, the meter panel being dirty on every tick (0.3 ms).
#include "gui/IGraphicsHeadless.h"
#include "vellicor/plugin/CLS_VELLICOR.h"

#include <benchmark/benchmark.h>

namespace
{
struct Editor
{
    CLS_VELLICOR plugin{ITestBinding::InstanceInfo{}};
    IGraphicsHeadless* gui = dynamic_cast<IGraphicsHeadless*>(plugin.GetGUI());
    MeterData& meter = plugin.MeterPanel().Data();
    int parent = 0;

    Editor()
    {
        gui->OpenWindow(&parent);
        // Live peaks, times and a stored row, as after a limited mix.
        for (int c = 0; c < 2; ++c)
        {
            meter.peakReduction[c] = 6.5f + c;
            meter.peakTime[c] = 83 + c;
            meter.storedCode[c] = 412u * 6000u + 75u;
        }
        gui->Tick(); // fonts and glyphs made once, as in a running editor
    }
    // The audio thread's block result for the next tick.
    void Limit() { meter.currentReduction[0] = meter.currentReduction[1] = 7.5f; }
};

void BM_EditorFullRedraw(benchmark::State& state)
{
    Editor e;
    for (auto _ : state)
    {
        e.Limit();
        e.gui->MarkAllChanged();
        e.gui->Tick();
    }
}
BENCHMARK(BM_EditorFullRedraw)->Unit(benchmark::kMicrosecond);

void BM_EditorMeterTick(benchmark::State& state)
{
    Editor e;
    e.gui->Tick(2); // every control's second draw done: only the meter panel stays dirty
    for (auto _ : state)
    {
        e.Limit();
        e.gui->Tick();
    }
}
BENCHMARK(BM_EditorMeterTick)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
