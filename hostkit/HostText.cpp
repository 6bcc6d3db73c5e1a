#include "hostkit/HostText.h"

#include "core/Utf16Text.h"

#include <vector>

namespace hostkit
{
std::string ToUtf8(const Steinberg::char16* text, size_t capacity)
{
    // Each UTF-16 unit makes at most three bytes (a surrogate pair four for two units).
    std::vector<char> out(3 * capacity + 1);
    vellicor::Utf16ToUtf8(text, capacity, out.data(), out.size());
    return out.data();
}

void ToUtf16(const char* text, Steinberg::char16* dst, size_t capacity)
{
    vellicor::Utf8ToUtf16(text, dst, capacity);
}

std::u16string ToUtf16(const char* text)
{
    const std::string source = text ? text : "";
    std::vector<Steinberg::char16> out(source.size() + 1);
    vellicor::Utf8ToUtf16(source.c_str(), out.data(), out.size());
    return std::u16string(out.begin(),
                          out.begin() +
                              static_cast<long>(std::char_traits<Steinberg::char16>::length(out.data())));
}
} // namespace hostkit
