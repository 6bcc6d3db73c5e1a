// Seeded random input on the limiter's editor, through one binding's host notifications (built once
// for VST3 and once for VST2): whatever the order of presses, drags, releases, double clicks, right
// clicks, wheel turns, typed entries, Return, cancels, lost captures and closing, the host's record
// keeps the gesture rules. Every begin is ended once; no end comes without its begin; no begin comes
// inside an open gesture on the same parameter; VST3 also sees no edit outside a gesture.
#include "gui/IGraphicsHeadless.h"
#include "vellicor/plugin/CLS_VELLICOR.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#if defined(VELLICOR_GESTURES_VST3)
#include "tests/vst3/TestHost.h"
#define GESTURE_SUITE Vst3Gestures
#else
#include "tests/vst2/Vst2TestHost.h"
#define GESTURE_SUITE Vst2Gestures
#endif

namespace
{
struct HostEvent
{
    char kind; // 'b'egin, 'e'dit, 'E'nd
    int32_t index;
};

#if defined(VELLICOR_GESTURES_VST3)
// The limiter on the VST3 binding; the host's component handler records.
class Host
{
public:
    static constexpr bool kEditsNeedGesture = true;
    Host()
    {
        plugin->initialize(&app);
        plugin->setComponentHandler(&handler);
    }
    ~Host()
    {
        plugin->terminate();
        plugin->release();
    }
    std::vector<HostEvent> Events() const
    {
        std::vector<HostEvent> out;
        for (const auto& c : handler.calls)
            out.push_back({c.kind == 'b' ? 'b' : c.kind == 'p' ? 'e' : 'E', static_cast<int32_t>(c.id)});
        return out;
    }
    CLS_VELLICOR* plugin = new CLS_VELLICOR(IEffectVST3::InstanceInfo{});

private:
    hostkit::HostApplication app{"gestures"};
    hostkit::ComponentHandler handler;
};
#else
// The limiter on the VST2 binding; the host callback records.
class Host
{
public:
    static constexpr bool kEditsNeedGesture = false; // VST2 hosts take automation at any time
    ~Host() { delete plugin; }
    std::vector<HostEvent> Events() const
    {
        std::vector<HostEvent> out;
        for (const RecordedCall& c : host.calls)
        {
            if (c.opcode == audioMasterBeginEdit) out.push_back({'b', c.index});
            if (c.opcode == audioMasterAutomate) out.push_back({'e', c.index});
            if (c.opcode == audioMasterEndEdit) out.push_back({'E', c.index});
        }
        return out;
    }

private:
    Vst2TestHost host; // constructed first: the plug-in's calls reach the host made last

public:
    CLS_VELLICOR* plugin = new CLS_VELLICOR(IEffectVST::InstanceInfo{&hostkit::Vst2Host::Callback, nullptr});
};
#endif

// The first broken rule in a host's record, or "" when it keeps them all.
std::string BrokenRule(const std::vector<HostEvent>& events, bool editsNeedGesture)
{
    std::map<int32_t, bool> open;
    for (size_t i = 0; i < events.size(); ++i)
    {
        const HostEvent& e = events[i];
        const std::string at =
            " (host event " + std::to_string(i) + ", parameter " + std::to_string(e.index) + ")";
        if (e.kind == 'b' && open[e.index]) return "a begin inside an open gesture" + at;
        if (e.kind == 'E' && !open[e.index]) return "an end without its begin" + at;
        if (e.kind == 'e' && editsNeedGesture && !open[e.index]) return "an edit outside any gesture" + at;
        if (e.kind != 'e') open[e.index] = e.kind == 'b';
    }
    for (const auto& [index, isOpen] : open)
        if (isOpen) return "a begin never ended, parameter " + std::to_string(index);
    return "";
}

TEST(GESTURE_SUITE, RandomInputKeepsEveryGesturePairedOnItsParameter)
{
    // Where input lands: every knob, both meter bars, the reset and memory buttons, the logo and
    // the bare background.
    std::vector<std::pair<int32_t, int32_t>> spots;
    {
        Host layout;
        auto* gui = static_cast<IGraphics*>(layout.plugin->GetGUI());
        for (int32_t i = 0; i < gui->ControlCount(); ++i)
            if (const IArea& a = gui->GetControl(i)->Area(); gui->GetControl(i)->ParamIndex() >= 0)
                spots.push_back({(a.left + a.right) / 2, (a.top + a.bottom) / 2});
    }
    ASSERT_EQ(spots.size(), 7u) << "one spot per knob";
    spots.insert(spots.end(), {{370, 169}, {320, 186}, {370, 143}, {370, 244}, {60, 200}, {540, 250}});

    const IMouseMods left{true, false, false, false, false}, right{false, true, false, false, false};
    const char* typed[] = {"12", "-3.5", "abc", ""};
    int64_t hostEvents = 0;
    for (uint32_t seed = 1; seed <= 150; ++seed)
    {
        Host host;
        auto* gui = dynamic_cast<IGraphicsHeadless*>(host.plugin->GetGUI());
        ASSERT_NE(gui, nullptr);
        int parent = 0;
        ASSERT_NE(gui->OpenWindow(&parent), nullptr);
        std::mt19937 random(seed);
        auto pick = [&](int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); };
        std::vector<std::string> done;
        for (int step = 0; step < 60; ++step)
        {
            const auto [x, y] = spots[static_cast<size_t>(pick(static_cast<int>(spots.size())))];
            std::ostringstream what;
            switch (pick(14))
            {
            case 0:
            case 1:
                gui->OnLeftButtonDown(x, y, left);
                what << "left press " << x << "," << y;
                break;
            case 2:
                gui->OnRightButtonDown(x, y, right);
                what << "right press " << x << "," << y;
                break;
            case 3:
            case 4:
                gui->OnPointerMove(x + pick(9) - 4, y + pick(41) - 20, left);
                what << "drag near " << x << "," << y;
                break;
            case 5:
            case 6:
                gui->OnButtonUp(x, y, pick(2) ? left : right);
                what << "release " << x << "," << y;
                break;
            case 7:
                gui->OnDoubleClick(x, y, left);
                what << "double click " << x << "," << y;
                break;
            case 8:
                gui->OnWheel(x, y, {}, pick(2) ? 120 : -120);
                what << "wheel " << x << "," << y;
                break;
            case 9:
                gui->TypeIntoPopup(typed[pick(4)]);
                what << "type";
                break;
            case 10:
                if (pick(2))
                    gui->PressReturnInPopup();
                else
                    gui->OnPopupFocus(pick(2) != 0);
                what << "Return or focus";
                break;
            case 11:
                gui->Tick(1 + pick(14)); // the wheel's end falls due after 12
                what << "ticks";
                break;
            case 12:
                gui->OnCaptureLost();
                what << "capture lost";
                break;
            default:
                if (pick(3) == 0)
                {
                    gui->CloseWindow();
                    gui->OpenWindow(&parent);
                    what << "close and reopen";
                }
                else
                {
                    gui->Tick();
                    what << "tick";
                }
                break;
            }
            done.push_back(what.str());
        }
        gui->CloseWindow();
        const std::vector<HostEvent> events = host.Events();
        hostEvents += static_cast<int64_t>(events.size());
        const std::string broken = BrokenRule(events, Host::kEditsNeedGesture);
        if (!broken.empty())
        {
            std::string input;
            for (const std::string& d : done)
                input += "\n  " + d;
            FAIL() << "seed " << seed << ": " << broken << "; input:" << input;
        }
    }
    EXPECT_GT(hostEvents, 150 * 10) << "the input reached the host";
}

TEST(GESTURE_SUITE, TheRuleCheckFindsEachBrokenRule)
{
    const struct
    {
        std::vector<HostEvent> events;
        bool editsNeedGesture;
        const char* broken; // start of the message, "" for none
    } cases[] = {
        {{{'b', 0}, {'e', 0}, {'E', 0}, {'e', 1}}, false, ""},
        {{{'b', 0}, {'b', 1}, {'E', 0}, {'E', 1}}, true, ""},
        {{{'b', 0}, {'b', 0}, {'E', 0}}, false, "a begin inside"},
        {{{'E', 2}}, false, "an end without"},
        {{{'b', 0}, {'E', 0}, {'E', 0}}, false, "an end without"},
        {{{'e', 1}}, true, "an edit outside"},
        {{{'b', 3}}, false, "a begin never ended"},
    };
    for (const auto& c : cases)
    {
        const std::string broken = BrokenRule(c.events, c.editsNeedGesture);
        if (*c.broken)
            EXPECT_EQ(broken.rfind(c.broken, 0), 0u)
                << "expected \"" << c.broken << "\", found \"" << broken << "\"";
        else
            EXPECT_EQ(broken, "");
    }
}
} // namespace
