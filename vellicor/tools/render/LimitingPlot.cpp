#include "vellicor/tools/render/LimitingPlot.h"

#include "drawing/PIX_Blit.h"
#include "drawing/PIX_CachedFont.h"
#include "drawing/PIX_FontLayer.h"
#include "drawing/PIX_MemBitmap.h"
#include "gui/PngWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
constexpr uint32_t kAxisColour = 0xFF404040;
constexpr uint32_t kGridColour = 0xFFE4E4E4;
constexpr uint32_t kPanelColour = 0xFFF8F8FA;
constexpr uint32_t kInputColour = 0xFFB4C4DC;
constexpr uint32_t kOutputColour = 0xFF2A5CA8;
constexpr uint32_t kTextColour = 0xFF202020;
constexpr int32_t kTextHeight = 14; // pixels of a label's cell

double Dbfs(double linear)
{
    return 20.0 * std::log10(linear);
}

int32_t Round(double v)
{
    return static_cast<int32_t>(std::lround(v));
}

// A time step of 1, 2 or 5 x 10^n seconds that leaves at least minPixels between ticks.
double TimeStep(double seconds, int32_t pixels, int32_t minPixels)
{
    const double wanted = seconds * minPixels / std::max(1, pixels);
    double step = std::pow(10.0, std::floor(std::log10(std::max(wanted, 1e-6))));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (step * m >= wanted) return step * m;
    return step * 10.0;
}

class Labels
{
public:
    Labels()
    {
        if (PIX_FontHandle system =
                PIX_CreateSystemFont({"DejaVu Sans", -11, 0, 0, 400, false, PIX_QUALITY_ANTIALIASED}))
        {
            font.SetSystemFont(system, PIX_FONT_OWNS_SYSTEM_FONT);
            ready = true;
        }
        font.SetTextColour(kTextColour);
    }
    // align: 0 left of x, 1 centred on x, 2 right-aligned ending at x; y is the text's middle row.
    void Draw(PIX_IBitmap& bitmap, const char* text, int32_t x, int32_t y, int align)
    {
        if (!ready) return;
        PIX_Rect rect{x, y - kTextHeight / 2, x, y + kTextHeight / 2};
        uint32_t flags = PIX_TEXT_NO_CLIP | PIX_TEXT_SINGLE_LINE;
        if (align == 1)
        {
            rect.left -= 200;
            rect.right += 200;
            flags |= PIX_TEXT_CENTRE;
        }
        else if (align == 2)
        {
            rect.left -= 400;
            flags |= PIX_TEXT_RIGHT;
        }
        else
            rect.right += 2000;
        font.DrawTextInto(&bitmap, text, -1, &rect, flags);
    }

private:
    PIX_CachedFont font;
    bool ready = false;
};

void HLine(PIX_IBitmap& b, int32_t x0, int32_t x1, int32_t y, uint32_t colour)
{
    FillRect(&b, x0, y, x1 - x0, 1, colour, 1.0f, PIX_MODE_COPY);
}

void VLine(PIX_IBitmap& b, int32_t x, int32_t y0, int32_t y1, uint32_t colour)
{
    FillRect(&b, x, y0, 1, y1 - y0, colour, 1.0f, PIX_MODE_COPY);
}

// Fills rows top..bottom (both included, in either order) of one column.
void Span(PIX_IBitmap& b, int32_t x, int32_t y0, int32_t y1, uint32_t colour)
{
    FillRect(&b, x, std::min(y0, y1), 1, std::abs(y1 - y0) + 1, colour, 1.0f, PIX_MODE_COPY);
}
} // namespace

PlotLayout PlotLayout::For(int32_t width, int32_t height, const PlotScales& scales)
{
    PlotLayout l;
    l.width = width;
    l.height = height;
    l.scales = scales;
    l.left = 70;
    l.right = width - 20;
    const int32_t top = 30, bottom = height - 40, gap = 26;
    const int32_t panels = bottom - top - gap;
    l.waveTop = top;
    l.waveBottom = top + panels * 2 / 3;
    l.reductionTop = l.waveBottom + gap;
    l.reductionBottom = bottom;
    return l;
}

