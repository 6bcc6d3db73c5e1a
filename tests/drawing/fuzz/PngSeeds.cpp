// Writes the seed corpus of the PNG fuzz target: one small file of each kind the loader reads.
#include "../PngWriter.h"

#include <cstdio>
#include <filesystem>
#include <png.h>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: %s <seed directory> [other directories to create]\n", argv[0]);
        return 2;
    }
    for (int i = 1; i < argc; ++i)
    {
        std::error_code error;
        std::filesystem::create_directories(argv[i], error);
    }
    using V = std::vector<uint8_t>;
    const V rgb{255, 0, 0, 0, 255, 0, 0, 0, 255};
    const PngImage seeds[] = {
        {3, 2, PNG_COLOR_TYPE_RGBA, 8, V(24, 0x80)},
        {3, 2, PNG_COLOR_TYPE_RGB, 8, V(18, 0x40)},
        {9, 2, PNG_COLOR_TYPE_GRAY, 1, V{0xA5, 0x80, 0x5A, 0x00}},
        {5, 2, PNG_COLOR_TYPE_GRAY, 2, V{0x1B, 0x40, 0xE4, 0x00}},
        {3, 2, PNG_COLOR_TYPE_GRAY, 4, V{0x3C, 0x50, 0xC3, 0x00}, {}, V{0, 3}},
        {2, 2, PNG_COLOR_TYPE_GRAY_ALPHA, 8, V{1, 2, 3, 4, 5, 6, 7, 8}},
        {2, 2, PNG_COLOR_TYPE_RGBA, 16, V(32, 0x9C)},
        {4, 2, PNG_COLOR_TYPE_PALETTE, 2, V{0x24, 0x18}, rgb, V{0, 128}},
        {3, 2, PNG_COLOR_TYPE_RGB, 8, V(18, 0x11), {}, V{0, 0x11, 0, 0x11, 0, 0x11}},
        {11, 7, PNG_COLOR_TYPE_RGBA, 8, V(11 * 7 * 4, 0x33), {}, {}, true},
    };
    int n = 0;
    for (const PngImage& s : seeds)
    {
        const std::vector<uint8_t> png = WritePng(s);
        const std::string path = std::string(argv[1]) + "/seed" + std::to_string(n++) + ".png";
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || png.empty() || std::fwrite(png.data(), 1, png.size(), f) != png.size())
        {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            if (f) std::fclose(f);
            return 1;
        }
        std::fclose(f);
    }
    return 0;
}
