#pragma once
// Width and height from a PNG file's header; (0, 0) when it is not a PNG.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

inline std::pair<uint32_t, uint32_t> PngSize(const std::string& path)
{
    unsigned char head[24] = {};
    FILE* f = std::fopen(path.c_str(), "rb");
    const size_t n = f ? std::fread(head, 1, sizeof(head), f) : 0;
    if (f) std::fclose(f);
    if (n != sizeof(head) || std::memcmp(head, "\x89PNG\r\n\x1a\n", 8) != 0) return {0u, 0u};
    const auto word = [&](int at)
    {
        return uint32_t(head[at]) << 24 | uint32_t(head[at + 1]) << 16 | uint32_t(head[at + 2]) << 8 |
               head[at + 3];
    };
    return {word(16), word(20)};
}
