#include "vellicor/editor/VellicorEditor.h"

#include "core/IEffectBase.h"
#include "gui/IGraphics.h"
#include "gui/ITextControl.h"
#include "gui/IURLControl.h"
#include "vellicor/editor/controls/IButtonGUI.h"
#include "vellicor/editor/controls/IKnobRotVal.h"
#include "vellicor/plugin/VellicorIdentity.h"
#include "vellicor/plugin/VellicorParams.h"
#include "vellicor/resources/ResourceIds.h"

#include <cstdio>
#include <cstring>

namespace
{
struct KnobPlace
{
    int32_t param;
    int32_t centreX, centreY;
    bool large; // 62-pixel pointer, else 54
};

// clang-format off
constexpr KnobPlace kKnobs[] = {
//    parameter     x    y   large
    {kInputGain,   53,  86, true},
    {kLookAhead,  132,  79, false},
    {kAttack,     206,  79, false},
    {kHold,       280,  79, false},
    {kRelease,    355,  79, false},
    {kStereoLink, 429,  79, false},
    {kOutLimit,   509,  86, true},
};
// clang-format on

constexpr int32_t kSweep = 300;
constexpr double kGearing = 4.0;
constexpr int32_t kLargeTextOffset = -25;
constexpr int32_t kSmallTextOffset = -19;
} // namespace

namespace VellicorEditor
{
void VersionLabel(const IEffectBase& plug, char* out, size_t size)
{
    char text[16] = {};
    plug.VersionText(text);
    const size_t length = std::strlen(text);
    if (length > 0) text[length - 1] = '\0';
    std::snprintf(out, size, "%s", text);
}

GRAPH* Build(IGraphics& graphics, IEffectBase* plug, MeterParamTarget& meterTarget)
{
    graphics.AddBackground(IDB_BACKGROUND, "img/bg.png");
    GRAPH* meter = new GRAPH(plug, 255, 158, 484, 231, meterTarget);
    const IBitmapRef large = graphics.LoadBitmap(IDB_KNOB, "img/knob.png", 1);
    const IBitmapRef small = graphics.LoadBitmap(IDB_KNOB_SMALL, "img/knob2.png", 1);

    graphics.AddControl(meter);

    char version[16];
    VersionLabel(*plug, version, sizeof(version));
    graphics.AddControl(new ITextControl(
        plug, {12, 240, 62, 256}, ITextStyle("Verdana", 13, {100, 255, 255, 255}, 0, ITextStyle::kAlignLeft),
        version));
    graphics.AddControl(new IURLControl(plug, {0, 142, 176, 265}, vellicor::identity::kPluginUrl,
                                        vellicor::identity::kMakerUrl));

    const ITextStyle valueStyle("Arial", 16, {200, 255, 255, 255}, 0, ITextStyle::kAlignCentre);
    for (const KnobPlace& k : kKnobs)
        graphics.AddControl(new IKnobRotVal(plug, k.param, k.centreX, k.centreY, k.large ? large : small,
                                            valueStyle, k.large ? kLargeTextOffset : kSmallTextOffset, kSweep,
                                            kGearing));

    const IBitmapRef reset = graphics.LoadBitmap(IDB_RESET, "img/reset.png", 1);
    graphics.AddControl(new IButtonGUI(plug, meter->ResetFlag(), 277, 130, reset));
    const IBitmapRef memory = graphics.LoadBitmap(IDB_MEMORY, "img/memory.png", 1);
    graphics.AddControl(new IButtonGUI(plug, meter->StoreFlag(), 277, 231, memory));
    return meter;
}
} // namespace VellicorEditor
