#include "vellicor/tools/render/BackgroundWriter.h"

#include <chrono>

template <class T>
BackgroundWriter<T>::BackgroundWriter(AudioWriter& w, int32_t channels, int64_t chunkFrames, int32_t depth,
                                      LoudnessMeter* m)
    : writer(w), meter(m), slots(static_cast<size_t>(depth))
{
    for (Slot& slot : slots)
    {
        slot.samples.resize(static_cast<size_t>(chunkFrames * channels));
        freeSlots.push_back(&slot);
    }
    thread = std::thread([this] { Run(); });
}

template <class T> BackgroundWriter<T>::~BackgroundWriter()
{
    {
        std::lock_guard<std::mutex> hold(mutex);
        closing = true;
    }
    changed.notify_all();
    if (thread.joinable()) thread.join();
}

template <class T> T* BackgroundWriter<T>::Acquire()
{
    std::unique_lock<std::mutex> hold(mutex);
    changed.wait(hold, [this] { return failed || !freeSlots.empty(); });
    if (failed) return nullptr;
    acquired = freeSlots.front();
    freeSlots.pop_front();
    return acquired->samples.data();
}

template <class T> void BackgroundWriter<T>::Submit(int64_t frames)
{
    {
        std::lock_guard<std::mutex> hold(mutex);
        if (!acquired) return;
        acquired->frames = frames;
        filledSlots.push_back(acquired);
        acquired = nullptr;
    }
    changed.notify_all();
}

template <class T> bool BackgroundWriter<T>::Finish(std::string& error)
{
    {
        std::lock_guard<std::mutex> hold(mutex);
        closing = true;
    }
    changed.notify_all();
    if (thread.joinable()) thread.join();
    if (failed) error = failure;
    return !failed;
}

template <class T> void BackgroundWriter<T>::Run()
{
    using Clock = std::chrono::steady_clock;
    for (;;)
    {
        Slot* slot = nullptr;
        {
            std::unique_lock<std::mutex> hold(mutex);
            changed.wait(hold, [this] { return closing || !filledSlots.empty(); });
            if (filledSlots.empty() || failed) return; // closing with nothing left, or nothing worth writing
            slot = filledSlots.front();
            filledSlots.pop_front();
        }
        if (meter) meter->Add(slot->samples.data(), slot->frames);
        const Clock::time_point start = Clock::now();
        const bool ok = writer.Write(slot->samples.data(), slot->frames);
        writeSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        {
            std::lock_guard<std::mutex> hold(mutex);
            if (!ok)
            {
                failed = true;
                failure = writer.LastError();
            }
            freeSlots.push_back(slot);
        }
        changed.notify_all();
        if (!ok) return;
    }
}

template class BackgroundWriter<float>;
template class BackgroundWriter<double>;
