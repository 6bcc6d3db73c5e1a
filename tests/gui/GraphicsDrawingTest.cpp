// What the drawing operations put into the frame: clipping rules, film strips, text and fonts, crops.
#include "drawing/PIX_CachedFont.h"
#include "drawing/PIX_Png.h"
#include "gui/IBitmapControl.h"
#include "gui/IGraphicsCaches.h"
#include "gui/ITextControl.h"
#include "tests/gui/GuiFixture.h"

#include <climits>
#include <functional>
#include <memory>

using namespace guitest;

namespace
{
// Runs a drawing callback as its Render.
class Painter : public IControl
{
public:
    Painter(IEffectBase* plug, const IArea& a, std::function<bool(IGraphics*, IControl&)> f)
        : IControl(plug, a), draw(std::move(f))
    {
    }
    bool Render(IGraphics* g) override { return draw(g, *this); }
    std::function<bool(IGraphics*, IControl&)> draw;
};
} // namespace

using DrawingTest = EditorTest;

TEST_F(DrawingTest, BackgroundAndPartsAreClippedToTheUpdateArea)
{
    gui->AddBackground(kBackgroundId, "bg");
    IBitmapRef bg;
    gui->AddControl(new Painter(&plug, {100, 50, 120, 60},
                                [&](IGraphics* g, IControl& c)
                                { return g->DrawBitmapPart(bg, c.Area(), 0, 0, nullptr); }));
    bg = gui->LoadBitmap(kBackgroundId, "bg");
    ASSERT_EQ(gui->GetControl(0)->Area(), (IArea{0, 0, 20, 10})) << "the background goes first";
    Open();
    EXPECT_EQ(gui->FramePixel(19, 9), Background(19, 9));
    EXPECT_EQ(gui->FramePixel(105, 55), Background(5, 5));

    // Repaint only the left half of the part over a cleared frame: the right half stays untouched.
    gui->FillArea(IRgba{255, 0, 0, 0}, {0, 0, 200, 100}, nullptr);
    gui->GetControl(1)->MarkChanged(false);
    gui->DrawDirty({100, 50, 110, 60});
    const auto back = [&](int32_t x, int32_t y)
    { return gui->BackBuffer()->PixelData()[y * gui->BackBuffer()->RowSpanPixels() + x]; };
    EXPECT_EQ(back(109, 59), Background(9, 9));
    EXPECT_EQ(back(110, 50), 0xFF000000u) << "outside the update area";
    EXPECT_EQ(gui->FramePixel(110, 50), Background(10, 0)) << "only the update area is presented";
}

TEST_F(DrawingTest, FilmStripShowsTheFrameOfItsValue)
{
    auto* strip = new IBitmapControl(&plug, {10, 10, 14, 14}, 0, gui->LoadBitmap(kStripId, "strip", 3));
    gui->AddControl(strip);
    Open(); // value 0.5 from the plug-in: the middle frame
    EXPECT_EQ(gui->FramePixel(12, 12), kStripColours[1]);
    plug.SetParamFromHost(0, 1.0);
    gui->Tick();
    EXPECT_EQ(gui->FramePixel(12, 12), kStripColours[2]);
}

TEST_F(DrawingTest, DrawingAnywhereStaysInsideTheBackBuffer)
{
    IBitmapRef bg;
    gui->AddControl(
        new Painter(&plug, {0, 0, 200, 100},
                    [&](IGraphics* g, IControl&)
                    {
                        g->FillArea(IRgba{255, 1, 2, 3}, {INT_MIN / 2, -50, INT_MAX / 2, 5}, nullptr);
                        g->DrawBitmapPart(bg, {-30, -30, 5000, 5000}, -7, 3, nullptr);
                        g->DrawRotatedBitmap(bg, -100000, 50, 1.0, nullptr);
                        g->DrawRotatedBitmap(bg, 199, 99, 0.3, nullptr);
                        g->DrawLine(IRgba{}, -1e9f, -1e9f, 1e9f, 1e9f, nullptr, true);
                        g->DrawBitmapFrame(bg, {0, 0, 20, 10}, 99, nullptr, true);
                        g->DrawBitmapPart(IBitmapRef{}, {0, 0, 20, 20}, 0, 0, nullptr);
                        return true;
                    }));
    bg = gui->LoadBitmap(kBackgroundId, "bg");
    Open();
    EXPECT_EQ(gui->FramePixel(100, 2), 0xFF010203u);
    gui->DrawDirty({-100, -100, 1000, 1000}); // a platform's update area beyond the window
}

