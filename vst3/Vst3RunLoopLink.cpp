#include "vst3/Vst3RunLoopLink.h"

#include "core/IEditor.h"

#if SMTG_OS_LINUX
using namespace Steinberg;

Vst3RunLoopLink* Vst3RunLoopLink::Attach(IPlugFrame* frame, IEditor* editor)
{
    if (!frame || !editor) return nullptr;
    Linux::IRunLoop* loop = nullptr;
    if (frame->queryInterface(Linux::IRunLoop::iid, reinterpret_cast<void**>(&loop)) != kResultOk || !loop)
        return nullptr;
    auto* link = new Vst3RunLoopLink(loop, editor);
    const int fd = editor->EventFd();
    if (fd >= 0) link->fdRegistered = loop->registerEventHandler(link, fd) == kResultOk;
    const int32_t period = 1000 / editor->FrameRate();
    link->timerRegistered = loop->registerTimer(link, static_cast<Linux::TimerInterval>(period)) == kResultOk;
    if (!link->timerRegistered)
    {
        link->Detach(); // without a timer the editor's own thread drives it
        return nullptr;
    }
    return link;
}

Vst3RunLoopLink::Vst3RunLoopLink(Linux::IRunLoop* l, IEditor* e) : loop(l), editor(e) {}

Vst3RunLoopLink::~Vst3RunLoopLink()
{
    loop->release();
}

void Vst3RunLoopLink::Detach()
{
    if (timerRegistered) loop->unregisterTimer(this);
    if (fdRegistered) loop->unregisterEventHandler(this);
    timerRegistered = fdRegistered = false;
    editor = nullptr;
    release();
}

void PLUGIN_API Vst3RunLoopLink::onFDIsSet(Linux::FileDescriptor)
{
    if (editor) editor->HostEvents();
}

void PLUGIN_API Vst3RunLoopLink::onTimer()
{
    if (editor) editor->HostTimer();
}

tresult PLUGIN_API Vst3RunLoopLink::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, Linux::IEventHandler::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid))
    {
        addRef();
        *obj = static_cast<Linux::IEventHandler*>(this);
        return kResultOk;
    }
    if (FUnknownPrivate::iidEqual(iid, Linux::ITimerHandler::iid))
    {
        addRef();
        *obj = static_cast<Linux::ITimerHandler*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

uint32 PLUGIN_API Vst3RunLoopLink::release()
{
    const uint32 left = --refs;
    if (left == 0) delete this;
    return left;
}
#endif
