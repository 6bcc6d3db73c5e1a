// vellicor-demo-signal OUT.wav: writes the demo input (48 kHz stereo, 32-bit float WAV).
#include "vellicor/tools/demo/DemoSignal.h"
#include "vellicor/tools/render/AudioWriter.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: vellicor-demo-signal OUT.wav\n");
        return 2;
    }
    constexpr int32_t kRate = 48000;
    const std::vector<double> frames = DemoSignal::Generate(kRate);
    AudioWriter writer;
    std::string error;
    // Float keeps the samples above full scale that the limiter is there to catch.
    if (!writer.Open(argv[1], Container::Wav, SampleFormat::Float, kRate, 2, error) ||
        !writer.Write(frames.data(), static_cast<int64_t>(frames.size() / 2)) || !writer.Commit(error))
    {
        std::fprintf(stderr, "vellicor-demo-signal: %s\n",
                     error.empty() ? writer.LastError().c_str() : error.c_str());
        return 1;
    }
    return 0;
}
