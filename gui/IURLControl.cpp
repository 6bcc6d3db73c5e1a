#include "gui/IURLControl.h"

#include "core/FixedText.h"
#include "gui/IGraphics.h"

IURLControl::IURLControl(IEffectBase* plugin, const IArea& a, const char* url, const char* fallbackUrl,
                         const char* captionText)
    : IControl(plugin, a)
{
    vellicor::CopyText(address, url);
    vellicor::CopyText(fallback, fallbackUrl);
    vellicor::CopyText(caption, captionText);
}

void IURLControl::PressAt(int32_t, int32_t, const IMouseMods&)
{
    IGraphics* g = Graphics();
    if (!g || address[0] == '\0') return;
    if (g->OpenWebPage(address, caption, nullptr, nullptr)) return;
    if (fallback[0] != '\0') g->OpenWebPage(fallback, caption, nullptr, nullptr);
}
