#pragma once
// Reads chunks of interleaved frames ahead on a thread of its own, so decoding and the file
// system's cost overlap the plug-in's processing. The counterpart of BackgroundWriter.
#include "vellicor/tools/render/AudioReader.h"
#include "vellicor/tools/render/LoudnessMeter.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

template <class T> class BackgroundReader
{
public:
    // meter, when given, measures every frame on this object's thread.
    BackgroundReader(AudioReader& reader, int32_t channels, int64_t chunkFrames, int32_t depth = 4,
                     LoudnessMeter* meter = nullptr);
    ~BackgroundReader(); // stops reading ahead and waits for the thread
    BackgroundReader(const BackgroundReader&) = delete;
    BackgroundReader& operator=(const BackgroundReader&) = delete;

    // Render loop: hands back the chunk returned last time and waits for the next one; frames is
    // its length, 0 at the end of the file. False after a read failure.
    bool Next(const T*& samples, int64_t& frames);
    const std::string& Failure() const { return failure; } // after Next answered false
    double ReadSeconds() const { return readSeconds; }     // after the end was reached

private:
    struct Slot
    {
        std::vector<T> samples;
        int64_t frames = 0;
    };
    void Run();

    AudioReader& reader;
    LoudnessMeter* meter;
    std::vector<Slot> slots;
    std::deque<Slot*> freeSlots, filledSlots;
    Slot* current = nullptr;
    std::mutex mutex;
    std::condition_variable changed;
    bool closing = false;
    bool finished = false; // the thread has queued its last chunk
    bool failed = false;
    std::string failure;
    double readSeconds = 0.0;
    std::thread thread;
};

extern template class BackgroundReader<float>;
extern template class BackgroundReader<double>;
