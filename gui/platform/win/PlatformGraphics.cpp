// Windows: the editor opens in the host's window.
#include "gui/PlatformGraphics.h"

#include "gui/platform/win/IGraphicsWin.h"

IGraphics* MakePlatformGraphics(IEffectBase* plug, int32_t width, int32_t height, int32_t frameRate)
{
    return new IGraphicsWin(plug, width, height, frameRate);
}
