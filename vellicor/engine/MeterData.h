#pragma once
// The gain-reduction meter record shared by the audio thread (producer, under the plug-in lock) and
// the editor's window thread (consumer, without the lock). Every field is one 32-bit value read and
// written whole; no ordering between fields is needed, so all accesses are relaxed.
#include <atomic>
#include <cstdint>

struct MeterData
{
    enum Channel
    {
        kLeft = 0,
        kRight = 1
    };

    std::atomic<float> currentReduction[2] = {0.0f, 0.0f}; // dB of the last limiting block
    std::atomic<float> peakReduction[2] = {0.0f, 0.0f};    // largest since the last reset
    std::atomic<int32_t> peakTime[2] = {0, 0};             // host transport seconds of that peak
    std::atomic<uint32_t> storedCode[2] = {0u, 0u};        // stored memory ("Meml", "Memr")
    std::atomic<float> meterCoef{0.5f};                    // display smoothing per drawn frame
    std::atomic<float> displayReduction[2] = {0.0f, 0.0f}; // drawing only
    bool resetRequest = false;                             // window thread only (held buttons)
    bool storeRequest = false;                             // window thread only

    static float Load(const std::atomic<float>& f) { return f.load(std::memory_order_relaxed); }
    static int32_t Load(const std::atomic<int32_t>& f) { return f.load(std::memory_order_relaxed); }
    static uint32_t Load(const std::atomic<uint32_t>& f) { return f.load(std::memory_order_relaxed); }
    static void Store(std::atomic<float>& f, float v) { f.store(v, std::memory_order_relaxed); }
    static void Store(std::atomic<int32_t>& f, int32_t v) { f.store(v, std::memory_order_relaxed); }
    static void Store(std::atomic<uint32_t>& f, uint32_t v) { f.store(v, std::memory_order_relaxed); }
};

static_assert(sizeof(std::atomic<float>) == 4 && std::atomic<float>::is_always_lock_free);
static_assert(sizeof(std::atomic<int32_t>) == 4 && std::atomic<int32_t>::is_always_lock_free);
static_assert(sizeof(std::atomic<uint32_t>) == 4 && std::atomic<uint32_t>::is_always_lock_free);
