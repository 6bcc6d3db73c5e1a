#include "vellicor/tools/render/BackgroundReader.h"

#include <chrono>

template <class T>
BackgroundReader<T>::BackgroundReader(AudioReader& r, int32_t channels, int64_t chunkFrames, int32_t depth,
                                      LoudnessMeter* m)
    : reader(r), meter(m), slots(static_cast<size_t>(depth))
{
    for (Slot& slot : slots)
    {
        slot.samples.resize(static_cast<size_t>(chunkFrames * channels));
        freeSlots.push_back(&slot);
    }
    thread = std::thread([this] { Run(); });
}

template <class T> BackgroundReader<T>::~BackgroundReader()
{
    {
        std::lock_guard<std::mutex> hold(mutex);
        closing = true;
    }
    changed.notify_all();
    if (thread.joinable()) thread.join();
}

template <class T> bool BackgroundReader<T>::Next(const T*& samples, int64_t& frames)
{
    std::unique_lock<std::mutex> hold(mutex);
    if (current)
    {
        freeSlots.push_back(current);
        current = nullptr;
        changed.notify_all();
    }
    changed.wait(hold, [this] { return !filledSlots.empty() || finished; });
    frames = 0;
    samples = nullptr;
    if (filledSlots.empty()) return !failed;
    current = filledSlots.front();
    filledSlots.pop_front();
    frames = current->frames;
    samples = current->samples.data();
    return true;
}

template <class T> void BackgroundReader<T>::Run()
{
    using Clock = std::chrono::steady_clock;
    const int64_t chunk = static_cast<int64_t>(slots.front().samples.size()) / reader.Channels();
    for (;;)
    {
        Slot* slot = nullptr;
        {
            std::unique_lock<std::mutex> hold(mutex);
            changed.wait(hold, [this] { return closing || !freeSlots.empty(); });
            if (closing) break;
            slot = freeSlots.front();
            freeSlots.pop_front();
        }
        const Clock::time_point start = Clock::now();
        slot->frames = reader.Read(slot->samples.data(), chunk);
        readSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        if (meter) meter->Add(slot->samples.data(), slot->frames);
        std::lock_guard<std::mutex> hold(mutex);
        if (reader.Failed())
        {
            failed = true;
            failure = reader.LastError();
            freeSlots.push_back(slot);
            break;
        }
        if (slot->frames == 0)
        {
            freeSlots.push_back(slot);
            break;
        }
        filledSlots.push_back(slot);
        changed.notify_all();
    }
    std::lock_guard<std::mutex> hold(mutex);
    finished = true;
    changed.notify_all();
}

template class BackgroundReader<float>;
template class BackgroundReader<double>;
