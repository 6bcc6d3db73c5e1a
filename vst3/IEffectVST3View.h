#pragma once
// The editor view a VST3 host embeds in its window. It draws nothing itself: it hands the host's
// parent window to the plug-in's editor, reports the editor's fixed size, and tells the plug-in when
// the editor opens and closes. Each view holds one reference on its plug-in, so the plug-in outlives
// every view the host still holds. The plug-in has one editor window: the first view attached shows
// it until it is removed or released; other views' attached fail meanwhile.
//
// Threads: host UI thread only; no lock.
#include "public.sdk/source/common/pluginview.h"

class IEffectVST3;
class Vst3RunLoopLink;

class IEffectVST3View : public Steinberg::CPluginView
{
public:
    // The window system the editor embeds into: the host's native parent window type.
#if defined(_WIN32)
    static constexpr const char* kPlatformType = "HWND";
#else
    static constexpr const char* kPlatformType = "X11EmbedWindowID";
#endif

    explicit IEffectVST3View(IEffectVST3* plugin);
    ~IEffectVST3View() override;

    Steinberg::tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API removed() SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getSize(Steinberg::ViewRect* size) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API onSize(Steinberg::ViewRect* newSize) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API canResize() SMTG_OVERRIDE
    {
        return Steinberg::kResultFalse;
    }
    Steinberg::tresult PLUGIN_API checkSizeConstraint(Steinberg::ViewRect*) SMTG_OVERRIDE
    {
        return Steinberg::kResultFalse;
    }

    IEffectVST3* Plugin() const
    {
        return plugin;
    }
    Steinberg::IPlugFrame* Frame() const
    {
        return plugFrame;
    }

private:
    void DetachRunLoop();
    // When this view shows the editor: its run-loop link goes, the window closes, the editor is free.
    void CloseEditor();

    IEffectVST3* plugin;
    Vst3RunLoopLink* runLoop = nullptr; // the host's run loop drives the open window (Linux)
};
