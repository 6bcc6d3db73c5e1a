// The built bundle's UI module as an LV2 host loads it (dlopen, lv2ui_descriptor) into a host window
// on the test run's Xvfb, driven through its idle interface: the editor's size, and what reaches
// the host through the write function and the touch feature.
#include "lv2/Lv2EditorLink.h"
#include "tests/lv2/Lv2TestHost.h"
#include "tests/support/X11TestDisplay.h"
#include "tests/vellicor/support/EditorLayout.h"
#include "vellicor/editor/controls/GRAPH.h"
#include "vellicor/editor/controls/IButtonGUI.h"
#include "vellicor/modules/lv2/MeterFeed.h"
#include "vellicor/plugin/VellicorIdentity.h"

#include "lv2/ui/ui.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace
{
namespace id = vellicor::identity;
constexpr uint32_t kFirstControlPort = 4; // after the stereo audio ports
constexpr uint32_t kControlPort = kFirstControlPort + kVellicorParamCount;

// What the UI told its host, in order: touches ('t' grabbed, 'u' released), float writes ('w') and
// atom writes ('a').
struct HostCall
{
    char kind;
    uint32_t port;
    float value;
    bool operator==(const HostCall&) const = default;
};

class Lv2EditorTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { layout = new EditorLayout(); }
    static void TearDownTestSuite() { delete layout; } // the module stays loaded, as hosts keep it

    void SetUp() override
    {
        std::string why;
        ASSERT_TRUE(X11TestDisplay::UseTestServer(&why)) << why;
        display = std::make_unique<X11TestDisplay>();
        ASSERT_TRUE(display->Ok());
        if (!library) library = dlopen(VELLICOR_LV2_BUNDLE "/vellicor_ui.so", RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
        ASSERT_NE(entry, nullptr);
        descriptor = entry(0);
        ASSERT_NE(descriptor, nullptr);
        EXPECT_STREQ(descriptor->URI, id::kLv2UiUri);
        EXPECT_EQ(entry(1), nullptr);
        idle = static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface));
        ASSERT_NE(idle, nullptr);

        parent = display->MakeParent(10, 10, 600, 300);
        touch = {this, [](LV2UI_Feature_Handle h, uint32_t port, bool grabbed) {
                     static_cast<Lv2EditorTest*>(h)->calls.push_back({grabbed ? 't' : 'u', port, 0.0f});
                 }};
        resize = {this, [](LV2UI_Feature_Handle h, int w, int height)
                  {
                      static_cast<Lv2EditorTest*>(h)->resized = {w, height};
                      return 0;
                  }};
        features = {{LV2_UI__parent, reinterpret_cast<void*>(parent)},
                    {LV2_URID__map, urids.Feature()},
                    {LV2_UI__touch, &touch},
                    {LV2_UI__resize, &resize}};
        for (LV2_Feature& f : features)
            featureList.push_back(&f);
        featureList.push_back(nullptr);
        Instantiate(id::kLv2Uri);
    }
    void TearDown() override
    {
        if (handle) descriptor->cleanup(handle);
    }
    // The editor of the plug-in uri (the UI serves the mono variant too), open and drawn.
    void Instantiate(const char* uri)
    {
        if (handle) descriptor->cleanup(handle);
        handle = descriptor->instantiate(descriptor, uri, VELLICOR_LV2_BUNDLE, &Write, this, &widget,
                                         featureList.data());
        ASSERT_NE(handle, nullptr);
        Idle(150);
        calls.clear();
    }
    // Drags the knob of index up by its own height.
    void DragUp(int32_t index)
    {
        const IArea k = layout->knob[index];
        display->MoveTo(Editor(), EditorLayout::CentreX(k), EditorLayout::CentreY(k));
        display->Press(1);
        Idle(60);
        display->MoveTo(Editor(), EditorLayout::CentreX(k), EditorLayout::CentreY(k) - k.H());
        Idle(60);
        display->Release(1);
        Idle(60);
    }

    static void Write(LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer)
    {
        auto* self = static_cast<Lv2EditorTest*>(c);
        if (protocol == 0 && size == sizeof(float))
            self->calls.push_back({'w', port, *static_cast<const float*>(buffer)});
        else if (protocol == self->urids.Map(LV2_ATOM__eventTransfer))
        {
            vellicor::lv2::EditorLinkUrids link;
            link.Map(self->urids.Feature(), id::kLv2Uri);
            const int32_t command = vellicor::lv2::ReadCommand(link, static_cast<const LV2_Atom*>(buffer));
            self->calls.push_back({'a', port, static_cast<float>(command)});
        }
    }
    // The host's idle calls for ms milliseconds, every 5 ms.
    void Idle(int ms)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end)
        {
            EXPECT_EQ(idle->idle(handle), 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    Window Editor() const { return static_cast<Window>(reinterpret_cast<uintptr_t>(widget)); }

    static EditorLayout* layout;
    static void* library;
    std::unique_ptr<X11TestDisplay> display;
    const LV2UI_Descriptor* descriptor = nullptr;
    const LV2UI_Idle_Interface* idle = nullptr;
    lv2test::UridMap urids;
    LV2UI_Touch touch{};
    LV2UI_Resize resize{};
    std::vector<LV2_Feature> features;
    std::vector<const LV2_Feature*> featureList;
    Window parent = 0;
    LV2UI_Handle handle = nullptr;
    LV2UI_Widget widget = nullptr;
    std::pair<int, int> resized{0, 0};
    std::vector<HostCall> calls;
};
EditorLayout* Lv2EditorTest::layout = nullptr;
void* Lv2EditorTest::library = nullptr;
} // namespace

