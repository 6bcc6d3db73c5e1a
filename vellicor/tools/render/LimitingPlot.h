#pragma once
// The picture of a render: input and output as min/max envelopes per pixel column over a linear
// amplitude scale labelled in dBFS, the ceiling as a line on both sides, and below them the gain
// reduction in dB over the same time axis in seconds. Drawn with the project's drawing library.
#include "vellicor/tools/render/LimitingTrace.h"

#include <cstdint>
#include <string>

class PIX_IBitmap;

struct PlotScales
{
    double amplitude = 1.0;  // the envelope panel spans -amplitude to +amplitude
    double reductionDb = 6;  // the gain-reduction panel spans 0 down to this
    double seconds = 1.0;    // the render's length
    double ceilingDbfs = 0.0; // NaN: no ceiling line
};

// Where things go in a picture of a given size; the tests use it to find rows and columns.
struct PlotLayout
{
    int32_t width = 0, height = 0;
    int32_t left = 0, right = 0;               // the data columns: left <= x < right
    int32_t waveTop = 0, waveBottom = 0;       // the envelope panel's rows
    int32_t reductionTop = 0, reductionBottom = 0;
    PlotScales scales;

    static PlotLayout For(int32_t width, int32_t height, const PlotScales& scales);
    int32_t Columns() const { return right - left; }
    int32_t WaveRow(double amplitude) const;   // +amplitude at the top
    int32_t ReductionRow(double db) const;     // 0 dB at the top
    int32_t Column(double seconds) const;
};

// Colours, for the tests as much as for the drawing.
inline constexpr uint32_t kPlotCeilingColour = 0xFFD02020;
inline constexpr uint32_t kPlotReductionColour = 0xFFE07020;
inline constexpr uint32_t kPlotBackground = 0xFFFFFFFF;

// Chooses the scales for the trace: the amplitude to hold the loudest sample, the reduction panel
// to hold the largest reduction (at least 6 dB, in 3 dB steps).
PlotScales ScalesFor(const LimitingTrace& trace, double seconds, double ceilingDbfs);
// Draws into bitmap (resized to width x height). title: one line above the panels.
void DrawLimitingPlot(PIX_IBitmap& bitmap, int32_t width, int32_t height, const LimitingTrace& trace,
                      const PlotScales& scales, const std::string& title);
// Draws and writes the PNG; false when it cannot be written.
bool WriteLimitingPlot(const std::string& path, int32_t width, int32_t height, const LimitingTrace& trace,
                       const PlotScales& scales, const std::string& title);
