#pragma once
// UTF-16 texts of the VST3 interfaces, to and from the host's UTF-8 strings.
#include "pluginterfaces/base/ftypes.h"

#include <cstddef>
#include <string>

namespace hostkit
{
// Up to capacity units (or the terminator), as UTF-8.
std::string ToUtf8(const Steinberg::char16* text, size_t capacity = 128);
// Into dst of capacity units, terminated, cut at a character boundary.
void ToUtf16(const char* text, Steinberg::char16* dst, size_t capacity);
std::u16string ToUtf16(const char* text);
} // namespace hostkit
