#pragma once
// Who the plug-in is, to hosts and saved projects: read by the plug-in definition, the module
// records, the tools and the benchmarks. CMake takes the project version from kVersionText.
// Never change an ID: projects find the plug-in by it.
#include <cstdint>

namespace vellicor::identity
{
inline constexpr char kEffectName[] = "Vellicor";
inline constexpr char kProductName[] = "";
inline constexpr char kMakerName[] = "Ovidane";
inline constexpr char kMakerUrl[] = "https://www.ovidane.com";
// The editor's logo opens the plug-in's page, or the maker's home page when that fails.
inline constexpr char kPluginUrl[] = "https://www.ovidane.com/vellicor";
inline constexpr char kMakerEmail[] = "";

inline constexpr int32_t kVersionMajor = 3;
inline constexpr int32_t kVersionMinor = 2;
inline constexpr int32_t kVersionPatch = 0;
inline constexpr char kVersionText[] = "3.2.0";
// Packed as major, then minor * 10 + patch: shown as "v3.20".
inline constexpr int32_t kVersion = 0x31400;

inline constexpr int32_t kUniqueId = 0x6E753276; // 'nu2v'
inline constexpr int32_t kMakerId = 0x4F76446E;  // 'OvDn'
inline constexpr char kChannelConfig[] = "1-1 2-2";

// What the base is told besides the names: no latency reported, no MIDI, state through the
// parameter callbacks rather than chunks (VST2), an effect rather than an instrument.
inline constexpr int32_t kLatencySamples = 0;
inline constexpr int32_t kMidiMode = 0;
inline constexpr bool kStateAsChunks = false;
inline constexpr bool kInstrument = false;

// {F2AEE70D-00DE-4F4E-4F76-446E6E753276}: words 0xF2AEE70D, 0x00DE4F4E, 'OvDn', 'nu2v' laid out in
// COM order, the same bytes on every platform so that projects find the plug-in everywhere.
inline constexpr unsigned char kVst3ClassId[16] = {0x0D, 0xE7, 0xAE, 0xF2, 0xDE, 0x00, 0x4E, 0x4F,
                                                   0x4F, 0x76, 0x44, 0x6E, 0x6E, 0x75, 0x32, 0x76};
inline constexpr char kVst3Category[] = "Audio Module Class";
inline constexpr char kVst3SubCategories[] = "Fx";
inline constexpr char kVst3SdkVersion[] = "VST 3.6.5";

// LV2: the plug-in is its page's URI; its editor and its mono variant live under it.
inline constexpr const char* kLv2Uri = kPluginUrl;
inline constexpr char kLv2UiUri[] = "https://www.ovidane.com/vellicor#ui";
inline constexpr char kLv2MonoUri[] = "https://www.ovidane.com/vellicor#mono";

namespace detail
{
constexpr bool VersionTextMatches(const char* text, const int32_t (&parts)[3])
{
    for (int part = 0; part < 3; ++part)
    {
        int32_t n = 0;
        bool digits = false;
        for (; *text >= '0' && *text <= '9'; ++text, digits = true)
            n = n * 10 + (*text - '0');
        if (!digits || n != parts[part]) return false;
        if (*text != (part < 2 ? '.' : '\0')) return false;
        ++text;
    }
    return true;
}

constexpr bool StartsWith(const char* text, const char* prefix)
{
    for (; *prefix; ++prefix, ++text)
        if (*text != *prefix) return false;
    return true;
}

constexpr bool BigEndianWordAt(const unsigned char* bytes, int32_t word)
{
    return static_cast<int32_t>((uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) |
                                (uint32_t(bytes[2]) << 8) | uint32_t(bytes[3])) == word;
}
} // namespace detail

static_assert(detail::VersionTextMatches(kVersionText, {kVersionMajor, kVersionMinor, kVersionPatch}));
static_assert(kVersion == ((kVersionMajor << 16) | ((kVersionMinor * 10 + kVersionPatch) << 8)));
static_assert(detail::StartsWith(kLv2UiUri, kLv2Uri) && detail::StartsWith(kLv2MonoUri, kLv2Uri));
static_assert(detail::BigEndianWordAt(kVst3ClassId + 8, kMakerId) &&
              detail::BigEndianWordAt(kVst3ClassId + 12, kUniqueId));
} // namespace vellicor::identity
