// Both built Windows modules in a small Windows host (under Wine, on the test run's Xvfb): the host
// loads each DLL through its entry point, opens the editor as a child of its own top-level window,
// runs the message loop that drives the editor's timer, gives real input through SendInput, reads
// the window's pixels back, and checks what reaches it (component handler or host callback) against
// the same limiter built in-process on the test binding. Audio through the DLLs is the module
// tests' part (vst3_module_tests, vst2_module_tests).
#include "gui/IGraphics.h"
#include "tests/support/Win32TestDisplay.h"
#include "tests/vellicor/modules/vst3/Vst3ModuleLoader.h"
#include "tests/vellicor/support/EditorLayout.h"
#include "tests/vst2/Vst2TestHost.h"
#include "vellicor/editor/controls/GRAPH.h"
#include "vellicor/plugin/VellicorParams.h"

#include "hostkit/Vst3HostObjects.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace
{
using namespace Steinberg;
using namespace Steinberg::Vst;

using Clock = std::chrono::steady_clock;

constexpr char kEditorClass[] = "IEffectWndClass";
constexpr UINT_PTR kEditorTimer = 2;

// One edit as the host saw it, whatever the format: 'b'egin, 'p'erform (VST2: automate), 'e'nd.
struct Edit
{
    char kind;
    double value; // perform only
};

std::string Show(const std::vector<Edit>& edits)
{
    std::string out;
    for (const Edit& e : edits)
        out += e.kind == 'p' ? "p(" + std::to_string(e.value) + ") " : std::string(1, e.kind) + " ";
    return out;
}

// One plug-in instance with its editor, as a Windows host holds it.
class HostedInstance
{
public:
    virtual ~HostedInstance() = default;
    virtual bool Ok() const = 0;
    virtual bool Open(HWND parent) = 0;
    virtual void Close() = 0;
    virtual std::vector<Edit> Edits(int32_t index) const = 0;
    virtual void ClearEdits() = 0;
    virtual double Normalized(int32_t index) = 0; // the instance's value, as the host reads it
    virtual HINSTANCE Module() const = 0;
};

// ---- VST3: GetPluginFactory, the combined component/controller, its view attached to an HWND ----
testhost::Module& Vst3Module()
{
    static testhost::Module* module = new testhost::Module(); // kept loaded, as a running host does
    return *module;
}

class Vst3Instance : public HostedInstance
{
public:
    Vst3Instance()
    {
        component = Vst3Module().Create<IComponent>();
        if (!component) return;
        component->initialize(&host);
        controller = hostkit::Query<IEditController>(component);
        if (controller) controller->setComponentHandler(&handler);
        if (controller) view = controller->createView(ViewType::kEditor);
    }
    ~Vst3Instance() override
    {
        if (view)
        {
            view->removed();
            view->release();
        }
        if (!component) return;
        if (controller)
        {
            controller->setComponentHandler(nullptr);
            controller->release();
        }
        component->terminate();
        component->release();
    }
    bool Ok() const override { return view != nullptr; }
    bool Open(HWND parent) override
    {
        return view->isPlatformTypeSupported(kPlatformTypeHWND) == kResultOk &&
               view->attached(parent, kPlatformTypeHWND) == kResultOk;
    }
    void Close() override { view->removed(); }
    std::vector<Edit> Edits(int32_t index) const override
    {
        std::vector<Edit> out;
        for (const auto& c : handler.calls)
            if (c.id == static_cast<ParamID>(index)) out.push_back({c.kind, c.value});
        return out;
    }
    void ClearEdits() override { handler.calls.clear(); }
    double Normalized(int32_t index) override
    {
        return controller->getParamNormalized(static_cast<ParamID>(index));
    }
    HINSTANCE Module() const override { return static_cast<HINSTANCE>(Vst3Module().Handle()); }

private:
    hostkit::HostApplication host{"Test Host"};
    hostkit::ComponentHandler handler;
    IComponent* component = nullptr;
    IEditController* controller = nullptr;
    IPlugView* view = nullptr;
};

// ---- VST2: VSTPluginMain, the effect record, effEditOpen with the HWND ----
std::string vst2Error;

hostkit::ModuleLibrary& Vst2Library()
{
    static hostkit::ModuleLibrary* library = []
    {
        auto* l = new hostkit::ModuleLibrary(); // kept loaded, as a running host does
        l->Open(VELLICOR_VST2_MODULE, vst2Error);
        return l;
    }();
    return *library;
}

class Vst2Instance : public HostedInstance
{
public:
    Vst2Instance()
    {
        const auto entry = Vst2Library().Entry<VstPluginMainProc>("VSTPluginMain");
        if (entry) effect = host.Create(entry);
        if (!effect) return;
        Dispatch(effect, effOpen);
        Dispatch(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
        Dispatch(effect, effSetBlockSize, 0, 512);
        Dispatch(effect, effMainsChanged, 0, 1);
    }
    ~Vst2Instance() override
    {
        if (!effect) return;
        Dispatch(effect, effEditClose);
        Dispatch(effect, effMainsChanged, 0, 0);
        Dispatch(effect, effClose);
    }
    bool Ok() const override { return effect != nullptr; }
    bool Open(HWND parent) override { return Dispatch(effect, effEditOpen, 0, 0, parent) == 1; }
    void Close() override { Dispatch(effect, effEditClose); }
    std::vector<Edit> Edits(int32_t index) const override
    {
        std::vector<Edit> out;
        for (const RecordedCall& c : host.calls)
        {
            if (c.effect != effect || c.index != index) continue;
            if (c.opcode == audioMasterBeginEdit) out.push_back({'b', 0.0});
            if (c.opcode == audioMasterAutomate) out.push_back({'p', c.opt});
            if (c.opcode == audioMasterEndEdit) out.push_back({'e', 0.0});
        }
        return out;
    }
    void ClearEdits() override { host.calls.clear(); }
    double Normalized(int32_t index) override { return effect->getParameter(effect, index); }
    HINSTANCE Module() const override { return static_cast<HINSTANCE>(Vst2Library().Handle()); }

private:
    Vst2TestHost host;
    AEffect* effect = nullptr;
};

enum class Format
{
    Vst3,
    Vst2
};

void PrintTo(Format f, std::ostream* out)
{
    *out << (f == Format::Vst3 ? "VST3" : "VST2");
}

class EditorHost : public ::testing::TestWithParam<Format>
{
protected:
    static void SetUpTestSuite() { layout = new EditorLayout(); }
    static void TearDownTestSuite()
    {
        delete layout;
        layout = nullptr;
    }
    void SetUp() override
    {
        display = std::make_unique<Win32TestDisplay>();
        a = Make();
        ASSERT_TRUE(a->Ok()) << "no instance with an editor view: " << Vst3Module().error << vst2Error;
        frameA = display->MakeParent(10, 10, 600, 300);
        ASSERT_NE(frameA, nullptr);
    }
    void TearDown() override
    {
        a.reset();
        display.reset();
    }
    std::unique_ptr<HostedInstance> Make() const
    {
        if (GetParam() == Format::Vst3) return std::make_unique<Vst3Instance>();
        return std::make_unique<Vst2Instance>();
    }
    // Opens a's editor in its frame and lets it draw.
    HWND Open()
    {
        if (!a->Open(frameA)) return nullptr;
        HWND editor = Win32TestDisplay::Child(frameA, kEditorClass);
        Win32TestDisplay::Pump(150);
        a->ClearEdits();
        return editor;
    }
    bool ClassRegistered() const
    {
        WNDCLASSEXA info{};
        info.cbSize = sizeof(info);
        return GetClassInfoExA(a->Module(), kEditorClass, &info) != 0;
    }
    // The reference editor's picture after drawing whatever changed, as 0x00RRGGBB.
    static std::vector<uint32_t> Reference(const IArea& r)
    {
        auto* gui = static_cast<IGraphics*>(layout->reference.GetGUI());
        IArea dirty;
        if (gui->CollectDirty(&dirty)) gui->DrawDirty(dirty);
        PIX_SysBitmap* b = gui->BackBuffer();
        std::vector<uint32_t> out;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                out.push_back(b->PixelData()[y * b->RowSpanPixels() + x] & 0xffffffu);
        return out;
    }
    static std::vector<uint32_t> Shown(HWND editor, const IArea& r)
    {
        return Win32TestDisplay::Pixels(editor, r.left, r.top, r.W(), r.H());
    }
    // Where two pictures of area r first differ, and how many pixels do.
    static std::string Difference(const IArea& r, const std::vector<uint32_t>& shown,
                                  const std::vector<uint32_t>& expected)
    {
        if (shown.size() != expected.size()) return "read " + std::to_string(shown.size()) + " pixels";
        size_t first = 0, count = 0;
        for (size_t i = 0; i < shown.size(); ++i)
        {
            if (shown[i] == expected[i]) continue;
            if (count++ == 0) first = i;
        }
        if (!count) return "";
        char text[160];
        std::snprintf(text, sizeof text, "%zu pixels differ, first at (%d, %d): shown %06x, expected %06x",
                      count, r.left + static_cast<int>(first % r.W()),
                      r.top + static_cast<int>(first / r.W()), shown[first], expected[first]);
        return text;
    }
    static int CentreX(const IArea& r) { return EditorLayout::CentreX(r); }
    static int CentreY(const IArea& r) { return EditorLayout::CentreY(r); }

    static EditorLayout* layout;
    std::unique_ptr<Win32TestDisplay> display;
    std::unique_ptr<HostedInstance> a;
    HWND frameA = nullptr;
};
EditorLayout* EditorHost::layout = nullptr;

// The editor's text asks for "Arial": on a machine without it, Wine must still give a TrueType face
// (Liberation Sans, metric-compatible) rather than a bitmap fallback.
TEST(WineDisplay, ArialResolvesToATrueTypeFace)
{
    HDC dc = GetDC(nullptr);
    ASSERT_NE(dc, nullptr) << "no display: the Windows tests run on the test run's Xvfb";
    HFONT font = CreateFontA(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
    HGDIOBJ old = SelectObject(dc, font);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, LF_FACESIZE, face);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    EXPECT_TRUE(std::strcmp(face, "Arial") == 0 || std::strcmp(face, "Liberation Sans") == 0) << face;
    EXPECT_NE(metrics.tmPitchAndFamily & TMPF_TRUETYPE, 0);
}

TEST_P(EditorHost, OpensAChildWindowThatShowsTheEditorsPictureAndRunsItsTimer)
{
    HWND editor = Open();
    ASSERT_NE(editor, nullptr) << "no child window of class " << kEditorClass;
    EXPECT_EQ(GetParent(editor), frameA);
    char title[32] = {};
    GetWindowTextA(editor, title, sizeof title);
    EXPECT_STREQ(title, "IEffect");
    RECT r;
    GetClientRect(editor, &r);
    EXPECT_EQ(r.right, 562);
    EXPECT_EQ(r.bottom, 270);
    // The whole window, read back from the screen, is what the reference editor draws without a
    // window: background, meter panel, knobs with their value texts, labels and buttons.
    auto* gui = static_cast<IGraphics*>(layout->reference.GetGUI());
    gui->MarkAllChanged();
    const IArea all{0, 0, 562, 270};
    EXPECT_EQ(Difference(all, Shown(editor, all), Reference(all)), "");

    // The editor's timer is id 2 on its own window, run by the host's message loop (its period: the
    // wheel test below).
    const int before = Win32TestDisplay::TimerMessages(editor, kEditorTimer);
    EXPECT_TRUE(Win32TestDisplay::PumpUntil(
        [&] { return Win32TestDisplay::TimerMessages(editor, kEditorTimer) > before; }, 1000));
}

TEST_P(EditorHost, DraggingAKnobByItsHeightSendsBeginPerformsAndEndAndRedrawsIt)
{
    HWND editor = Open();
    ASSERT_NE(editor, nullptr);
    const IArea k = layout->knob[kInputGain];
    ASSERT_TRUE(display->MoveTo(editor, CentreX(k), CentreY(k)));
    display->Press(Win32TestDisplay::kLeft);
    display->MoveTo(editor, CentreX(k), CentreY(k) - k.H() / 2);
    display->MoveTo(editor, CentreX(k), CentreY(k) - k.H());
    display->Release(Win32TestDisplay::kLeft);
    Win32TestDisplay::Pump(150);
    const auto edits = a->Edits(kInputGain);
    ASSERT_GE(edits.size(), 3u) << Show(edits);
    EXPECT_EQ(edits.front().kind, 'b') << Show(edits);
    EXPECT_EQ(edits.back().kind, 'e') << Show(edits);
    for (size_t i = 1; i + 1 < edits.size(); ++i)
        EXPECT_EQ(edits[i].kind, 'p') << Show(edits);
    // A quarter turn of the knob per its height: from the middle to three quarters.
    EXPECT_NEAR(edits[edits.size() - 2].value, 0.75, 1e-6) << Show(edits);
    EXPECT_NEAR(a->Normalized(kInputGain), 0.75, 1e-6);
    // The knob and its value text, redrawn on the ticks since, are the reference's at that value.
    layout->reference.SetParamFromHost(kInputGain, 0.75);
    EXPECT_EQ(Difference(k, Shown(editor, k), Reference(k)), "");
    layout->reference.SetParamFromHost(kInputGain, 0.5);
}

TEST_P(EditorHost, AWheelNotchSendsBeginAndPerformAtOnceAndTheEndHalfASecondLater)
{
    HWND editor = Open();
    ASSERT_NE(editor, nullptr);
    const IArea k = layout->knob[kStereoLink];
    ASSERT_TRUE(display->MoveTo(editor, CentreX(k), CentreY(k)));
    // Counted in the editor's own timer messages as this loop dispatches them: the end comes with
    // the twelfth after the wheel message (max(1, 24 / 2)). Ticks come no faster than every
    // trunc(1000 / 24) = 41 ms, however late the loop runs.
    int ticksAtEdit = -1, ticksAtEnd = -1;
    Clock::time_point editTime, endTime;
    Win32TestDisplay::SetAfterDispatch(
        [&](const MSG& m)
        {
            if (m.hwnd != editor) return;
            const size_t n = a->Edits(kStereoLink).size();
            if (ticksAtEdit < 0 && n >= 2)
            {
                ticksAtEdit = Win32TestDisplay::TimerMessages(editor, kEditorTimer);
                editTime = Clock::now();
            }
            if (ticksAtEnd < 0 && n >= 3)
            {
                ticksAtEnd = Win32TestDisplay::TimerMessages(editor, kEditorTimer);
                endTime = Clock::now();
            }
        });
    display->Wheel(WHEEL_DELTA);
    auto edits = a->Edits(kStereoLink);
    EXPECT_EQ(edits.size(), 2u) << "begin and perform come with the wheel message: " << Show(edits);
    Win32TestDisplay::PumpUntil([&] { return ticksAtEnd >= 0; }, 5000);
    Win32TestDisplay::SetAfterDispatch(nullptr);
    edits = a->Edits(kStereoLink);
    ASSERT_EQ(edits.size(), 3u) << Show(edits);
    EXPECT_EQ(edits[0].kind, 'b');
    EXPECT_EQ(edits[1].kind, 'p');
    EXPECT_NEAR(edits[1].value, 0.71, 1e-6);
    EXPECT_EQ(edits[2].kind, 'e');
    // Due 12 periods of 41 ms after the notch by the clock: on the first tick from then on (the
    // twelfth or thirteenth, as the timer's phase falls), so never sooner than about ten periods.
    // A tick already due at the notch but dispatched after it, as on a busy machine, counts one more.
    EXPECT_GE(ticksAtEnd - ticksAtEdit, 11);
    EXPECT_LE(ticksAtEnd - ticksAtEdit, 14);
    const double ms = std::chrono::duration<double, std::milli>(endTime - editTime).count();
    EXPECT_GE(ms, 10 * 41.0);
}

TEST_P(EditorHost, RightClickOpensTheEntryBoxAndTypingTwelveAndReturnSetsTheValue)
{
    HWND editor = Open();
    ASSERT_NE(editor, nullptr);
    const IArea k = layout->knob[kInputGain];
    display->Click(editor, CentreX(k), CentreY(k), Win32TestDisplay::kRight);
    HWND entry = nullptr;
    Win32TestDisplay::PumpUntil([&] { return (entry = Win32TestDisplay::Child(editor, "EDIT")) != nullptr; });
    ASSERT_NE(entry, nullptr) << "no EDIT child over the editor";
    EXPECT_EQ(GetDlgCtrlID(entry), 99);
    EXPECT_EQ(static_cast<uint32_t>(GetWindowLongPtrA(entry, GWLP_USERDATA)), 0xDEADF00Bu);
    EXPECT_EQ(GetFocus(), entry);
    a->ClearEdits(); // the right press and release are a gesture of their own
    display->Type("12");
    display->Key(VK_RETURN);
    Win32TestDisplay::PumpUntil([&] { return !IsWindow(entry); }, 1000);
    EXPECT_FALSE(IsWindow(entry)) << "the entry box closes on the tick after Return";
    // -18..18 dB: 12 dB is 30 / 36 of the way, in one gesture; the closing box sends nothing more.
    const auto edits = a->Edits(kInputGain);
    ASSERT_EQ(edits.size(), 3u) << Show(edits);
    EXPECT_EQ(edits[0].kind, 'b') << Show(edits);
    EXPECT_EQ(edits[1].kind, 'p') << Show(edits);
    EXPECT_NEAR(edits[1].value, 30.0 / 36.0, 1e-6) << Show(edits);
    EXPECT_EQ(edits[2].kind, 'e') << Show(edits);
    EXPECT_NEAR(a->Normalized(kInputGain), 30.0 / 36.0, 1e-6);
}

TEST_P(EditorHost, AClickOnTheMeterPanelSetsTheTargetAttenuation)
{
    HWND editor = Open();
    ASSERT_NE(editor, nullptr);
    const int x = (GRAPH::kBarLeft.left + GRAPH::kBarLeft.right) / 2;
    display->Click(editor, x, CentreY(GRAPH::kBarLeft));
    Win32TestDisplay::Pump(100);
    const double target = std::clamp(GRAPH::TargetForX(x), 0.0, 15.0);
    const double expected = layout->reference.GetParam(kTargetAttenuation)->ToNormalized(target);
    ASSERT_GT(std::abs(expected - layout->reference.GetParam(kTargetAttenuation)->NormalizedValue()), 0.05)
        << "pick a place that changes the default";
    EXPECT_NEAR(a->Normalized(kTargetAttenuation), expected, 1e-6);
}

TEST_P(EditorHost, TwoEditorsShareTheWindowClassUntilTheLastCloses)
{
    ASSERT_NE(Open(), nullptr);
    auto b = Make();
    ASSERT_TRUE(b->Ok());
    HWND frameB = display->MakeParent(40, 330, 600, 300);
    ASSERT_TRUE(b->Open(frameB));
    HWND editorB = Win32TestDisplay::Child(frameB, kEditorClass);
    ASSERT_NE(editorB, nullptr);
    HWND editorA = Win32TestDisplay::Child(frameA, kEditorClass);
    EXPECT_EQ(GetClassLongPtrA(editorA, GCW_ATOM), GetClassLongPtrA(editorB, GCW_ATOM));
    EXPECT_TRUE(ClassRegistered());

    a->Close();
    EXPECT_FALSE(IsWindow(editorA));
    EXPECT_TRUE(ClassRegistered()) << "the other editor still uses the class";
    // The remaining editor still works: a wheel notch over a knob edits its own instance.
    const IArea k = layout->knob[kOutLimit];
    ASSERT_TRUE(display->MoveTo(editorB, CentreX(k), CentreY(k)));
    display->Wheel(-WHEEL_DELTA);
    Win32TestDisplay::Pump(60);
    EXPECT_FALSE(b->Edits(kOutLimit).empty());
    EXPECT_TRUE(a->Edits(kOutLimit).empty());

    b->Close();
    EXPECT_FALSE(IsWindow(editorB));
    EXPECT_FALSE(ClassRegistered()) << "the last editor to close unregisters the class";
    // And a new editor registers it again.
    ASSERT_NE(Open(), nullptr);
    EXPECT_TRUE(ClassRegistered());
}

INSTANTIATE_TEST_SUITE_P(Modules, EditorHost, ::testing::Values(Format::Vst3, Format::Vst2),
                         [](const ::testing::TestParamInfo<Format>& info)
                         { return info.param == Format::Vst3 ? "Vst3" : "Vst2"; });
} // namespace
