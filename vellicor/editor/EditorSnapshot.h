#pragma once
// The module side of the private snapshot entry (see EditorSnapshotAbi.h): each module defines
// VellicorPrivateEditorSnapshot, resolves the instance for its format and calls Run.
#include "vellicor/editor/EditorSnapshotAbi.h"

#include <cstdint>

class IGraphics;
class IEffectBase;

namespace EditorSnapshot
{
// Draws the plug-in's editor as the entry describes; an EditorSnapshotAbi::Result.
int32_t Run(IEffectBase* plug, int32_t ticks, const char* pngPath);
// Timer ticks of an open window, every control marked changed first.
void DrawTicks(IGraphics& graphics, int32_t ticks);
} // namespace EditorSnapshot

extern "C" __attribute__((visibility("default"))) int32_t
VellicorPrivateEditorSnapshot(int32_t version, void* instance, int32_t ticks, const char* pngPath);
