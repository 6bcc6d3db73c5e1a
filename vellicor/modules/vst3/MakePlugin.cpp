// The one place that knows the plug-in class: everything else of the module sees IEffectVST3.
#include "vellicor/modules/vst3/Vst3Module.h"

#include "core/PluginCreationLock.h"
#include "vellicor/editor/EditorSnapshot.h"
#include "vellicor/plugin/CLS_VELLICOR.h"

#include <new>

namespace vellicor::vst3
{
IEffectVST3* MakePlugin()
{
    std::lock_guard<std::mutex> hold(vellicor::PluginCreationLock());
    // Out of memory anywhere in construction must not unwind through the host's C call.
    try
    {
        return new CLS_VELLICOR(IEffectVST3::InstanceInfo{PluginInstanceHandle});
    }
    catch (...)
    {
        return nullptr;
    }
}
} // namespace vellicor::vst3

// The render tool's private entry: instance is the IComponent pointer the factory handed out.
int32_t VellicorPrivateEditorSnapshot(int32_t version, void* instance, int32_t ticks, const char* pngPath)
{
    if (version != EditorSnapshotAbi::kVersion) return EditorSnapshotAbi::kWrongVersion;
    auto* component = static_cast<Steinberg::Vst::IComponent*>(instance);
    return EditorSnapshot::Run(component ? dynamic_cast<IEffectVST3*>(component) : nullptr, ticks, pngPath);
}
