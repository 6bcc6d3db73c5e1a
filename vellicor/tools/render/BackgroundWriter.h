#pragma once
// Writes chunks of interleaved frames on a thread of its own, so the file system's cost overlaps
// the plug-in's processing instead of adding to it. A few chunk buffers circulate between the
// render loop (fills them) and the writer thread (empties them); nothing is allocated per chunk.
#include "vellicor/tools/render/AudioWriter.h"
#include "vellicor/tools/render/LoudnessMeter.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

template <class T> class BackgroundWriter
{
public:
    // meter, when given, measures every frame on this object's thread.
    BackgroundWriter(AudioWriter& writer, int32_t channels, int64_t chunkFrames, int32_t depth = 4,
                     LoudnessMeter* meter = nullptr);
    ~BackgroundWriter(); // waits for the thread; chunks still queued are written or dropped on failure
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // Render loop: a free buffer of chunkFrames * channels samples (waits while all are queued),
    // or null once writing has failed.
    T* Acquire();
    // Render loop: queues the buffer last acquired, holding frames frames.
    void Submit(int64_t frames);
    // Render loop: waits until everything queued is written; false (with the reason) on failure.
    bool Finish(std::string& error);

    double WriteSeconds() const { return writeSeconds; } // valid after Finish

private:
    struct Slot
    {
        std::vector<T> samples;
        int64_t frames = 0;
    };
    void Run();

    AudioWriter& writer;
    LoudnessMeter* meter;
    std::vector<Slot> slots;
    std::deque<Slot*> freeSlots, filledSlots;
    Slot* acquired = nullptr;
    std::mutex mutex;
    std::condition_variable changed;
    bool closing = false;
    bool failed = false;
    std::string failure;
    double writeSeconds = 0.0;
    std::thread thread;
};

extern template class BackgroundWriter<float>;
extern template class BackgroundWriter<double>;
