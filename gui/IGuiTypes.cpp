#include "gui/IGuiTypes.h"

#include "core/FixedText.h"
#include "drawing/PIX_Blit.h"

#include <algorithm>

IArea IArea::Union(const IArea& b) const
{
    if (IsEmpty()) return b;
    if (b.IsEmpty()) return *this;
    return {std::min(left, b.left), std::min(top, b.top), std::max(right, b.right),
            std::max(bottom, b.bottom)};
}

IArea IArea::Intersect(const IArea& b) const
{
    if (IsEmpty() || b.IsEmpty() || !Overlaps(b)) return {};
    return {std::max(left, b.left), std::max(top, b.top), std::min(right, b.right),
            std::min(bottom, b.bottom)};
}

ITextStyle::ITextStyle(const char* faceName, int32_t fontSize, IRgba textColour, int32_t styleBits,
                       int32_t alignment, int32_t degrees, int32_t fontQuality)
    : size(fontSize), colour(textColour), style(styleBits), align(alignment), orientation(degrees),
      quality(fontQuality)
{
    vellicor::CopyText(face, faceName);
}

int32_t IBlend::ModeWord(const IBlend* blend)
{
    if (!blend) return PIX_MODE_NORMAL;
    switch (blend->mode)
    {
    case kCopy:
        return PIX_MODE_COPY;
    case kAdd:
        return PIX_MODE_ADD_ALPHA;
    case kDodge:
        return PIX_MODE_DODGE_ALPHA;
    default:
        return PIX_MODE_NORMAL;
    }
}
