#include "vst3/IEffectVST3View.h"

#include "vst3/IEffectVST3.h"

#include <cstring>

using namespace Steinberg;

namespace
{
bool IsNativeType(FIDString type)
{
    return type && std::strcmp(type, IEffectVST3View::kPlatformType) == 0;
}

// The editor when it can open a window on this platform, else null.
IEditor* WindowEditor(IEffectVST3* plugin)
{
    IEditor* gui = plugin->GetGUI();
    return gui && gui->OpensWindows() ? gui : nullptr;
}
} // namespace

IEffectVST3View::IEffectVST3View(IEffectVST3* owner) : CPluginView(nullptr), plugin(owner)
{
    plugin->addRef();
}

IEffectVST3View::~IEffectVST3View()
{
    plugin->ViewDestroyed(this);
    plugin->release(); // may be the last reference: the plug-in dies here
}

tresult PLUGIN_API IEffectVST3View::isPlatformTypeSupported(FIDString type)
{
    return WindowEditor(plugin) && IsNativeType(type) ? kResultOk : kResultFalse;
}

tresult PLUGIN_API IEffectVST3View::attached(void* parent, FIDString type)
{
    IEditor* gui = WindowEditor(plugin);
    if (!gui) return kResultFalse;
    systemWindow = parent;
    if (IsNativeType(type)) gui->OpenWindow(parent);
    plugin->EditorOpened();
    return kResultOk;
}

tresult PLUGIN_API IEffectVST3View::removed()
{
    if (IEditor* gui = plugin->GetGUI())
    {
        plugin->EditorClosed();
        gui->CloseWindow();
    }
    CPluginView::removed();
    return kResultOk;
}

tresult PLUGIN_API IEffectVST3View::getSize(ViewRect* size)
{
    IEditor* gui = plugin->GetGUI();
    if (!gui) return kResultFalse;
    if (!size) return kInvalidArgument;
    *size = ViewRect(0, 0, gui->Width(), gui->Height());
    return kResultOk;
}

tresult PLUGIN_API IEffectVST3View::onSize(ViewRect* newSize)
{
    if (newSize) rect = *newSize;
    return kResultOk;
}
