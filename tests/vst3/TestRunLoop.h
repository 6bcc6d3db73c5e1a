#pragma once
// A Linux VST3 host's editor frame with a run loop of its own: IPlugFrame (resize requests are
// recorded) and IRunLoop, whose Run polls the registered file descriptors and fires the registered
// timers on the calling thread, as a host's UI loop does. Stack object: counts are not lifetimes.
#include "pluginterfaces/gui/iplugview.h"

#include <chrono>
#include <string>
#include <vector>

namespace testhost
{
using namespace Steinberg;

class TestRunLoop : public IPlugFrame, public Linux::IRunLoop
{
public:
    ~TestRunLoop();

    tresult PLUGIN_API resizeView(IPlugView*, ViewRect*) override { return kResultOk; }
    tresult PLUGIN_API registerEventHandler(Linux::IEventHandler* handler, Linux::FileDescriptor fd) override;
    tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler* handler) override;
    tresult PLUGIN_API registerTimer(Linux::ITimerHandler* handler, Linux::TimerInterval ms) override;
    tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* handler) override;
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

    // Runs the loop for ms milliseconds (handlers may unregister themselves meanwhile).
    void Run(int ms);

    struct Timer
    {
        Linux::ITimerHandler* handler;
        Linux::TimerInterval ms;
        std::chrono::steady_clock::time_point next;
    };
    struct Watch
    {
        Linux::IEventHandler* handler;
        int fd;
    };
    std::vector<Timer> timers;
    std::vector<Watch> watches;
    std::vector<std::string> log; // "timer+ 41", "fd+", "timer-", "fd-"
    int timerCalls = 0;
    bool offerRunLoop = true;      // false: a frame without a run loop
};
} // namespace testhost
