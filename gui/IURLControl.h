#pragma once
// An invisible hot spot over the background that opens a web page, or its fallback when the first
// address cannot be opened.
#include "gui/IControl.h"

class IURLControl : public IControl
{
public:
    static constexpr int kAddressSize = 256;
    static constexpr int kCaptionSize = 1024;

    IURLControl(IEffectBase* plug, const IArea& area, const char* address, const char* fallback = nullptr,
                const char* caption = nullptr);

    void PressAt(int32_t x, int32_t y, const IMouseMods& mods) override;
    bool Render(IGraphics*) override { return true; }

    const char* Address() const { return address; }
    const char* Fallback() const { return fallback; }

protected:
    char address[kAddressSize] = {};
    char fallback[kAddressSize] = {};
    char caption[kCaptionSize] = {};
};