TEST_F(DrawingTest, RotationByZeroReproducesTheBitmapAroundItsCentreShiftedByTheFractionalOffset)
{
    // The knob's source offset runs from 0 to -1 pixel: a half pixel samples halfway between
    // neighbours, not the unshifted picture.
    IBitmapRef bg;
    float shift = 0.0f;
    gui->AddControl(new Painter(&plug, {40, 40, 60, 50},
                                [&](IGraphics* g, IControl&)
                                { return g->DrawRotatedBitmap(bg, 50, 45, 0.0, nullptr, shift, shift); }));
    bg = gui->LoadBitmap(kBackgroundId, "bg");
    Open();
    EXPECT_EQ(gui->FramePixel(40, 40), Background(0, 0));
    const struct
    {
        float shift;
        double red, green; // at (57, 47): source (17, 7) moved by the shift
    } cases[] = {{0.0f, 17 * 12, 7 * 25}, {-0.5f, 16.5 * 12, 6.5 * 25}, {-1.0f, 16 * 12, 6 * 25}};
    for (const auto& c : cases)
    {
        shift = c.shift;
        gui->MarkAllChanged();
        gui->Tick();
        const uint32_t p = gui->FramePixel(57, 47);
        EXPECT_NEAR((p >> 16) & 0xFF, c.red, 1.0) << "shift " << c.shift;
        EXPECT_NEAR((p >> 8) & 0xFF, c.green, 1.0) << "shift " << c.shift;
    }
}

TEST_F(DrawingTest, CroppedBitmapsCopyTheAreaAndLiveInTheCache)
{
    const IBitmapRef bg = gui->LoadBitmap(kBackgroundId, "bg", 2);
    const int32_t before = IGraphicsCaches::BitmapCount();
    const IBitmapRef crop = gui->CropBitmap(bg, {5, 2, 9, 8});
    ASSERT_NE(crop.bitmap, nullptr);
    EXPECT_EQ(crop.width, 4);
    EXPECT_EQ(crop.height, 6);
    EXPECT_EQ(crop.frames, 2);
    EXPECT_EQ(crop.bitmap->PixelData()[1 * crop.bitmap->RowSpanPixels() + 3], Background(8, 3));
    EXPECT_EQ(IGraphicsCaches::BitmapCount(), before + 1);
    EXPECT_EQ(gui->CropBitmap(bg, {5, 5, 5, 9}).bitmap, nullptr) << "an empty area crops nothing";
}

TEST_F(DrawingTest, TextDrawsInSharedFontsAndFailsOnlyWithoutAFont)
{
    const IRgba white{255, 255, 255, 255};
    auto* label = new ITextControl(&plug, {10, 10, 110, 40}, ITextStyle("NoSuchFace", 20, white), "Mg");
    gui->AddControl(label);
    Open();
    uint32_t lit = 0;
    for (int32_t y = 10; y < 40; ++y)
        for (int32_t x = 10; x < 60; ++x)
            lit |= gui->FramePixel(x, y) & 0x00FFFFFF;
    EXPECT_NE(lit, 0u) << "a missing face draws in a substitute";

    GuiTestEffect other;
    IGraphicsHeadless second(&other, 50, 50);
    second.PrepareBackBuffer();
    ITextStyle sameKey("NoSuchFace", 20, IRgba{128, 0, 0, 255}, 0, ITextStyle::kAlignRight);
    EXPECT_TRUE(second.DrawStyledText(sameKey, "x", {0, 0, 50, 50}));
    EXPECT_EQ(sameKey.font, label->Style().font) << "colour and alignment are not part of the key";

#if !defined(_WIN32) // GDI makes a font of any height; only the Linux layer refuses one
    ITextStyle huge("DejaVu Sans", 1000000, white);
    EXPECT_FALSE(second.DrawStyledText(huge, "x", {0, 0, 50, 50}));
    EXPECT_EQ(huge.font, nullptr) << "creation is tried again on the next draw";
    EXPECT_TRUE(second.DrawStyledText(huge, "", {0, 0, 50, 50}));
#endif
}

TEST(PngWriter, FrameRoundTripsThroughTheLoader)
{
    PIX_MemBitmap frame(7, 3, 4);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 7; ++x)
            frame.PixelData()[y * frame.RowSpanPixels() + x] =
                (uint32_t(x * 30 + y) << 24) | (Background(x, y) & 0xFFFFFF);
    const std::vector<unsigned char> bytes = PngBytes(frame, "gui_roundtrip.png");
    std::unique_ptr<PIX_IBitmap> back(LoadPngFromMemory(bytes.data(), bytes.size(), nullptr));
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->PixelWidth(), 7);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 7; ++x)
            EXPECT_EQ(back->PixelData()[y * back->RowSpanPixels() + x],
                      frame.PixelData()[y * frame.RowSpanPixels() + x]);

    PIX_MemBitmap empty;
    EXPECT_FALSE(WritePngFile(&empty, (::testing::TempDir() + "gui_empty.png").c_str()));
    EXPECT_FALSE(WritePngFile(&frame, "/nonexistent-dir/x.png"));
}
