#pragma once
// Loudness and peaks of one stream of interleaved frames, per EBU R128 / ITU-R BS.1770, measured by
// libebur128: integrated loudness, loudness range, sample peak and true peak (4x oversampled below
// 96 kHz, as the recommendation asks). Used from the render loop's one thread.
#include <ebur128.h>

#include <cstdint>

struct LoudnessFigures
{
    // NaN when not measured (a rate libebur128 refuses); -inf for silence.
    double integratedLufs = 0.0;
    double rangeLu = 0.0;
    double samplePeakDbfs = 0.0; // the loudest channel
    double truePeakDbtp = 0.0;
};

class LoudnessMeter
{
public:
    LoudnessMeter(int32_t channels, int32_t sampleRate);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    void Add(const float* interleaved, int64_t frames);
    void Add(const double* interleaved, int64_t frames);
    LoudnessFigures Figures() const;

private:
    ebur128_state* state = nullptr;
    int32_t channels;
};
