#pragma once
// Text conversions between the plug-in's 8-bit (UTF-8) texts and the SDK's UTF-16 strings.
#include "pluginterfaces/base/ftypes.h"

#include <cstddef>

namespace vellicor::vst3
{
// Writes src into dst (capacity UTF-16 units, terminator included), cutting at a character
// boundary. Malformed bytes become U+FFFD. A null src gives the empty text.
void Utf8ToUtf16(const char* src, Steinberg::char16* dst, std::size_t capacity);
// The reverse, cut at a character boundary to fit capacity bytes. A null src gives the empty text.
void Utf16ToUtf8(const Steinberg::char16* src, std::size_t srcCapacity, char* dst, std::size_t capacity);
} // namespace vellicor::vst3
