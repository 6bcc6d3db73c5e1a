// The LV2 UI module: the limiter's editor in the host's window, on a plug-in object that carries
// it. Meter readings arrive from the DSP instance (Lv2Module.cpp) as a feed.
#include "lv2/Lv2UiEntry.h"

#include "gui/IGraphicsCaches.h"
#include "vellicor/modules/lv2/MeterFeed.h"
#include "vellicor/plugin/CLS_VELLICOR.h"
#include "vellicor/plugin/VellicorIdentity.h"

namespace
{
class VellicorLv2Ui final : public CLS_VELLICOR
{
public:
    using CLS_VELLICOR::CLS_VELLICOR;

protected:
    void EditorFeedArrived(const float* values, int32_t count) override
    {
        MeterFeed::Unpack(values, count, MeterPanel().Data());
    }
    // The peaks live in the DSP instance's record: clear them there too.
    void MeterPeaksCleared() override { SendEditorCommand(MeterFeed::kCommandResetPeaks); }
};
} // namespace

VELLICOR_LV2_UI_ENTRY(VellicorLv2Ui, vellicor::identity::kLv2UiUri, vellicor::identity::kLv2MonoUri)

__attribute__((destructor)) static void FreeEditorCachesAtUnload()
{
    IGraphicsCaches::FreeAll();
}
