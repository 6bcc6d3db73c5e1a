// Linux: the editor opens in X11 hosts.
#include "gui/PlatformGraphics.h"

#include "gui/platform/x11/IGraphicsX11.h"

IGraphics* MakePlatformGraphics(IEffectBase* plug, int32_t width, int32_t height, int32_t frameRate)
{
    return new IGraphicsX11(plug, width, height, frameRate);
}
