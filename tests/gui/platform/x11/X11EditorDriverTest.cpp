#include "gui/platform/x11/X11EditorDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

struct Steps : X11EditorDriver::Steps
{
    void Events() override { ++events; }
    void Tick() override
    {
        ++inStep;
        {
            std::lock_guard<std::mutex> g(record);
            ticks.push_back(Clock::now());
            threads.push_back(std::this_thread::get_id());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        --inStep;
    }
    size_t TickCount()
    {
        std::lock_guard<std::mutex> g(record);
        return ticks.size();
    }

    std::atomic<int> inStep{0};
    std::mutex record;
    std::vector<Clock::time_point> ticks;
    std::vector<std::thread::id> threads;
    std::atomic<int> events{0};
};

TEST(X11EditorDriverTest, WithoutHostCallsItsOwnThreadTakesOverAndTicksEveryPeriod)
{
    Steps steps;
    X11EditorDriver driver;
    driver.Start(steps, -1, 41);
    std::this_thread::sleep_for(std::chrono::milliseconds(X11EditorDriver::kHostGraceMs + 600));
    EXPECT_TRUE(driver.ThreadDriven());
    driver.HostTimer(); // too late: the thread owns the window now
    driver.Stop();
    const size_t count = steps.TickCount();
    ASSERT_GE(count, 5u);
    for (auto id : steps.threads)
        EXPECT_NE(id, std::this_thread::get_id()) << "a tick ran on the host's thread after the takeover";
    // Never faster than the period, and typically within a tick of it (a loaded machine, or the
    // sanitizer build, wakes late).
    std::vector<double> gaps;
    for (size_t i = 1; i < count; ++i)
        gaps.push_back(
            std::chrono::duration<double, std::milli>(steps.ticks[i] - steps.ticks[i - 1]).count());
    std::sort(gaps.begin(), gaps.end());
    EXPECT_GE(gaps.front(), 40.0);
    EXPECT_LT(gaps[gaps.size() / 2], 2 * 41.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(steps.TickCount(), count) << "ticks after Stop";
}

TEST(X11EditorDriverTest, AHostTimerKeepsTheWindowOnTheHostsThread)
{
    Steps steps;
    X11EditorDriver driver;
    driver.Start(steps, -1, 41);
    driver.HostTimer();
    std::this_thread::sleep_for(std::chrono::milliseconds(X11EditorDriver::kHostGraceMs + 200));
    EXPECT_FALSE(driver.ThreadDriven());
    driver.HostEvents();
    EXPECT_EQ(steps.TickCount(), 1u);
    EXPECT_EQ(steps.events, 2);
    EXPECT_EQ(steps.threads.front(), std::this_thread::get_id());
    driver.Stop();
}

TEST(X11EditorDriverTest, IdleCallsReadEventsEachTimeAndTickOncePerPeriod)
{
    Steps steps;
    X11EditorDriver driver;
    driver.Start(steps, -1, 41);
    const auto start = Clock::now();
    int idles = 0;
    while (Clock::now() - start < std::chrono::milliseconds(420))
    {
        driver.HostIdle();
        ++idles;
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    driver.Stop();
    EXPECT_EQ(steps.events, idles);
    // A tick once a period has passed since the last one: never two within a period, and on an idle
    // machine about 420 / 41 of them.
    ASSERT_GE(steps.TickCount(), 4u);
    EXPECT_LE(steps.TickCount(), 10u);
    // The driver reads the clock just before calling Tick, and we read it again inside: a preempted
    // read shifts one of our stamps late, so allow a millisecond.
    for (size_t i = 1; i < steps.ticks.size(); ++i)
        EXPECT_GE(steps.ticks[i] - steps.ticks[i - 1], std::chrono::milliseconds(40)) << "tick " << i;
}

TEST(X11EditorDriverTest, HostCallsHeldExclusiveNeverOverlapTheThreadsSteps)
{
    Steps steps;
    X11EditorDriver driver;
    driver.Start(steps, -1, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(X11EditorDriver::kHostGraceMs + 50));
    ASSERT_TRUE(driver.ThreadDriven());
    int overlaps = 0;
    for (int i = 0; i < 100; ++i)
    {
        {
            auto exclusive = driver.Exclusive();
            overlaps += steps.inStep.load();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            overlaps += steps.inStep.load();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    driver.Stop();
    EXPECT_GE(steps.TickCount(), 5u) << "the thread kept ticking between the host's calls";
    EXPECT_EQ(overlaps, 0) << "a step ran while the host's call held the window";
}
} // namespace
