#include "core/HostLookup.h"

#include <cctype>
#include <cstring>

namespace
{
struct HostRow
{
    const char* key;
    int32_t kind;
};

// Match order matters: "cubase" wins over "nuendo", "brainwaveproducer" over everything.
// clang-format off
constexpr HostRow kHostTable[] = {
    {"brainwaveproducer", HostKinds::kBrainwaveProducer},
    {"cubase",            HostKinds::kCubase},
    {"reaper",            HostKinds::kReaper},
    {"nuendo",            HostKinds::kNuendo},
    {"cakewalk",          HostKinds::kCakewalk},
    {"samplitude",        HostKinds::kSamplitude},
    {"fruity",            HostKinds::kFruity},
    {"live",              HostKinds::kLive},
    {"melodyne",          HostKinds::kMelodyne},
    {"vstmanlib",         HostKinds::kVstManLib},
    {"aulab",             HostKinds::kAuLab},
    {"forte",             HostKinds::kForte},
    {"chainer",           HostKinds::kChainer},
    {"audition",          HostKinds::kAudition},
    {"orion",             HostKinds::kOrion},
    {"sawstudio",         HostKinds::kSawStudio},
    {"logic",             HostKinds::kLogic},
    {"digital",           HostKinds::kDigital},
    {"audiomulch",        HostKinds::kAudioMulch},
    {"presonus",          HostKinds::kPresonus},
    {"acoustica",         HostKinds::kAcoustica},
    {"garageband",        HostKinds::kGarageBand},
    {"ardour",            HostKinds::kArdour},
};
// clang-format on
} // namespace

int32_t LookUpHost(const char* name)
{
    char lowered[256];
    size_t n = 0;
    if (name)
        for (; name[n] != '\0' && n < sizeof(lowered) - 1; ++n)
            lowered[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[n])));
    lowered[n] = '\0';

    for (const HostRow& row : kHostTable)
        if (std::strstr(lowered, row.key)) return row.kind;
    return HostKinds::kOther;
}
