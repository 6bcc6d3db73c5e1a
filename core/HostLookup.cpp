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
    {"brainwaveproducer", 28},
    {"cubase",             3},
    {"reaper",             1},
    {"nuendo",             4},
    {"cakewalk",           5},
    {"samplitude",         8},
    {"fruity",             7},
    {"live",               9},
    {"melodyne",          12},
    {"vstmanlib",         13},
    {"aulab",             14},
    {"forte",             15},
    {"chainer",           16},
    {"audition",          17},
    {"orion",             18},
    {"sawstudio",         20},
    {"logic",             21},
    {"digital",           22},
    {"audiomulch",        23},
    {"presonus",          24},
    {"acoustica",         25},
    {"garageband",        26},
    {"ardour",            27},
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
