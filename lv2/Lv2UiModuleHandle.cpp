#include "lv2/Lv2UiEntry.h"

#include <dlfcn.h>

namespace vellicor::lv2
{
void* UiModuleHandle()
{
    Dl_info info{};
    return dladdr(reinterpret_cast<void*>(&UiModuleHandle), &info) != 0 ? info.dli_fbase : nullptr;
}
} // namespace vellicor::lv2
