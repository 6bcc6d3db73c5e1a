#pragma once
// The module entry of a VST2 plug-in: VSTPluginMain, and main for hosts that still look for it.
// A module defines them once with VELLICOR_VST2_ENTRY(<plug-in class>).
#include "core/PluginCreationLock.h"
#include "vst2/IEffectVST.h"

#include <mutex>
#include <new>

// Host thread that loads the module. Creation is serialised across the module; the effect record
// is returned, or null when the instance could not be created.
template <class Plugin> AEffect* CreateVst2Effect(audioMasterCallback host)
{
    std::lock_guard<std::mutex> hold(vellicor::PluginCreationLock());
    vellicor::vst2::RecordModuleHandle();
    const IEffectVST::InstanceInfo info{host, vellicor::vst2::ModuleHandle};
    // Out of memory anywhere in construction must not unwind through the host's C call.
    Plugin* plugin = nullptr;
    try
    {
        plugin = new Plugin(info);
    }
    catch (...)
    {
        return nullptr;
    }
    plugin->EnsureDefaultPreset();
    AEffect* effect = plugin->Effect();
    if (effect->numPrograms < 1) effect->numPrograms = 1;
    return effect;
}

#if defined(_WIN32)
#define VELLICOR_VST2_EXPORT extern "C" __declspec(dllexport)
#else
#define VELLICOR_VST2_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// `main` cannot be declared as such in C++ (it must return int): an assembler name gives the
// exported symbol that spelling instead.
#define VELLICOR_VST2_ENTRY(Plugin)                                                                          \
    VELLICOR_VST2_EXPORT AEffect* VSTPluginMain(audioMasterCallback host)                                    \
    {                                                                                                        \
        return CreateVst2Effect<Plugin>(host);                                                               \
    }                                                                                                        \
    VELLICOR_VST2_EXPORT AEffect* Vst2LegacyMain(audioMasterCallback host) __asm__("main");                  \
    AEffect* Vst2LegacyMain(audioMasterCallback host)                                                        \
    {                                                                                                        \
        return VSTPluginMain(host);                                                                          \
    }
