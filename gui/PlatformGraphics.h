#pragma once
// The editor object of this build's window layer, as the plug-in creates it (the body is chosen by
// CMake from gui/platform/<layer>/).
#include <cstdint>

class IEffectBase;
class IGraphics;

IGraphics* MakePlatformGraphics(IEffectBase* plug, int32_t width, int32_t height, int32_t frameRate);
