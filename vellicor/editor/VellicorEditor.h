#pragma once
// The limiter's editor layout: background, meter panel, seven knobs, version label, logo link and the
// reset and memory buttons, added in the order that is their drawing order (and the reverse of the
// hit-test order). Built once per plug-in instance by its constructor.
#include "vellicor/editor/controls/GRAPH.h"

class IGraphics;
class IEffectBase;

namespace VellicorEditor
{
constexpr int32_t kWidth = 562;
constexpr int32_t kHeight = 270;

// Fills a fresh graphics object and returns its meter panel (owned by the graphics object). The
// caller then hands the graphics object to the plug-in base with AttachEditor.
GRAPH* Build(IGraphics& graphics, IEffectBase* plug, MeterParamTarget& meterTarget);

// The version text without its last character: "v3.2" for v3.20.
void VersionLabel(const IEffectBase& plug, char* out, size_t size);
} // namespace VellicorEditor
