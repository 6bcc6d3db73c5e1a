#pragma once
// The plug-in lock: one re-entrant lock per instance, serialising processing, parameter changes,
// state and GUI edits. A dispatcher request holding it calls ResetState, which takes it again.
#include <mutex>

class PluginLock
{
public:
    void Lock() { mutex.lock(); }
    void Unlock() { mutex.unlock(); }
    bool TryLock() { return mutex.try_lock(); }

    class Scoped
    {
    public:
        explicit Scoped(PluginLock& l) : lock(l) { lock.Lock(); }
        ~Scoped() { lock.Unlock(); }
        Scoped(const Scoped&) = delete;
        Scoped& operator=(const Scoped&) = delete;

    private:
        PluginLock& lock;
    };

private:
    std::recursive_mutex mutex;
};
