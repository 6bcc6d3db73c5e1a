// The one place that knows the plug-in class: everything else of the module sees IEffectVST3.
#include "vst3/Vst3Module.h"

#include "core/CLS_VELLICOR.h"
#include "core/PluginCreationLock.h"

#include <new>

namespace vellicor::vst3
{
IEffectVST3* MakePlugin()
{
    std::lock_guard<std::mutex> hold(vellicor::PluginCreationLock());
    // Out of memory anywhere in construction must not unwind through the host's C call.
    try
    {
        return new CLS_VELLICOR(IEffectVST3::InstanceInfo{});
    }
    catch (...)
    {
        return nullptr;
    }
}
} // namespace vellicor::vst3
