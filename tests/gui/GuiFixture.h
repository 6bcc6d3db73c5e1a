#pragma once
// A plug-in on the test binding with an attached headless editor, and a probe control that
// records what the core asks of it.
#include "core/IParamSlot.h"
#include "drawing/PIX_MemBitmap.h"
#include "drawing/PIX_Resources.h"
#include "gui/IGraphicsHeadless.h"
#include "gui/IKnobControl.h"
#include "gui/PngWriter.h"
#include "tests/support/TempPath.h"
#include "tests/support/TestPlugin.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace guitest
{
using Edit = ITestBinding::EditEvent;
using Kind = ITestBinding::EditKind;

// Test artwork, made here and saved through the PNG writer, then found by id like module resources:
// 100 a 20 x 10 picture whose pixel (x, y) is Background(x, y); 101 a 4 x 12 vertical strip of three
// opaque frames, red, green and blue.
constexpr int32_t kBackgroundId = 100, kStripId = 101;
inline uint32_t Background(int32_t x, int32_t y)
{
    return 0xFF000000u | uint32_t(x * 12) << 16 | uint32_t(y * 25) << 8 | 0x33u;
}
inline const uint32_t kStripColours[3] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};

inline std::vector<unsigned char> PngBytes(PIX_MemBitmap& bitmap, const char* name)
{
    const std::string path = TempPath(name);
    EXPECT_TRUE(WritePngFile(&bitmap, path.c_str()));
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    return bytes;
}

inline void RegisterTestArtwork()
{
    static bool done = false;
    if (done) return;
    done = true;
    PIX_MemBitmap bg(20, 10, 4), strip(4, 12, 4);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 20; ++x)
            bg.PixelData()[y * bg.RowSpanPixels() + x] = Background(x, y);
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 4; ++x)
            strip.PixelData()[y * strip.RowSpanPixels() + x] = kStripColours[y / 4];
    static std::vector<unsigned char> bgBytes = PngBytes(bg, "gui_bg.png");
    static std::vector<unsigned char> stripBytes = PngBytes(strip, "gui_strip.png");
    static PIX_ResourceEntry entries[] = {{kBackgroundId, bgBytes.data(), bgBytes.size()},
                                          {kStripId, stripBytes.data(), stripBytes.size()}};
    static PIX_ResourceTable table{entries, 2, nullptr};
    PIX_RegisterResources(&table);
}

// Records renders and events; draws nothing.
class ProbeControl : public IControl
{
public:
    ProbeControl(IEffectBase* plug, const IArea& a, int32_t param = -1,
                 std::vector<std::string>* log = nullptr, const char* name = "")
        : IControl(plug, a, param), log(log), name(name)
    {
    }
    bool Render(IGraphics*) override
    {
        ++renders;
        if (log) log->push_back(name);
        return true;
    }
    void PressAt(int32_t x, int32_t y, const IMouseMods& mods) override
    {
        ++presses;
        IControl::PressAt(x, y, mods);
    }
    void ReleaseAt(int32_t, int32_t, const IMouseMods&) override { ++releases; }
    void DragBy(int32_t x, int32_t y, int32_t dx, int32_t dy, const IMouseMods&) override
    {
        drags.push_back({x, y, dx, dy});
    }
    void KeyAt(int32_t, int32_t, int32_t code) override { keys.push_back(code); }
    void WheelAt(int32_t x, int32_t y, const IMouseMods& mods, int32_t notches) override
    {
        wheels.push_back(notches);
        IControl::WheelAt(x, y, mods, notches);
    }

    std::vector<std::string>* log;
    const char* name;
    int renders = 0, presses = 0, releases = 0;
    std::vector<IArea> drags; // x, y, dx, dy
    std::vector<int32_t> keys, wheels;
};

// Fills its area with a colour that follows its value, so the picture shows what was drawn.
class Swatch : public IControl
{
public:
    using IControl::IControl;
    bool Render(IGraphics* g) override
    {
        const int32_t v = static_cast<int32_t>(value * 255.0);
        return g->FillArea({255, v, 255 - v, (v * 7) & 255}, area, nullptr);
    }
};

// The drag rule of knobs alone.
class TestKnob : public IKnobControl
{
public:
    using IKnobControl::IKnobControl;
    bool Render(IGraphics*) override { return true; }
};

// Three parameters: 0 real 0..100 step 0.1 "Gain", 1 integer 0..15, 2 a named choice of four.
class GuiTestEffect : public TestPlugin
{
public:
    GuiTestEffect() : TestPlugin(3)
    {
        GetParam(0)->InitReal("Gain", 50.0, 0.0, 100.0, 0.1, "%");
        GetParam(1)->InitInteger("Steps", 3, 0, 15, "");
        IParamSlot* mode = GetParam(2);
        mode->kind = IParamSlot::kIntegerB;
        mode->InitInteger("Mode", 0, 0, 3, "");
        for (int i = 0; i < 4; ++i)
        {
            const char* names[] = {"Soft", "Hard", "Clip", "Soft"};
            mode->AddDisplayText(i, names[i]);
        }
    }
};

// An editor of 200 x 100 attached to its plug-in and opened.
class EditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterTestArtwork();
        gui = new IGraphicsHeadless(&plug, 200, 100);
    }
    void TearDown() override
    {
        if (plug.GetGUI() != gui) delete gui;
    }
    // Adds the controls first, then attaches and opens, as the plug-in definition does.
    void Open()
    {
        plug.AttachEditor(gui);
        ASSERT_NE(gui->OpenWindow(reinterpret_cast<void*>(0x1)), nullptr);
        gui->Tick(2); // everything, then the controls the attach set from the plug-in once more
        plug.edits.clear();
    }
    ProbeControl* Probe(const IArea& a, int32_t param = -1, const char* name = "")
    {
        auto* c = new ProbeControl(&plug, a, param, &log, name);
        gui->AddControl(c);
        return c;
    }

    GuiTestEffect plug;
    IGraphicsHeadless* gui = nullptr; // owned by plug once attached
    std::vector<std::string> log;
};

inline IMouseMods Left()
{
    return {true, false, false, false, false};
}
inline IMouseMods Right()
{
    return {false, true, false, false, false};
}
inline IMouseMods LeftShift()
{
    return {true, false, true, false, false};
}
} // namespace guitest