TEST_F(Lv2EditorTest, OpensInTheParentAt562By270AndAsksTheHostForThatSize)
{
    const auto children = display->Children(parent);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(children.front(), Editor());
    EXPECT_EQ(resized, (std::pair<int, int>{562, 270}));
    int width = 0, height = 0;
    ASSERT_TRUE(display->Size(Editor(), &width, &height));
    EXPECT_EQ(width, 562);
    EXPECT_EQ(height, 270);
}

TEST_F(Lv2EditorTest, DraggingAKnobWritesItsPortBetweenTouchAndRelease)
{
    DragUp(kInputGain);
    const uint32_t port = kFirstControlPort + kInputGain;
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front(), (HostCall{'t', port, 0.0f}));
    EXPECT_EQ(calls.back(), (HostCall{'u', port, 0.0f}));
    for (size_t i = 1; i + 1 < calls.size(); ++i)
        EXPECT_EQ(calls[i], (HostCall{'w', port, 9.0f})) << "call " << i; // a quarter of -18..18 up
}

TEST_F(Lv2EditorTest, ForTheMonoVariantItWritesThatVariantsPorts)
{
    Instantiate(id::kLv2MonoUri);
    DragUp(kInputGain);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), (HostCall{'t', 2 + kInputGain, 0.0f})) << "one audio port each way";
}

TEST_F(Lv2EditorTest, MeterPanelClicksReachTheHostAsWritesAndCommands)
{
    // The meter click sets the target without an edit of its own: the release writes it.
    const int x = (GRAPH::kBarLeft.left + GRAPH::kBarLeft.right) / 2;
    display->Click(Editor(), x, EditorLayout::CentreY(GRAPH::kBarLeft), 1);
    Idle(100);
    const uint32_t target = kFirstControlPort + kTargetAttenuation;
    const float value = static_cast<float>(std::clamp(GRAPH::TargetForX(x), 0.0, 15.0));
    EXPECT_EQ(calls, (std::vector<HostCall>{{'t', target, 0.0f}, {'w', target, value}, {'u', target, 0.0f}}));

    // The reset button's peaks live in the DSP instance: the editor sends it the command.
    calls.clear();
    auto* gui = static_cast<IGraphics*>(layout->reference.GetGUI());
    IArea reset{};
    for (int32_t i = 0; i < gui->ControlCount() && reset.W() == 0; ++i)
        if (dynamic_cast<IButtonGUI*>(gui->GetControl(i))) reset = gui->GetControl(i)->Area();
    display->Click(Editor(), EditorLayout::CentreX(reset), EditorLayout::CentreY(reset), 1);
    Idle(100);
    EXPECT_NE(std::find(calls.begin(), calls.end(),
                        HostCall{'a', kControlPort, static_cast<float>(MeterFeed::kCommandResetPeaks)}),
              calls.end());
}
