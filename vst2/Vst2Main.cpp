// The one place that knows the plug-in class: everything else of the module sees IEffectVST.
#include "vst2/Vst2Entry.h"

#include "core/CLS_VELLICOR.h"
#include "gui/EditorSnapshot.h"
#include "gui/IGraphicsCaches.h"

VELLICOR_VST2_ENTRY(CLS_VELLICOR)

// The render tool's private entry: instance is the effect record VSTPluginMain returned.
int32_t VellicorPrivateEditorSnapshot(int32_t version, void* instance, int32_t ticks, const char* pngPath)
{
    if (version != EditorSnapshotAbi::kVersion) return EditorSnapshotAbi::kWrongVersion;
    return EditorSnapshot::Run(IEffectVST::FromEffect(static_cast<AEffect*>(instance)), ticks, pngPath);
}

// Module unload (dlclose, or the end of the process): the editors' process-wide bitmap and font
// caches go with the module; no instance exists any more.
__attribute__((destructor)) static void FreeEditorCachesAtUnload()
{
    IGraphicsCaches::DestroyAtUnload();
}
