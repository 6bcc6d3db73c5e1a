#include "core/Utf16Text.h"

#include <cstdint>
#include <cwchar>

namespace vellicor
{
namespace
{
// Decodes one UTF-8 sequence at s; returns its length (at least 1) and the code point.
std::size_t DecodeUtf8(const unsigned char* s, char32_t* cp)
{
    const unsigned char c = s[0];
    int len = 0;
    char32_t v = 0;
    if (c < 0x80)
    {
        *cp = c;
        return 1;
    }
    if ((c & 0xE0) == 0xC0)
    {
        len = 2;
        v = c & 0x1F;
    }
    else if ((c & 0xF0) == 0xE0)
    {
        len = 3;
        v = c & 0x0F;
    }
    else if ((c & 0xF8) == 0xF0)
    {
        len = 4;
        v = c & 0x07;
    }
    else
    {
        *cp = 0xFFFD;
        return 1;
    }
    for (int i = 1; i < len; ++i)
    {
        if ((s[i] & 0xC0) != 0x80)
        {
            *cp = 0xFFFD;
            return static_cast<std::size_t>(i);
        }
        v = (v << 6) | (s[i] & 0x3F);
    }
    static constexpr char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (v < kMin[len] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) v = 0xFFFD;
    *cp = v;
    return static_cast<std::size_t>(len);
}
} // namespace

template <typename Char> void Utf8ToUtf16(const char* src, Char* dst, std::size_t capacity)
{
    if (!dst || capacity == 0) return;
    std::size_t out = 0;
    const auto* s = reinterpret_cast<const unsigned char*>(src ? src : "");
    while (*s)
    {
        char32_t cp = 0;
        s += DecodeUtf8(s, &cp);
        if (cp >= 0x10000)
        {
            if (out + 2 >= capacity) break;
            cp -= 0x10000;
            dst[out++] = static_cast<Char>(0xD800 + (cp >> 10));
            dst[out++] = static_cast<Char>(0xDC00 + (cp & 0x3FF));
        }
        else
        {
            if (out + 1 >= capacity) break;
            dst[out++] = static_cast<Char>(cp);
        }
    }
    dst[out] = 0;
}

template <typename Char>
void Utf16ToUtf8(const Char* src, std::size_t srcCapacity, char* dst, std::size_t capacity)
{
    if (!dst || capacity == 0) return;
    std::size_t out = 0;
    for (std::size_t i = 0; src && i < srcCapacity && src[i] != 0; ++i)
    {
        char32_t cp = static_cast<char16_t>(src[i]);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < srcCapacity && src[i + 1] >= 0xDC00 &&
            src[i + 1] <= 0xDFFF)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (src[++i] - 0xDC00);
        else if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD;
        char buf[4];
        std::size_t n = 0;
        if (cp < 0x80)
            buf[n++] = static_cast<char>(cp);
        else if (cp < 0x800)
        {
            buf[n++] = static_cast<char>(0xC0 | (cp >> 6));
            buf[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        }
        else if (cp < 0x10000)
        {
            buf[n++] = static_cast<char>(0xE0 | (cp >> 12));
            buf[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            buf[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        }
        else
        {
            buf[n++] = static_cast<char>(0xF0 | (cp >> 18));
            buf[n++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            buf[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            buf[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        }
        if (out + n >= capacity) break;
        for (std::size_t k = 0; k < n; ++k)
            dst[out++] = buf[k];
    }
    dst[out] = '\0';
}

template void Utf8ToUtf16<char16_t>(const char*, char16_t*, std::size_t);
template void Utf16ToUtf8<char16_t>(const char16_t*, std::size_t, char*, std::size_t);
#if WCHAR_MAX == 0xFFFF
template void Utf8ToUtf16<wchar_t>(const char*, wchar_t*, std::size_t);
template void Utf16ToUtf8<wchar_t>(const wchar_t*, std::size_t, char*, std::size_t);
#endif
} // namespace vellicor
