#pragma once
// A value that host threads store while the window thread reads it, with no lock: the editor's
// control values and redraw flags. Relaxed atomics compile to the same plain moves on the machines
// we ship for, but make the sharing well defined. A compound update (+=) is a load and a store,
// exactly as with a plain field: the last writer wins.
#include <atomic>

template <typename T> class IRelaxed
{
public:
    IRelaxed(T v = T()) : value(v) {}
    IRelaxed(const IRelaxed& other) : value(other.Get()) {}
    IRelaxed& operator=(const IRelaxed& other)
    {
        Set(other.Get());
        return *this;
    }
    IRelaxed& operator=(T v)
    {
        Set(v);
        return *this;
    }
    operator T() const { return Get(); }
    T Get() const { return value.load(std::memory_order_relaxed); }
    void Set(T v) { value.store(v, std::memory_order_relaxed); }

    IRelaxed& operator+=(T d)
    {
        Set(Get() + d);
        return *this;
    }
    IRelaxed& operator-=(T d)
    {
        Set(Get() - d);
        return *this;
    }

private:
    std::atomic<T> value;
};
