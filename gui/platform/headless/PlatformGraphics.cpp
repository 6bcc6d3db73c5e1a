// No window layer on this platform yet: the editor draws (tests, the render tool's snapshot) but
// opens no window, so the bindings offer hosts no editor.
#include "gui/PlatformGraphics.h"

#include "gui/IGraphicsHeadless.h"

namespace
{
class IGraphicsNoWindow final : public IGraphicsHeadless
{
public:
    using IGraphicsHeadless::IGraphicsHeadless;
    bool OpensWindows() const override { return false; }
};
} // namespace

IGraphics* MakePlatformGraphics(IEffectBase* plug, int32_t width, int32_t height, int32_t frameRate)
{
    return new IGraphicsNoWindow(plug, width, height, frameRate);
}
