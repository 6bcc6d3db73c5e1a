#include "gui/IInputMap.h"

#include <cmath>

namespace IInputMap
{
int32_t KeyCodeFor(NamedKey named, int32_t v)
{
    switch (named)
    {
    case NamedKey::kSpace:
        return kKeySpace;
    case NamedKey::kUp:
        return kKeyUp;
    case NamedKey::kDown:
        return kKeyDown;
    case NamedKey::kLeft:
        return kKeyLeft;
    case NamedKey::kRight:
        return kKeyRight;
    case NamedKey::kNone:
        break;
    }
    if (v == ' ') return kKeySpace;
    if (v >= '0' && v <= '9') return kKeyDigit0 + (v - '0');
    if (v >= 'A' && v <= 'Z') return kKeyLetterA + (v - 'A');
    if (v >= 97 && v <= 122) return kKeyLetterA + (v - 97);
    return -1;
}

int32_t WheelNotches(int32_t rawDelta)
{
    return static_cast<int16_t>(rawDelta & 0xFFFF) / 120;
}

int32_t HostWheelNotches(float delta)
{
    if (std::isnan(delta)) return 0;
    if (delta > 32767.0f) return 32767;
    if (delta < -32768.0f) return -32768;
    return static_cast<int32_t>(delta);
}

IMouseMods MouseMessageMods(bool left, bool right, bool shift, bool control, bool altNow)
{
    return {left, right, shift, control, altNow};
}

IMouseMods KeyboardMods(bool shift, bool control, bool alt)
{
    return {false, false, shift, control, alt};
}
} // namespace IInputMap
