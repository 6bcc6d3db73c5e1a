#pragma once
// Fixed-size text stores: copies are cut to fit and always terminated.
#include <cstddef>
#include <cstring>

namespace vellicor
{
// Copies src into dst (capacity bytes, terminator included). A null src gives the empty text.
inline void CopyText(char* dst, std::size_t capacity, const char* src)
{
    if (!dst || capacity == 0) return;
    if (!src) src = "";
    std::size_t n = std::strlen(src);
    if (n >= capacity) n = capacity - 1;
    std::memcpy(dst, src, n);
    dst[n] = '\0';
}

template <std::size_t N> inline void CopyText(char (&dst)[N], const char* src)
{
    CopyText(dst, N, src);
}
} // namespace vellicor
