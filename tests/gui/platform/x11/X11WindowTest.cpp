#include "gui/platform/x11/X11Connection.h"
#include "gui/platform/x11/X11Window.h"
#include "tests/support/X11TestDisplay.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace
{
struct Event
{
    std::string kind;
    int x = 0, y = 0, notches = 0;
    X11Mods mods;
    unsigned long keysym = 0;
    std::string text;
};

struct Recorder : X11WindowEvents
{
    X11Window* window = nullptr;
    std::vector<Event> events;
    void Add(const char* kind, int x, int y, X11Mods mods = {}) { events.push_back({kind, x, y, 0, mods, 0, ""}); }
    void WindowExposed(int, int, int, int) override { ++exposes; }
    void WindowMouseDown(int x, int y, X11Mods m) override
    {
        window->TakeFocus();
        Add("down", x, y, m);
    }
    void WindowMouseUp(int x, int y, X11Mods m) override { Add("up", x, y, m); }
    void WindowDoubleClick(int x, int y, X11Mods m) override { Add("double", x, y, m); }
    void WindowDrag(int x, int y, X11Mods m) override { Add("drag", x, y, m); }
    void WindowWheel(int x, int y, X11Mods m, int n) override
    {
        Add("wheel", x, y, m);
        events.back().notches = n;
    }
    void WindowKey(int, int, unsigned long sym, const char* text) override
    {
        events.push_back({"key", 0, 0, 0, {}, sym, text});
    }
    void WindowFocus(bool gained) override { focused = gained; }
    void WindowDestroyed() override { ++destroyed; }
    int exposes = 0, destroyed = 0;
    bool focused = false;
};

class X11WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string why;
        ASSERT_TRUE(X11TestDisplay::UseTestServer(&why)) << why;
        host = std::make_unique<X11TestDisplay>();
        connection = std::make_unique<X11Connection>();
        ASSERT_TRUE(host->Ok() && connection->Ok());
        parent = host->MakeParent(20, 20, 640, 320);
        window = std::make_unique<X11Window>(*connection, recorder);
        recorder.window = window.get();
        ASSERT_TRUE(window->Create(parent, 0, 0, 562, 270));
        Pump([&] { return recorder.exposes > 0; });
    }
    bool Pump(const std::function<bool()>& done, int ms = 2000)
    {
        return PumpUntil([&] { connection->Dispatch(); }, done, ms);
    }
    size_t Count(const char* kind) const
    {
        size_t n = 0;
        for (const auto& e : recorder.events)
            n += e.kind == kind;
        return n;
    }

    Recorder recorder;
    std::unique_ptr<X11TestDisplay> host;
    std::unique_ptr<X11Connection> connection;
    std::unique_ptr<X11Window> window;
    Window parent = 0;
};

TEST_F(X11WindowTest, ShowsExactlyTheBufferAndOnlyThePresentedArea)
{
    std::vector<uint32_t> buffer(562 * 270);
    for (int y = 0; y < 270; ++y)
        for (int x = 0; x < 562; ++x)
            buffer[static_cast<size_t>(y * 562 + x)] = 0xff000000u | static_cast<uint32_t>(x * 7919 + y * 104729);
    ASSERT_TRUE(window->Present(buffer.data(), 562, 562, 270, 0, 0, 562, 270));
    std::vector<uint32_t> expected(buffer.size());
    for (size_t i = 0; i < buffer.size(); ++i)
        expected[i] = buffer[i] & 0xffffffu;
    EXPECT_EQ(host->Pixels(window->Id(), 0, 0, 562, 270), expected);

    // A partial present changes that area and nothing else.
    for (auto& p : buffer)
        p = 0xff123456u;
    ASSERT_TRUE(window->Present(buffer.data(), 562, 562, 270, 100, 50, 10, 5));
    const auto after = host->Pixels(window->Id(), 0, 0, 562, 270);
    for (int y = 0; y < 270; ++y)
        for (int x = 0; x < 562; ++x)
        {
            const size_t i = static_cast<size_t>(y * 562 + x);
            const bool inside = x >= 100 && x < 110 && y >= 50 && y < 55;
            ASSERT_EQ(after[i], inside ? 0x123456u : expected[i]) << "at " << x << "," << y;
        }
}

