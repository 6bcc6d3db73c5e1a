#pragma once
// Text conversions between 8-bit (UTF-8) texts and UTF-16 strings, for the VST3 binding and the
// host side alike. Char is char16_t, or wchar_t where that is 16 bits wide (Windows), which is
// what the VST3 SDK calls char16 on each platform.
#include <cstddef>

namespace vellicor
{
// Writes src into dst (capacity UTF-16 units, terminator included), cutting at a character
// boundary. Malformed bytes become U+FFFD. A null src gives the empty text.
template <typename Char> void Utf8ToUtf16(const char* src, Char* dst, std::size_t capacity);
// The reverse, cut at a character boundary to fit capacity bytes. A null src gives the empty text.
template <typename Char>
void Utf16ToUtf8(const Char* src, std::size_t srcCapacity, char* dst, std::size_t capacity);
} // namespace vellicor
