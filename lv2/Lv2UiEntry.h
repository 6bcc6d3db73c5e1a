#pragma once
// The entry of an LV2 UI module: lv2ui_descriptor with one X11 UI, driven by the host's idle
// interface, for the plug-in and its mono variant alike. A module defines it once with
// VELLICOR_LV2_UI_ENTRY(<plug-in class>, <UI URI>, <mono plug-in URI or nullptr>).
//
// Threads: the host's UI thread.
#include "core/PluginCreationLock.h"
#include "lv2/IEffectLV2Ui.h"

#include <cstring>
#include <mutex>
#include <new>

namespace vellicor::lv2
{
// The module's load address (the editor's artwork lookup).
void* UiModuleHandle();

inline IEffectLV2Ui* FromUiHandle(LV2UI_Handle handle)
{
    return static_cast<IEffectLV2Ui*>(handle);
}

template <class Plugin, const char* (*MonoUri)()>
LV2UI_Handle InstantiateUi(const LV2UI_Descriptor*, const char* pluginUri, const char*,
                           LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                           const LV2_Feature* const* features)
{
    if (!pluginUri) pluginUri = "";
    const char* mono = MonoUri();
    const int32_t channels = mono && std::strcmp(pluginUri, mono) == 0 ? 1 : 0;
    const IEffectLV2Ui::InstanceInfo info{UiModuleHandle(), pluginUri, write, controller, features, channels};
    IEffectLV2Ui* ui = nullptr;
    {
        std::lock_guard<std::mutex> hold(vellicor::PluginCreationLock());
        try
        {
            ui = new Plugin(info);
        }
        catch (...)
        {
            return nullptr;
        }
    }
    void* window = ui->Open();
    if (!window)
    {
        delete ui;
        return nullptr;
    }
    if (widget) *widget = window;
    return ui;
}

inline int IdleUi(LV2UI_Handle handle)
{
    return FromUiHandle(handle)->Idle();
}

inline const void* UiExtensionData(const char* uri)
{
    static const LV2UI_Idle_Interface idle = {&IdleUi};
    return uri && std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &idle : nullptr;
}

template <class Plugin, const char* (*MonoUri)()> const LV2UI_Descriptor* UiDescriptor(const char* uri)
{
    static const LV2UI_Descriptor descriptor = {
        uri,
        &InstantiateUi<Plugin, MonoUri>,
        [](LV2UI_Handle h)
        {
            IEffectLV2Ui* ui = FromUiHandle(h);
            ui->Close();
            delete ui;
        },
        [](LV2UI_Handle h, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
        { FromUiHandle(h)->PortEvent(port, size, format, buffer); },
        &UiExtensionData,
    };
    return &descriptor;
}
} // namespace vellicor::lv2

#define VELLICOR_LV2_UI_ENTRY(Plugin, uri, monoUri)                                                          \
    static const char* Lv2UiMonoUri()                                                                        \
    {                                                                                                        \
        return monoUri;                                                                                      \
    }                                                                                                        \
    extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)                    \
    {                                                                                                        \
        return index == 0 ? vellicor::lv2::UiDescriptor<Plugin, &Lv2UiMonoUri>(uri) : nullptr;               \
    }