int32_t PlotLayout::WaveRow(double amplitude) const
{
    const double middle = (waveTop + waveBottom - 1) / 2.0;
    const double half = (waveBottom - 1 - waveTop) / 2.0;
    return Round(middle - amplitude / scales.amplitude * half);
}

int32_t PlotLayout::ReductionRow(double db) const
{
    return reductionTop + Round(db / scales.reductionDb * (reductionBottom - 1 - reductionTop));
}

int32_t PlotLayout::Column(double seconds) const
{
    return left + Round(seconds / std::max(scales.seconds, 1e-9) * Columns());
}

PlotScales ScalesFor(const LimitingTrace& trace, double seconds, double ceilingDbfs)
{
    PlotScales s;
    double loudest = 1.0, reduction = 0.0;
    for (const TraceColumn& c : trace.Columns())
    {
        loudest = std::max({loudest, static_cast<double>(-c.inMin), static_cast<double>(c.inMax),
                            static_cast<double>(-c.outMin), static_cast<double>(c.outMax)});
        reduction = std::max(reduction, static_cast<double>(c.reductionDb));
    }
    s.amplitude = loudest * 1.05;
    s.reductionDb = std::max(6.0, std::ceil(reduction / 3.0) * 3.0);
    s.seconds = seconds;
    s.ceilingDbfs = ceilingDbfs;
    return s;
}

