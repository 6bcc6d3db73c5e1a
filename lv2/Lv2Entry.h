#pragma once
// The entry of an LV2 DSP module: lv2_descriptor with the plug-in and, optionally, its mono variant
// (the same class on one audio port each way). A module defines it once with
// VELLICOR_LV2_ENTRY(<plug-in class>, <plug-in URI>, <mono URI or nullptr>).
//
// Threads: the host's, as LV2 assigns them: instantiate and cleanup apart from everything else,
// run on the audio thread.
#include "core/PluginCreationLock.h"
#include "core/SampleRateRange.h"
#include "lv2/IEffectLV2.h"

#include "lv2/core/lv2_util.h"
#include "lv2/log/log.h"
#include "lv2/log/logger.h"
#include "lv2/urid/urid.h"

#include <mutex>
#include <new>

namespace vellicor::lv2
{
// The module's load address (the editor object's artwork lookup); set by the first instantiation.
void* DspModuleHandle();

// Tells the host why an instance was refused, through its log feature when it offers one.
void LogRefusal(const LV2_Feature* const* features, const char* format, double value);

template <class Plugin, int32_t Channels>
LV2_Handle Instantiate(const LV2_Descriptor* descriptor, double rate, const char*,
                       const LV2_Feature* const* features)
{
    // A rate no audio runs at would size the look-ahead delay absurdly.
    if (!vellicor::IsUsableSampleRate(rate))
    {
        LogRefusal(features, "sample rate %g Hz refused: expected above 0 and at most 10 MHz\n", rate);
        return nullptr;
    }
    std::lock_guard<std::mutex> hold(vellicor::PluginCreationLock());
    const IEffectLV2::InstanceInfo info{DspModuleHandle(), descriptor->URI, features, Channels};
    // Out of memory anywhere in construction must not unwind through the host's C call.
    try
    {
        Plugin* plugin = new Plugin(info);
        plugin->SetSampleRate(rate);
        plugin->Prepare();
        return static_cast<IEffectLV2*>(plugin);
    }
    catch (...)
    {
        return nullptr;
    }
}

inline IEffectLV2* FromHandle(LV2_Handle handle)
{
    return static_cast<IEffectLV2*>(handle);
}

template <class Plugin, int32_t Channels> const LV2_Descriptor* Descriptor(const char* uri)
{
    static const LV2_Descriptor descriptor = {
        uri,
        &Instantiate<Plugin, Channels>,
        [](LV2_Handle h, uint32_t port, void* data) { FromHandle(h)->ConnectPort(port, data); },
        [](LV2_Handle h) { FromHandle(h)->Activate(); },
        [](LV2_Handle h, uint32_t frames) { FromHandle(h)->Run(frames); },
        [](LV2_Handle h) { FromHandle(h)->Deactivate(); },
        [](LV2_Handle h) { delete FromHandle(h); },
        [](const char*) -> const void* { return nullptr; },
    };
    return &descriptor;
}
} // namespace vellicor::lv2

#define VELLICOR_LV2_ENTRY(Plugin, uri, monoUri)                                                             \
    extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)                        \
    {                                                                                                        \
        if (index == 0) return vellicor::lv2::Descriptor<Plugin, 0>(uri);                                    \
        const char* mono = monoUri;                                                                          \
        return index == 1 && mono ? vellicor::lv2::Descriptor<Plugin, 1>(mono) : nullptr;                    \
    }
