#include "vellicor/editor/EditorSnapshot.h"

#include "core/IEffectBase.h"
#include "drawing/PIX_SysBitmap.h"
#include "gui/IGraphics.h"
#include "gui/PngWriter.h"

namespace EditorSnapshot
{
void DrawTicks(IGraphics& graphics, int32_t ticks)
{
    graphics.MarkAllChanged();
    for (int32_t i = 0; i < ticks; ++i)
    {
        IArea dirty;
        if (graphics.CollectDirty(&dirty)) graphics.DrawDirty(dirty);
    }
}

int32_t Run(IEffectBase* plug, int32_t ticks, const char* pngPath)
{
    if (!plug || ticks < 0) return EditorSnapshotAbi::kBadArguments;
    IGraphics* graphics = dynamic_cast<IGraphics*>(plug->GetGUI());
    if (!graphics || !graphics->BackBuffer()) return EditorSnapshotAbi::kNoEditor;
    DrawTicks(*graphics, ticks);
    if (pngPath && !WritePngFile(graphics->BackBuffer(), pngPath)) return EditorSnapshotAbi::kWriteFailed;
    return EditorSnapshotAbi::kOk;
}
} // namespace EditorSnapshot
