// The one place that knows the plug-in class: everything else of the module sees IEffectVST.
#include "vst2/Vst2Entry.h"

#include "core/CLS_VELLICOR.h"
#include "gui/IGraphicsCaches.h"

VELLICOR_VST2_ENTRY(CLS_VELLICOR)

// VST2 has no unload entry: the editors' shared bitmaps and fonts go with the library itself.
__attribute__((destructor)) static void FreeEditorCaches()
{
    IGraphicsCaches::FreeAll();
}
