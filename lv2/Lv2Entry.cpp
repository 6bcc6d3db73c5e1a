#include "lv2/Lv2Entry.h"

#include <dlfcn.h>

namespace vellicor::lv2
{
void* DspModuleHandle()
{
    Dl_info info{};
    return dladdr(reinterpret_cast<void*>(&DspModuleHandle), &info) != 0 ? info.dli_fbase : nullptr;
}

void LogRefusal(const LV2_Feature* const* features, const char* format, double value)
{
    LV2_Log_Logger logger{};
    const auto* log = static_cast<LV2_Log_Log*>(lv2_features_data(features, LV2_LOG__log));
    auto* map = static_cast<LV2_URID_Map*>(lv2_features_data(features, LV2_URID__map));
    if (!log || !map) return;
    lv2_log_logger_init(&logger, map, const_cast<LV2_Log_Log*>(log));
    lv2_log_error(&logger, format, value);
}
} // namespace vellicor::lv2
