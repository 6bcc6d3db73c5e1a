// Linux has no library entry point that is handed the module: ask the loader where this code lives.
#include "vst2/IEffectVST.h"

#include <dlfcn.h>

namespace vellicor::vst2
{
void RecordModuleHandle()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&RecordModuleHandle), &info) != 0) ModuleHandle = info.dli_fbase;
}
} // namespace vellicor::vst2
