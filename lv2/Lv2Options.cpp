#include "lv2/Lv2Options.h"

#include "lv2/core/lv2_util.h"
#include "lv2/options/options.h"

namespace vellicor::lv2
{
const void* OptionValue(const LV2_Feature* const* features, const LV2_URID_Map* map, const char* key,
                        const char* type, uint32_t size)
{
    const auto* options =
        static_cast<const LV2_Options_Option*>(lv2_features_data(features, LV2_OPTIONS__options));
    if (!options || !map) return nullptr;
    const LV2_URID keyUrid = map->map(map->handle, key);
    const LV2_URID typeUrid = map->map(map->handle, type);
    for (const LV2_Options_Option* o = options; o->key != 0; ++o)
        if (o->key == keyUrid && o->type == typeUrid && o->size == size) return o->value;
    return nullptr;
}
} // namespace vellicor::lv2
