#pragma once
// Module-wide state of vellicor_vst3 and the creation path of plug-in instances.
#include "pluginterfaces/base/funknown.h"

class IEffectVST3;

namespace vellicor::vst3
{
// The module's library handle, recorded by the platform's library entry point (null until then):
// the Windows module instance, or the handle a Linux host passes to ModuleEntry.
extern void* ModuleHandle;
// Copied from ModuleHandle by InitDll; the editor window loads its artwork through it.
extern void* PluginInstanceHandle;

// The registered creation function: the new plug-in's IAudioProcessor as its FUnknown, or null.
// The context is ignored.
Steinberg::FUnknown* CreatePluginInstance(void* context);

// A new CLS_VELLICOR with one reference, constructed under PluginCreationLock; null on failure.
IEffectVST3* MakePlugin();
} // namespace vellicor::vst3