void DrawLimitingPlot(PIX_IBitmap& bitmap, int32_t width, int32_t height, const LimitingTrace& trace,
                      const PlotScales& scales, const std::string& title)
{
    bitmap.ResizeTo(width, height);
    const PlotLayout l = PlotLayout::For(width, height, scales);
    const std::vector<TraceColumn> columns = trace.Columns();
    Labels labels;
    char text[64];
    FillRect(&bitmap, 0, 0, width, height, kPlotBackground, 1.0f, PIX_MODE_COPY);
    FillRect(&bitmap, l.left, l.waveTop, l.Columns(), l.waveBottom - l.waveTop, kPanelColour, 1.0f, PIX_MODE_COPY);
    FillRect(&bitmap, l.left, l.reductionTop, l.Columns(), l.reductionBottom - l.reductionTop, kPanelColour, 1.0f,
             PIX_MODE_COPY);

    // Time grid and labels.
    const double step = TimeStep(scales.seconds, l.Columns(), 90);
    for (int i = 0;; ++i)
    {
        const double t = i * step;
        if (t > scales.seconds + 1e-9) break;
        const int32_t x = std::min(l.Column(t), l.right - 1);
        VLine(bitmap, x, l.waveTop, l.waveBottom, kGridColour);
        VLine(bitmap, x, l.reductionTop, l.reductionBottom, kGridColour);
        VLine(bitmap, x, l.reductionBottom, l.reductionBottom + 4, kAxisColour);
        std::snprintf(text, sizeof(text), "%g", t);
        labels.Draw(bitmap, text, x, l.reductionBottom + 12, 1);
    }
    labels.Draw(bitmap, "time (s)", (l.left + l.right) / 2, l.reductionBottom + 28, 1);

    // Amplitude grid, labelled in dBFS on both sides of silence.
    int32_t lastRow = -1000;
    for (double db = std::floor(Dbfs(scales.amplitude) / 3.0) * 3.0; db >= -24.0; db -= (db > 0.0 ? 3.0 : 6.0))
    {
        const double a = std::pow(10.0, db / 20.0);
        if (a > scales.amplitude) continue;
        const int32_t row = l.WaveRow(a);
        // Labels stop short of the middle, where the two sides' labels would meet.
        if (row - lastRow < kTextHeight || l.WaveRow(0.0) - row < kTextHeight) continue;
        lastRow = row;
        std::snprintf(text, sizeof(text), "%+g", db);
        for (const int32_t y : {row, l.WaveRow(-a)})
        {
            HLine(bitmap, l.left, l.right, y, kGridColour);
            HLine(bitmap, l.left - 4, l.left, y, kAxisColour);
            labels.Draw(bitmap, db == 0.0 ? "0" : text, l.left - 7, y, 2);
        }
    }
    HLine(bitmap, l.left, l.right, l.WaveRow(0.0), kGridColour);
    labels.Draw(bitmap, "dBFS", 6, l.waveTop + 4, 0);

    // The envelopes: the input behind, the output over it.
    const auto drawEnvelope = [&](bool input)
    {
        for (int32_t x = 0; x < l.Columns() && x < static_cast<int32_t>(columns.size()); ++x)
        {
            const TraceColumn& c = columns[static_cast<size_t>(x)];
            const float lo = input ? c.inMin : c.outMin, hi = input ? c.inMax : c.outMax;
            Span(bitmap, l.left + x, l.WaveRow(hi), l.WaveRow(lo), input ? kInputColour : kOutputColour);
        }
    };
    drawEnvelope(true);
    drawEnvelope(false);

    if (std::isfinite(scales.ceilingDbfs))
    {
        const double a = std::pow(10.0, scales.ceilingDbfs / 20.0);
        HLine(bitmap, l.left, l.right, l.WaveRow(a), kPlotCeilingColour);
        HLine(bitmap, l.left, l.right, l.WaveRow(-a), kPlotCeilingColour);
        std::snprintf(text, sizeof(text), "ceiling %+.1f dBFS", scales.ceilingDbfs);
        labels.Draw(bitmap, text, l.right - 4, l.WaveRow(a) - 9, 2);
    }

    // Gain reduction: a bar down from 0 dB wherever the limiter reduced the gain.
    const double dbStep = scales.reductionDb <= 18.0 ? 3.0 : 6.0;
    for (double db = 0.0; db <= scales.reductionDb + 1e-9; db += dbStep)
    {
        const int32_t y = l.ReductionRow(db);
        HLine(bitmap, l.left, l.right, y, kGridColour);
        HLine(bitmap, l.left - 4, l.left, y, kAxisColour);
        std::snprintf(text, sizeof(text), "%g", db == 0.0 ? 0.0 : -db);
        labels.Draw(bitmap, text, l.left - 7, y, 2);
    }
    for (int32_t x = 0; x < l.Columns() && x < static_cast<int32_t>(columns.size()); ++x)
    {
        const float r = columns[static_cast<size_t>(x)].reductionDb;
        // Less than a hundredth of a dB is rounding, not limiting.
        if (r < 0.01f) continue;
        Span(bitmap, l.left + x, l.reductionTop, l.ReductionRow(std::min<double>(r, scales.reductionDb)),
             kPlotReductionColour);
    }
    labels.Draw(bitmap, "gain reduction (dB)", l.left, l.reductionTop - 10, 0);

    // Frames and legend.
    for (const auto& [top, bottom] : {std::pair{l.waveTop, l.waveBottom}, std::pair{l.reductionTop, l.reductionBottom}})
    {
        HLine(bitmap, l.left, l.right, top, kAxisColour);
        HLine(bitmap, l.left, l.right, bottom, kAxisColour);
        VLine(bitmap, l.left, top, bottom + 1, kAxisColour);
        VLine(bitmap, l.right, top, bottom + 1, kAxisColour);
    }
    labels.Draw(bitmap, title.c_str(), l.left, 14, 0);
    FillRect(&bitmap, l.right - 150, 8, 14, 10, kInputColour, 1.0f, PIX_MODE_COPY);
    labels.Draw(bitmap, "input", l.right - 132, 13, 0);
    FillRect(&bitmap, l.right - 80, 8, 14, 10, kOutputColour, 1.0f, PIX_MODE_COPY);
    labels.Draw(bitmap, "output", l.right - 62, 13, 0);
}

bool WriteLimitingPlot(const std::string& path, int32_t width, int32_t height, const LimitingTrace& trace,
                       const PlotScales& scales, const std::string& title)
{
    PIX_MemBitmap bitmap(width, height, 4);
    DrawLimitingPlot(bitmap, width, height, trace, scales, title);
    return WritePngFile(&bitmap, path.c_str());
}
