// The one place that knows the plug-in class: everything else of the module sees IEffectVST.
#include "vst2/Vst2Entry.h"

#include "core/CLS_VELLICOR.h"

VELLICOR_VST2_ENTRY(CLS_VELLICOR)