TEST_F(X11WindowTest, ButtonsWheelAndDoubleClickArriveInWindowCoordinates)
{
    host->Click(window->Id(), 100, 50, 1);
    host->Click(window->Id(), 102, 51, 1); // close in time and place: a double click
    host->Click(window->Id(), 300, 60, 3);
    host->MoveTo(window->Id(), 40, 30);
    host->Click(window->Id(), 40, 30, 4);
    host->Click(window->Id(), 40, 30, 5);
    ASSERT_TRUE(Pump([&] { return Count("wheel") == 2; }));
    const auto& e = recorder.events;
    std::string seen;
    for (const auto& ev : e)
        seen += ev.kind + "(" + std::to_string(ev.x) + "," + std::to_string(ev.y) + ") ";
    ASSERT_EQ(e.size(), 8u) << seen;
    EXPECT_EQ(e[0].kind, "down");
    EXPECT_TRUE(e[0].mods.left && !e[0].mods.right);
    EXPECT_EQ(e[0].x, 100);
    EXPECT_EQ(e[0].y, 50);
    EXPECT_EQ(e[1].kind, "up");
    EXPECT_EQ(e[2].kind, "double");
    EXPECT_EQ(e[2].x, 102);
    EXPECT_EQ(e[3].kind, "up");
    EXPECT_EQ(e[4].kind, "down");
    EXPECT_TRUE(e[4].mods.right && !e[4].mods.left);
    EXPECT_EQ(e[4].x, 300);
    EXPECT_EQ(e[5].kind, "up");
    EXPECT_EQ(e[6].notches, 1);
    EXPECT_EQ(e[7].notches, -1);
    EXPECT_EQ(e[7].x, 40);
    EXPECT_EQ(e[7].y, 30);
}

TEST_F(X11WindowTest, PressesFarApartOrSlowAreNoDoubleClick)
{
    host->Click(window->Id(), 100, 50, 1);
    host->Click(window->Id(), 100 + X11Window::kDoubleClickDistance + 1, 50, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(X11Window::kDoubleClickMs + 50));
    host->Click(window->Id(), 100 + X11Window::kDoubleClickDistance + 1, 50, 1);
    ASSERT_TRUE(Pump([&] { return Count("up") == 3; }));
    EXPECT_EQ(Count("down"), 3u);
    EXPECT_EQ(Count("double"), 0u);
}

TEST_F(X11WindowTest, DragIsReportedUnderTheGrabEvenOutsideTheWindow)
{
    host->MoveTo(window->Id(), 200, 100);
    host->Press(1);
    ASSERT_TRUE(Pump([&] { return window->Captured(); }));
    host->MoveTo(window->Id(), 210, 90);
    ASSERT_TRUE(Pump([&] { return Count("drag") >= 1; }));
    host->MoveTo(window->Id(), 700, -10); // beyond the window and its parent
    ASSERT_TRUE(Pump([&] { return !recorder.events.empty() && recorder.events.back().x == 700; }));
    host->Release(1);
    ASSERT_TRUE(Pump([&] { return Count("up") == 1; }));
    EXPECT_FALSE(window->Captured());
    const Event& drag = recorder.events[recorder.events.size() - 2];
    EXPECT_EQ(drag.kind, "drag");
    EXPECT_EQ(drag.y, -10);
    EXPECT_TRUE(drag.mods.left);
    // Without a button, moving reports nothing.
    const size_t before = recorder.events.size();
    host->MoveTo(window->Id(), 50, 50);
    Pump([] { return false; }, 100);
    EXPECT_EQ(recorder.events.size(), before);
}

