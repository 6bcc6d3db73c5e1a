#include "gui/platform/x11/X11EditorDriver.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using Clock = std::chrono::steady_clock;

void X11EditorDriver::Start(Steps& s, int connectionFd, int periodMs)
{
    Stop();
    steps = &s;
    fd = connectionFd;
    period = periodMs > 0 ? periodMs : 1;
    lastTick = Clock::now();
    stopRequested = false;
    if (pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) wakePipe[0] = wakePipe[1] = -1;
    state = State::Waiting;
    thread = std::thread([this] { Run(); });
}

void X11EditorDriver::Stop()
{
    if (state == State::Stopped) return;
    {
        std::lock_guard<std::mutex> g(mutex);
        stopRequested = true;
    }
    wake.notify_all();
    if (wakePipe[1] >= 0)
    {
        const char c = 1;
        [[maybe_unused]] ssize_t n = write(wakePipe[1], &c, 1);
    }
    if (thread.joinable()) thread.join();
    for (int& p : wakePipe)
    {
        if (p >= 0) close(p);
        p = -1;
    }
    state = State::Stopped;
    steps = nullptr;
}

bool X11EditorDriver::ClaimForHost()
{
    State s = state;
    if (s == State::Host) return true;
    if (s != State::Waiting) return false;
    std::lock_guard<std::mutex> g(mutex);
    if (state != State::Waiting) return state == State::Host;
    state = State::Host;
    wake.notify_all(); // the waiting thread can leave now
    return true;
}

void X11EditorDriver::HostEvents()
{
    if (!ClaimForHost()) return;
    std::lock_guard<std::mutex> step(stepMutex);
    steps->Events();
}

void X11EditorDriver::HostTimer()
{
    if (!ClaimForHost()) return;
    std::lock_guard<std::mutex> step(stepMutex);
    lastTick = Clock::now();
    steps->Events();
    steps->Tick();
}

void X11EditorDriver::HostIdle()
{
    if (!ClaimForHost()) return;
    std::lock_guard<std::mutex> step(stepMutex);
    steps->Events();
    const auto now = Clock::now();
    if (now - lastTick >= std::chrono::milliseconds(period))
    {
        lastTick = now;
        steps->Tick();
    }
}

void X11EditorDriver::Run()
{
    {
        std::unique_lock<std::mutex> g(mutex);
        wake.wait_for(g, std::chrono::milliseconds(kHostGraceMs),
                      [this] { return stopRequested || state != State::Waiting; });
        if (stopRequested || state != State::Waiting) return;
        state = State::Thread;
    }
    auto nextTick = Clock::now();
    for (;;)
    {
        const auto now = Clock::now();
        const int timeout =
            nextTick > now
                ? static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(nextTick - now).count())
                : 0;
        pollfd fds[2] = {{wakePipe[0], POLLIN, 0}, {fd, POLLIN, 0}};
        poll(fds, fd >= 0 ? 2 : 1, timeout);
        if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) fd = -1; // lost server: keep ticking quietly
        const bool tickDue = Clock::now() >= nextTick;
        {
            std::lock_guard<std::mutex> g(mutex);
            if (stopRequested) return;
        }
        std::lock_guard<std::mutex> step(stepMutex);
        steps->Events();
        if (tickDue)
        {
            // Counted from this tick: a late tick is not followed by a hurried one.
            nextTick = Clock::now() + std::chrono::milliseconds(period);
            steps->Tick();
        }
    }
}
