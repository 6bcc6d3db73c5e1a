#pragma once
// Counts heap allocations made on this thread while a CountingScope is open. The executable's own
// malloc family stands in for the C library's, so a module loaded into the process allocates
// through it; under the address sanitizer, which owns malloc, its allocation hook counts instead.
#include <cstdint>

namespace counting
{
class Scope
{
public:
    Scope();
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
};

// Closes the open scope for a while: the host's own work inside a plug-in call does not count.
class Pause
{
public:
    Pause();
    ~Pause();
    Pause(const Pause&) = delete;
    Pause& operator=(const Pause&) = delete;

private:
    bool was;
};

// Allocations counted so far (all threads).
int64_t Allocations();
} // namespace counting
