#include "tests/vst3/TestRunLoop.h"

#include <poll.h>

#include <algorithm>
#include <thread>

namespace testhost
{
using Clock = std::chrono::steady_clock;

TestRunLoop::~TestRunLoop()
{
    // What a plug-in forgot to unregister still holds a reference the host would drop.
    for (auto& t : timers)
        t.handler->release();
    for (auto& w : watches)
        w.handler->release();
}

tresult PLUGIN_API TestRunLoop::registerEventHandler(Linux::IEventHandler* handler, Linux::FileDescriptor fd)
{
    if (!handler || fd < 0) return kInvalidArgument;
    handler->addRef();
    watches.push_back({handler, fd});
    log.push_back("fd+");
    return kResultOk;
}

tresult PLUGIN_API TestRunLoop::unregisterEventHandler(Linux::IEventHandler* handler)
{
    for (size_t i = 0; i < watches.size(); ++i)
        if (watches[i].handler == handler)
        {
            watches.erase(watches.begin() + static_cast<long>(i));
            log.push_back("fd-");
            handler->release();
            return kResultOk;
        }
    return kResultFalse;
}

tresult PLUGIN_API TestRunLoop::registerTimer(Linux::ITimerHandler* handler, Linux::TimerInterval ms)
{
    if (!handler || ms == 0) return kInvalidArgument;
    handler->addRef();
    timers.push_back({handler, ms, Clock::now() + std::chrono::milliseconds(ms)});
    log.push_back("timer+ " + std::to_string(ms));
    return kResultOk;
}

tresult PLUGIN_API TestRunLoop::unregisterTimer(Linux::ITimerHandler* handler)
{
    for (size_t i = 0; i < timers.size(); ++i)
        if (timers[i].handler == handler)
        {
            timers.erase(timers.begin() + static_cast<long>(i));
            log.push_back("timer-");
            handler->release();
            return kResultOk;
        }
    return kResultFalse;
}

tresult PLUGIN_API TestRunLoop::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, IPlugFrame::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid))
    {
        *obj = static_cast<IPlugFrame*>(this);
        return kResultOk;
    }
    if (offerRunLoop && FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid))
    {
        *obj = static_cast<Linux::IRunLoop*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

void TestRunLoop::Run(int ms)
{
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;)
    {
        auto now = Clock::now();
        if (now >= end) return;
        auto wakeAt = end;
        for (const auto& t : timers)
            wakeAt = std::min(wakeAt, t.next);
        std::vector<pollfd> fds;
        for (const auto& w : watches)
            fds.push_back({w.fd, POLLIN, 0});
        const int timeout =
            wakeAt > now ? static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wakeAt - now).count()) : 0;
        poll(fds.data(), fds.size(), timeout);
        // Copies: a handler may unregister while we call it.
        for (size_t i = 0; i < fds.size(); ++i)
            if (fds[i].revents & POLLIN)
            {
                const auto current = watches;
                for (const auto& w : current)
                    if (w.fd == fds[i].fd) w.handler->onFDIsSet(w.fd);
            }
        now = Clock::now();
        const auto due = timers;
        for (const auto& t : due)
            if (t.next <= now)
            {
                for (auto& live : timers)
                    if (live.handler == t.handler) live.next += std::chrono::milliseconds(t.ms);
                ++timerCalls;
                t.handler->onTimer();
            }
    }
}
} // namespace testhost
