#include "vst3/IEffectVST3View.h"

#include "vst3/IEffectVST3.h"
#include "vst3/Vst3RunLoopLink.h"

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
    CloseEditor(); // a host that releases the view without calling removed
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
    // One editor has one window: a second view of the instance gets none, rather than taking the
    // first one's away.
    if (plugin->EditorView() && plugin->EditorView() != this) return kResultFalse;
    systemWindow = parent;
    if (IsNativeType(type))
    {
        DetachRunLoop(); // attached again without removed: the window reopens below
        if (!gui->OpenWindow(parent))
        {
            if (plugin->EditorView() == this) CloseEditor();
            return kResultFalse;
        }
#if SMTG_OS_LINUX
        // No run loop: the editor's own thread drives the window (see the X11 layer).
        runLoop = Vst3RunLoopLink::Attach(plugFrame, gui);
#endif
    }
    if (plugin->EditorView() != this)
    {
        plugin->SetEditorView(this);
        plugin->EditorOpened();
    }
    return kResultOk;
}

tresult PLUGIN_API IEffectVST3View::removed()
{
    CloseEditor(); // only the view that shows the editor closes it
    CPluginView::removed();
    return kResultOk;
}

void IEffectVST3View::CloseEditor()
{
    if (plugin->EditorView() != this) return;
    DetachRunLoop(); // before the window and its connection go
    plugin->SetEditorView(nullptr);
    if (IEditor* gui = plugin->GetGUI())
    {
        plugin->EditorClosed();
        gui->CloseWindow();
    }
}

void IEffectVST3View::DetachRunLoop()
{
#if SMTG_OS_LINUX
    if (runLoop) runLoop->Detach();
#endif
    runLoop = nullptr;
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
