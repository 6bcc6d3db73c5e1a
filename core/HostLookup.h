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
constexpr int32_t kCakewalk = 5;
constexpr int32_t kFruity = 7;
constexpr int32_t kSamplitude = 8;
constexpr int32_t kLive = 9;
constexpr int32_t kMelodyne = 12;
constexpr int32_t kVstManLib = 13;
constexpr int32_t kAuLab = 14;
constexpr int32_t kForte = 15;
constexpr int32_t kChainer = 16;
constexpr int32_t kAudition = 17;
constexpr int32_t kOrion = 18;
constexpr int32_t kSawStudio = 20;
constexpr int32_t kLogic = 21;
constexpr int32_t kDigital = 22;
constexpr int32_t kAudioMulch = 23;
constexpr int32_t kPresonus = 24;
constexpr int32_t kAcoustica = 25;
constexpr int32_t kGarageBand = 26;
constexpr int32_t kArdour = 27;
constexpr int32_t kBrainwaveProducer = 28;
} // namespace HostKinds

// Case-insensitive substring match against the host table, first row wins; 0 when nothing matches.
int32_t LookUpHost(const char* name);
