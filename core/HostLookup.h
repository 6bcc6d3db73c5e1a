#pragma once
// Reduces a host application's product name to a small host kind, for host-specific workarounds.
#include <cstdint>

namespace HostKinds
{
constexpr int32_t kUnknown = -1; // not identified yet
constexpr int32_t kOther = 0;    // identified, not in the table
constexpr int32_t kReaper = 1;
constexpr int32_t kCubase = 3;
constexpr int32_t kNuendo = 4;
constexpr int32_t kForte = 15;
constexpr int32_t kAudition = 17;
constexpr int32_t kOrion = 18;
constexpr int32_t kSawStudio = 20;
constexpr int32_t kArdour = 27;
} // namespace HostKinds

// Case-insensitive substring match against the host table, first row wins; 0 when nothing matches.
int32_t LookUpHost(const char* name);
