// The one place that knows the plug-in class: everything else of the module sees IEffectVST.
#include "vst2/Vst2Entry.h"

#include "gui/IGraphicsCaches.h"
#include "vellicor/editor/EditorSnapshot.h"
#include "vellicor/plugin/CLS_VELLICOR.h"

VELLICOR_VST2_ENTRY(CLS_VELLICOR)

// The render tool's private entry: instance is the effect record VSTPluginMain returned.
int32_t VellicorPrivateEditorSnapshot(int32_t version, void* instance, int32_t ticks, const char* pngPath)
{
    if (version != EditorSnapshotAbi::kVersion) return EditorSnapshotAbi::kWrongVersion;
    return EditorSnapshot::Run(IEffectVST::FromEffect(static_cast<AEffect*>(instance)), ticks, pngPath);
}

// VST2 has no unload entry: the editors' shared bitmaps and fonts go with the library itself.
__attribute__((destructor)) static void FreeEditorCachesAtUnload()
{
    IGraphicsCaches::FreeAll();
}
