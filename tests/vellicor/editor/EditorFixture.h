#pragma once
// The limiter on the test binding with its own editor (the headless layer the build gives it), the
// window open so that ticks paint into a readable frame.
#include "gui/IGraphicsHeadless.h"
#include "vellicor/editor/controls/GRAPH.h"
#include "vellicor/plugin/CLS_VELLICOR.h"

#include <gtest/gtest.h>

#include <memory>

namespace editortest
{
using Edit = ITestBinding::EditEvent;
using Kind = ITestBinding::EditKind;

// Channels of a frame pixel.
struct Rgb
{
    int r, g, b;
};
inline Rgb Channels(uint32_t p)
{
    return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
            static_cast<int>(p & 0xFF)};
}

class EditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(gui, nullptr) << "the plug-in's editor is not the headless layer";
        ASSERT_NE(gui->OpenWindow(&parent), nullptr);
        gui->Tick();
    }

    // What a user sees at (x, y) after the last tick.
    uint32_t Pixel(int32_t x, int32_t y) const { return gui->FramePixel(x, y); }
    double Value(int32_t index) { return plugin->GetParam(index)->value; }

    std::unique_ptr<CLS_VELLICOR> plugin = std::make_unique<CLS_VELLICOR>(ITestBinding::InstanceInfo{});
    IGraphicsHeadless* gui = dynamic_cast<IGraphicsHeadless*>(plugin->GetGUI());
    MeterData& meter = plugin->MeterPanel().Data();
    int parent = 0;
};
} // namespace editortest
