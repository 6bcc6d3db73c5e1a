#pragma once
// The render loop: reads the input in chunks, hands the plug-in blocks of exactly the block size
// (the last one shorter) in the precision asked for, and writes the results, lined up with the
// input when asked. Measures the peak
// levels on the way and the time spent inside the plug-in's process alone.
#include "vellicor/tools/render/PluginHost.h"

#include <csignal>
#include <cstdint>
#include <string>

class AudioReader;
class AudioWriter;
class LimitingTrace;
class LoudnessMeter;
class ProgressBar;

struct RenderStats
{
    int64_t frames = 0;    // read from the input
    int64_t framesOut = 0; // written
    int32_t channels = 0;
    double peakIn[2] = {0.0, 0.0}; // linear, per channel
    double peakOut[2] = {0.0, 0.0};
    double seconds = 0.0;        // the whole loop: reading, converting, processing, writing
    double processSeconds = 0.0; // inside the plug-in's process calls only
    double readSeconds = 0.0;    // inside the file reads (decoding included)
    double writeSeconds = 0.0;   // inside the file writes (encoding included)
};

class Renderer
{
public:
    Renderer(PluginHost& host, int32_t block, Precision precision)
        : host(host), block(block), precision(precision)
    {
    }

    void SetProgress(ProgressBar* bar) { progress = bar; }
    // Ticks the plug-in's editor every tickFrames frames of audio from frame `from` on, as an open
    // editor window would be drawn while the audio plays (for --snapshot).
    void SetEditorTicks(int64_t from, int32_t tickFrames)
    {
        editorFrom = from;
        editorTickFrames = tickFrames;
    }
    // Aligned: the first `delay` frames of the plug-in's output are dropped and as many frames of
    // silence fed after the input, so the output lines up with the input, frame for frame.
    void SetAlignment(int64_t delay) { dropFrames = delay; }
    // Fed with every input frame read and every output frame written.
    void SetAnalysis(LoudnessMeter* inMeter, LoudnessMeter* outMeter, LimitingTrace* limitingTrace)
    {
        loudnessIn = inMeter;
        loudnessOut = outMeter;
        trace = limitingTrace;
    }
    // Polled once per chunk; non-zero stops the render with an error.
    void SetCancelFlag(const volatile std::sig_atomic_t* flag) { cancel = flag; }

    // The host must be started with the reader's rate and channel count and this block size.
    bool Run(AudioReader& reader, AudioWriter& writer, RenderStats& stats, std::string& error);

private:
    template <class T>
    bool RunAs(AudioReader& reader, AudioWriter& writer, RenderStats& stats, std::string& error);

    PluginHost& host;
    int32_t block;
    Precision precision;
    ProgressBar* progress = nullptr;
    const volatile std::sig_atomic_t* cancel = nullptr;
    int64_t dropFrames = 0;
    LoudnessMeter* loudnessIn = nullptr;
    LoudnessMeter* loudnessOut = nullptr;
    LimitingTrace* trace = nullptr;
    int64_t editorFrom = -1; // < 0: no editor ticks
    int32_t editorTickFrames = 0;
};
