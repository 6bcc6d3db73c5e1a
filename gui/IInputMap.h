#pragma once
// How window layers turn native input into the graphics core's terms: the key-code table, the
// wheel notch count and the modifier rules. Every window layer uses these so both behave alike.
#include "gui/IGuiTypes.h"

#include <cstdint>

namespace IInputMap
{
// Keys that have no character of their own.
enum class NamedKey
{
    kNone,
    kSpace,
    kUp,
    kDown,
    kLeft,
    kRight,
};

// Codes handed to IControl::KeyAt. 5 is never produced.
enum KeyCode : int32_t
{
    kKeySpace = 0,
    kKeyUp = 1,
    kKeyDown = 2,
    kKeyLeft = 3,
    kKeyRight = 4,
    kKeyDigit0 = 6,   // .. 15 for "9"
    kKeyLetterA = 16, // .. 41 for "Z"
};

// A named key, else the key's value: ' ', '0'..'9', 'A'..'Z', and 97..122 taken like the letters
// (lower-case letters, and on Windows the key values that share those numbers). -1: not mapped.
int32_t KeyCodeFor(NamedKey named, int32_t keyValue);

// One notch is 120 units of a signed 16-bit wheel delta; a part notch gives 0.
int32_t WheelNotches(int32_t rawDelta);

// A wheel delta that a host hands over as a float, as whole notches: truncated toward zero,
// NaN as 0 and limited to the 16-bit range a wheel message can carry.
int32_t HostWheelNotches(float delta);

// Mouse messages: buttons, shift and control from the message itself, alt from the keyboard now.
IMouseMods MouseMessageMods(bool left, bool right, bool shift, bool control, bool altNow);
// Events without buttons (a wheel the host forwards): the keyboard's shift, control and alt.
IMouseMods KeyboardMods(bool shift, bool control, bool alt);
} // namespace IInputMap