TEST_F(X11WindowTest, AClickTakesTheFocusAndKeysArriveWithTheirText)
{
    host->Click(window->Id(), 10, 10, 1);
    ASSERT_TRUE(Pump([&] { return recorder.focused; }));
    host->Type("1a.");
    host->Key(XK_BackSpace);
    host->Key(XK_Return);
    ASSERT_TRUE(Pump([&] { return Count("key") >= 5; }));
    std::vector<std::pair<unsigned long, std::string>> keys;
    for (const auto& e : recorder.events)
        if (e.kind == "key" && e.keysym != XK_Shift_L) keys.push_back({e.keysym, e.text});
    const std::vector<std::pair<unsigned long, std::string>> expected = {
        {XK_1, "1"}, {XK_a, "a"}, {XK_period, "."}, {XK_BackSpace, ""}, {XK_Return, ""}};
    EXPECT_EQ(keys, expected);
}

TEST_F(X11WindowTest, BadParentsAndAParentDestroyedFirstAreHarmless)
{
    X11Window other(*connection, recorder);
    EXPECT_FALSE(other.Create(0x7ffffff0, 0, 0, 562, 270)); // no such window
    EXPECT_FALSE(other.IsOpen());

    host->DestroyWindow(parent); // the host tears down its frame before closing the editor
    ASSERT_TRUE(Pump([&] { return recorder.destroyed == 1; }));
    EXPECT_FALSE(window->IsOpen());
    window->Destroy();
    window->Destroy();
    std::vector<uint32_t> buffer(562 * 270);
    EXPECT_FALSE(window->Present(buffer.data(), 562, 562, 270, 0, 0, 562, 270));
    EXPECT_TRUE(connection->Ok());
}

TEST_F(X11WindowTest, ReopeningInsideAnotherParentWorksAfterADestroyedOne)
{
    window->Destroy();
    const Window second = host->MakeParent(30, 30, 600, 300);
    ASSERT_TRUE(window->Create(second, 5, 6, 562, 270));
    int x, y, w, h;
    ASSERT_TRUE(window->Geometry(x, y, w, h));
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);
    EXPECT_EQ(w, 562);
    EXPECT_EQ(h, 270);
    EXPECT_EQ(host->Children(second), std::vector<Window>{window->Id()});
    host->MoveTo(window->Id(), 17, 19);
    int px = -1, py = -1;
    ASSERT_TRUE(window->PointerOver(px, py));
    EXPECT_EQ(px, 17);
    EXPECT_EQ(py, 19);
    host->MoveTo(second, 590, 290); // over the parent, outside the editor
    EXPECT_FALSE(window->PointerOver(px, py));
}
} // namespace

namespace
{
TEST(X11ServerLossTest, AServerThatGoesAwayLeavesTheHostRunningAndLaterCallsHarmless)
{
    X11PrivateServer server;
    ASSERT_TRUE(server.Start());
    X11TestDisplay host;
    X11Connection connection;
    ASSERT_TRUE(host.Ok());
    ASSERT_TRUE(connection.Ok()) << getenv("DISPLAY");
    Recorder recorder;
    X11Window window(connection, recorder);
    recorder.window = &window;
    ASSERT_TRUE(window.Create(host.MakeParent(0, 0, 600, 300), 0, 0, 562, 270));
    server.Kill();

    std::vector<uint32_t> buffer(562 * 270);
    EXPECT_FALSE(window.Present(buffer.data(), 562, 562, 270, 0, 0, 562, 270));
    connection.Dispatch();
    EXPECT_FALSE(connection.Ok());
    EXPECT_EQ(connection.Fd(), -1);
    window.TakeFocus();
    int x, y;
    EXPECT_FALSE(window.PointerOver(x, y));
    window.Destroy();
    X11Window late(connection, recorder);
    EXPECT_FALSE(late.Create(1, 0, 0, 10, 10));
}
} // namespace
