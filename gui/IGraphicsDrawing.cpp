// The drawing operations offered to controls, all into the back buffer through the drawing library.
#include "drawing/PIX_Blit.h"
#include "drawing/PIX_CachedFont.h"
#include "drawing/PIX_FontLayer.h"
#include "drawing/PIX_MemBitmap.h"
#include "drawing/PIX_SysBitmap.h"
#include "gui/IGraphics.h"
#include "gui/IGraphicsCaches.h"

#include <cmath>

void IGraphics::PrepareBackBuffer()
{
    backBuffer = std::make_unique<PIX_SysBitmap>(width, height);
}

bool IGraphics::DrawBitmapPart(const IBitmapRef& bitmap, const IArea& area, int32_t srcX, int32_t srcY,
                               const IBlend* blend)
{
    if (!bitmap.bitmap || !backBuffer) return true;
    const IArea d = area.Intersect(drawArea);
    if (d.IsEmpty()) return true;
    Blit(backBuffer.get(), bitmap.bitmap, d.left, d.top, srcX + (d.left - area.left),
         srcY + (d.top - area.top), d.W(), d.H(), IBlend::Weight(blend), IBlend::ModeWord(blend));
    return true;
}

bool IGraphics::DrawBitmapFrame(const IBitmapRef& bitmap, const IArea& area, int32_t frame,
                                const IBlend* blend, bool vertical)
{
    int32_t offset = 0;
    if (bitmap.frames >= 2 && frame >= 2)
    {
        const double size = vertical ? bitmap.height : bitmap.width;
        offset = static_cast<int32_t>(size * (frame - 1) / bitmap.frames + 0.5);
    }
    return vertical ? DrawBitmapPart(bitmap, area, 0, offset, blend)
                    : DrawBitmapPart(bitmap, area, offset, 0, blend);
}

bool IGraphics::DrawRotatedBitmap(const IBitmapRef& bitmap, int32_t centreX, int32_t centreY, double angle,
                                  const IBlend* blend, float srcX, float srcY)
{
    if (!bitmap.bitmap || !backBuffer) return true;
    const int32_t w = bitmap.width, h = bitmap.height;
    // The source offset may be a fraction of a pixel: its whole part places the source rectangle, the
    // rest shifts the rotation centre (the blit adds both to every source position).
    const int32_t wholeX = static_cast<int32_t>(srcX), wholeY = static_cast<int32_t>(srcY);
    RotatedBlit(backBuffer.get(), bitmap.bitmap, centreX - w / 2, centreY - h / 2, w, h, wholeX, wholeY, w, h,
                static_cast<float>(angle), false, IBlend::Weight(blend),
                IBlend::ModeWord(blend) | PIX_MODE_FILTER, srcX - static_cast<float>(wholeX),
                srcY - static_cast<float>(wholeY));
    return true;
}

bool IGraphics::FillArea(const IRgba& colour, const IArea& area, const IBlend* blend)
{
    if (!backBuffer) return true;
    FillRect(backBuffer.get(), area.left, area.top, area.W(), area.H(), colour.Packed(),
             IBlend::Weight(blend), IBlend::ModeWord(blend));
    return true;
}

bool IGraphics::DrawLine(const IRgba& colour, float x1, float y1, float x2, float y2, const IBlend* blend,
                         bool antialiased)
{
    if (!backBuffer) return true;
    const float weight = static_cast<float>(colour.a & 0xFF) * (1.0f / 255.0f);
    Line(backBuffer.get(), x1, y1, x2, y2, colour.Packed(), weight, IBlend::ModeWord(blend), antialiased);
    return true;
}

bool IGraphics::DrawStyledText(ITextStyle& style, const char* text, const IArea& area)
{
    if (!text || !*text) return true;
    auto textLock = IGraphicsCaches::LockText();
    if (!style.font)
    {
        PIX_CachedFont* font = IGraphicsCaches::FindFont(style);
        if (!font)
        {
            static constexpr int32_t kQuality[] = {PIX_QUALITY_DEFAULT, PIX_QUALITY_NONANTIALIASED,
                                                   PIX_QUALITY_ANTIALIASED, PIX_QUALITY_CLEARTYPE};
            const PIX_FontSpec wanted{style.face,
                                      style.size,
                                      0,
                                      style.orientation * 10,
                                      (style.style & ITextStyle::kBold) ? 700 : 400,
                                      (style.style & ITextStyle::kItalic) != 0,
                                      style.quality >= 0 && style.quality <= 3 ? kQuality[style.quality]
                                                                               : PIX_QUALITY_DEFAULT};
            PIX_FontHandle systemFont = PIX_CreateSystemFont(wanted);
            if (!systemFont) return false; // tried again on the next draw
            font = new PIX_CachedFont();
            font->SetSystemFont(systemFont, PIX_FONT_OWNS_SYSTEM_FONT | PIX_FONT_NATIVE_ALLOWED);
            font = IGraphicsCaches::AddFont(style, font);
        }
        style.font = font;
    }
    const uint32_t colour = style.colour.Packed();
    style.font->SetTextColour(colour);
    uint32_t flags = PIX_TEXT_NO_CLIP;
    if ((colour >> 24) != 255) flags |= PIX_TEXT_USE_ALPHA;
    if (style.align == ITextStyle::kAlignCentre) flags |= PIX_TEXT_CENTRE;
    if (style.align == ITextStyle::kAlignRight) flags |= PIX_TEXT_RIGHT;
    PIX_Rect rect{area.left, area.top, area.right, area.bottom};
    style.font->DrawTextInto(backBuffer.get(), text, -1, &rect, flags);
    return true;
}

IBitmapRef IGraphics::CropBitmap(const IBitmapRef& bitmap, const IArea& area)
{
    IBitmapRef ref;
    ref.frames = bitmap.frames;
    if (!bitmap.bitmap || area.W() <= 0 || area.H() <= 0) return ref;
    auto* cropped = new PIX_MemBitmap(area.W(), area.H(), 4);
    Blit(cropped, bitmap.bitmap, 0, 0, area.left, area.top, area.W(), area.H(), 1.0f, 0);
    ref.bitmap = IGraphicsCaches::AddBitmap(IGraphicsCaches::kCroppedId, cropped);
    ref.width = area.W();
    ref.height = area.H();
    return ref;
}
