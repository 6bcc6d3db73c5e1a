// The LV2 DSP module: the one place that knows the plug-in class. Its editor instance lives in the
// UI module (Lv2UiModule.cpp); the meter record reaches it as a feed on the notify port.
#include "lv2/Lv2Entry.h"

#include "gui/IGraphicsCaches.h"
#include "vellicor/modules/lv2/MeterFeed.h"
#include "vellicor/plugin/CLS_VELLICOR.h"
#include "vellicor/plugin/VellicorIdentity.h"

namespace
{
class VellicorLv2 final : public CLS_VELLICOR
{
public:
    using CLS_VELLICOR::CLS_VELLICOR;

protected:
    // Audio thread, after the block: the record the engine wrote.
    int32_t CollectEditorFeed(float* values) override { return MeterFeed::Pack(MeterPanel().Data(), values); }
    void EditorFeedSent() override { MeterFeed::ClearCurrent(MeterPanel().Data()); }
    void EditorCommand(int32_t command) override
    {
        if (command == MeterFeed::kCommandResetPeaks) MeterFeed::ClearPeaks(MeterPanel().Data());
    }
};
} // namespace

VELLICOR_LV2_ENTRY(VellicorLv2, vellicor::identity::kLv2Uri, vellicor::identity::kLv2MonoUri)

// LV2 has no unload entry: the shared bitmaps and fonts go with the library itself.
__attribute__((destructor)) static void FreeEditorCachesAtUnload()
{
    IGraphicsCaches::FreeAll();
}
