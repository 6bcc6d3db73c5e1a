#pragma once
// What the limiter did over time, gathered during the render for the plot: per column of the
// picture, the input's and the output's lowest and highest sample (all channels) and the largest
// gain reduction. The reduction is the output against the input scaled by the plug-in's measured
// level gain, frame by frame: it needs no knowledge of the limiter's insides. Render loop thread.
#include <cstddef>
#include <cstdint>
#include <vector>

struct TraceColumn
{
    float inMin = 0.0f, inMax = 0.0f;
    float outMin = 0.0f, outMax = 0.0f;
    float reductionDb = 0.0f; // >= 0; 0 where the limiter left the signal alone
};

class LimitingTrace
{
public:
    // totalFrames: the input's length. levelGain: output over input where the limiter does nothing.
    // outputShift: frames the written output lags the input (0 when aligned, the delay when not).
    LimitingTrace(int32_t columns, int64_t totalFrames, int32_t channels, double levelGain, int64_t outputShift);

    void AddInput(const float* interleaved, int64_t frames) { AddInputAs(interleaved, frames); }
    void AddInput(const double* interleaved, int64_t frames) { AddInputAs(interleaved, frames); }
    void AddOutput(const float* interleaved, int64_t frames) { AddOutputAs(interleaved, frames); }
    void AddOutput(const double* interleaved, int64_t frames) { AddOutputAs(interleaved, frames); }

    std::vector<TraceColumn> Columns() const;
    int64_t TotalFrames() const { return total; }

private:
    template <class T> void AddInputAs(const T* interleaved, int64_t frames);
    template <class T> void AddOutputAs(const T* interleaved, int64_t frames);
    size_t ColumnOf(int64_t frame) const;

    std::vector<TraceColumn> columns;
    std::vector<double> lowestRatio; // per column: output / (input x gain), 1 = untouched
    int64_t total;
    int32_t channels;
    double gain;
    int64_t shift;
    int64_t inFrames = 0, outFrames = 0;
    // Input frames still waiting for their output: from frame heldFrom on, interleaved.
    std::vector<double> held;
    int64_t heldFrom = 0;
};
