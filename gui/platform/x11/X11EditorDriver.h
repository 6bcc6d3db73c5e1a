#pragma once
// Who drives an open editor window: the host, or, when the host drives nothing, a thread of ours.
//
// Hosts drive it through the Host* calls: a VST3 host's run loop (a timer every period and a handler
// for the connection's file descriptor), a VST2 host's effEditIdle. When no host call has arrived
// kHostGraceMs after Start, our thread takes the window over for good: from then on it alone runs
// the steps, and host calls do nothing. Steps hold the driver's own step lock, never the plug-in
// lock: the audio thread never waits while the editor draws (the steps take the plug-in lock only
// for what they read or change of the plug-in). A host call that reaches into the window from
// another thread holds Exclusive() around it, so the window never runs on two threads at once.
// Stop must not be called with the plug-in lock held: it waits for a running step.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class X11EditorDriver
{
public:
    static constexpr int kHostGraceMs = 500;

    class Steps
    {
    public:
        virtual ~Steps() = default;
        virtual void Events() = 0; // read and handle pending window events
        virtual void Tick() = 0;   // one timer step
    };

    X11EditorDriver() = default;
    ~X11EditorDriver() { Stop(); }
    X11EditorDriver(const X11EditorDriver&) = delete;
    X11EditorDriver& operator=(const X11EditorDriver&) = delete;

    // The window has opened (host UI thread). fd: the connection to watch, periodMs: the tick period.
    void Start(Steps& steps, int fd, int periodMs);
    // Before the window closes (host UI thread): the thread, if it took over, is gone on return.
    void Stop();

    void HostEvents(); // the connection's descriptor is readable
    void HostTimer();  // the host's timer: events, then one tick
    void HostIdle();   // events, and a tick once a period has passed
    bool ThreadDriven() const { return state == State::Thread; }
    // Keeps every step out while held.
    std::unique_lock<std::mutex> Exclusive() { return std::unique_lock<std::mutex>(stepMutex); }
    int PeriodMs() const { return period; }

private:
    enum class State
    {
        Stopped,
        Waiting, // opened, nobody has driven it yet
        Host,
        Thread
    };
    bool ClaimForHost();
    void Run();

    Steps* steps = nullptr;
    int fd = -1;
    int period = 41;
    std::atomic<State> state{State::Stopped};
    std::chrono::steady_clock::time_point lastTick;
    std::mutex mutex;
    std::mutex stepMutex; // held through each step
    std::condition_variable wake;
    bool stopRequested = false;
    int wakePipe[2] = {-1, -1};
    std::thread thread;
};
