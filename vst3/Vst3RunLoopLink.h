#pragma once
// Connects an open editor to a Linux VST3 host's run loop (found through the view's IPlugFrame): a
// timer every 1000 / frame rate ms (truncated) and a handler for the editor's connection. The run
// loop calls back on the host's UI thread, which is the editor window's thread.
//
// Reference counted: a host may release its references after we unregister. Detach unregisters
// both and cuts the link to the editor, so late calls do nothing.
#include "pluginterfaces/base/funknown.h"
#include "pluginterfaces/gui/iplugview.h"

#include <atomic>

class IEditor;

#if SMTG_OS_LINUX
class Vst3RunLoopLink final : public Steinberg::Linux::IEventHandler, public Steinberg::Linux::ITimerHandler
{
public:
    // Registers with the frame's run loop; null when the frame offers none (or registration fails).
    static Vst3RunLoopLink* Attach(Steinberg::IPlugFrame* frame, IEditor* editor);
    // Unregisters and releases the link (the pointer is gone afterwards).
    void Detach();

    void PLUGIN_API onFDIsSet(Steinberg::Linux::FileDescriptor fd) override;
    void PLUGIN_API onTimer() override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return ++refs; }
    Steinberg::uint32 PLUGIN_API release() override;

private:
    Vst3RunLoopLink(Steinberg::Linux::IRunLoop* loop, IEditor* editor);
    ~Vst3RunLoopLink();

    Steinberg::Linux::IRunLoop* loop;
    IEditor* editor;
    bool fdRegistered = false, timerRegistered = false;
    std::atomic<Steinberg::uint32> refs{1};
};
#endif
