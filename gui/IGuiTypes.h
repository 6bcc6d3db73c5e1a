#pragma once
// The small value types shared by the graphics core, the controls and the window layers.
#include <cstdint>

class PIX_IBitmap;
class PIX_CachedFont;

// Right and bottom are exclusive for drawing, inclusive for hit tests. All zero = empty.
struct IArea
{
    int32_t left = 0, top = 0, right = 0, bottom = 0;

    bool IsEmpty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    int32_t W() const { return right - left; }
    int32_t H() const { return bottom - top; }
    bool Contains(int32_t x, int32_t y) const { return left <= x && x <= right && top <= y && y <= bottom; }
    // Strict overlap, as the redraw and intersection rules use it.
    bool Overlaps(const IArea& b) const
    {
        return b.left < right && left < b.right && b.top < bottom && top < b.bottom;
    }
    IArea Union(const IArea& b) const;
    IArea Intersect(const IArea& b) const;
    bool operator==(const IArea&) const = default;
};

struct IRgba
{
    int32_t a = 255, r = 0, g = 0, b = 0;

    // The drawing library's pixel word 0xAARRGGBB; channels outside 0..255 are cut to 8 bits.
    uint32_t Packed() const
    {
        return (static_cast<uint32_t>(a & 0xFF) << 24) | (static_cast<uint32_t>(r & 0xFF) << 16) |
               (static_cast<uint32_t>(g & 0xFF) << 8) | static_cast<uint32_t>(b & 0xFF);
    }
};

struct ITextStyle
{
    enum : int32_t
    {
        kBold = 1 << 0,
        kItalic = 1 << 1,
    };
    enum Align : int32_t
    {
        kAlignLeft = 0,
        kAlignCentre = 1,
        kAlignRight = 2,
    };
    enum Quality : int32_t
    {
        kQualityDefault = 0,
        kQualityPlain = 1,
        kQualityAntialiased = 2,
        kQualityClearType = 3,
    };
    static constexpr int kFaceSize = 32;

    char face[kFaceSize] = "Arial";
    int32_t size = 14; // font height handed to the font creation
    IRgba colour;
    int32_t style = 0;
    int32_t align = kAlignLeft;
    int32_t orientation = 0; // degrees
    int32_t quality = kQualityDefault;
    PIX_CachedFont* font = nullptr; // filled by the graphics core on first draw; owned by the font cache

    ITextStyle() = default;
    ITextStyle(const char* faceName, int32_t fontSize, IRgba textColour, int32_t styleBits = 0,
               int32_t alignment = kAlignLeft, int32_t degrees = 0, int32_t fontQuality = kQualityDefault);
};

struct IBitmapRef
{
    PIX_IBitmap* bitmap = nullptr; // owned by the bitmap cache
    int32_t width = 0, height = 0; // of the whole image
    int32_t frames = 1;            // film-strip frame count, at least 1
};

struct IMouseMods
{
    bool left = false, right = false, shift = false, control = false, alt = false;
    bool Fine() const { return shift || control; } // fine adjustment of drags and wheel steps
};

struct IBlend
{
    enum Mode : int32_t
    {
        kNormal = 0,
        kCopy = 1,
        kAdd = 2,
        kDodge = 3,
    };
    int32_t mode = kNormal;
    float weight = 1.0f;

    // The blit mode word of the drawing library for a blend (null = normal, weight 1).
    static int32_t ModeWord(const IBlend* blend);
    static float Weight(const IBlend* blend) { return blend ? blend->weight : 1.0f; }
};
