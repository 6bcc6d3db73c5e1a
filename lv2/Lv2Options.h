#pragma once
// One value of the host's options feature (LV2_OPTIONS__options), checked for its type and size.
// Maps URIs, so not for the audio thread.
#include "lv2/core/lv2.h"
#include "lv2/urid/urid.h"

#include <cstdint>

namespace vellicor::lv2
{
// The value of key when the host offers it as type with that size, else null.
const void* OptionValue(const LV2_Feature* const* features, const LV2_URID_Map* map, const char* key,
                        const char* type, uint32_t size);
} // namespace vellicor::lv2
