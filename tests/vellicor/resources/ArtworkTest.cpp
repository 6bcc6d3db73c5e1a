// The committed PNGs are what the SVG sources render to (vellicor/resources/render-artwork), at the sizes the
// editor layout places them at.
#include "drawing/PIX_IBitmap.h"
#include "drawing/PIX_Png.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
struct Picture
{
    const char* name;
    int32_t width, height;
};

// clang-format off
constexpr Picture kPictures[] = {
    {"bg",     562, 270},
    {"knob",    62,  62},
    {"knob2",   54,  54},
    {"reset",  186,  27},
    {"memory", 186,  27},
};
// clang-format on

std::unique_ptr<PIX_IBitmap> Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return std::unique_ptr<PIX_IBitmap>(LoadPngFromMemory(bytes.data(), bytes.size(), nullptr));
}

// Largest difference of any channel of any pixel; -1 when the sizes differ.
int MaxDifference(PIX_IBitmap& a, PIX_IBitmap& b)
{
    if (a.PixelWidth() != b.PixelWidth() || a.PixelHeight() != b.PixelHeight()) return -1;
    int worst = 0;
    for (int32_t y = 0; y < a.PixelHeight(); ++y)
        for (int32_t x = 0; x < a.PixelWidth(); ++x)
        {
            const uint32_t p = a.PixelData()[y * a.RowSpanPixels() + x];
            const uint32_t q = b.PixelData()[y * b.RowSpanPixels() + x];
            for (int shift = 0; shift < 32; shift += 8)
                worst = std::max(worst, std::abs(static_cast<int>((p >> shift) & 0xFF) -
                                                 static_cast<int>((q >> shift) & 0xFF)));
        }
    return worst;
}
} // namespace

TEST(Artwork, CommittedPicturesHaveTheirLayoutSizes)
{
    for (const Picture& p : kPictures)
    {
        const auto bitmap = Load(std::string(VELLICOR_RESOURCES_DIR) + "/img/" + p.name + ".png");
        ASSERT_TRUE(bitmap) << p.name << ".png does not load";
        EXPECT_EQ(bitmap->PixelWidth(), p.width) << p.name;
        EXPECT_EQ(bitmap->PixelHeight(), p.height) << p.name;
    }
}

TEST(Artwork, CommittedPicturesAreRenderedFromTheirSources)
{
    char dir[] = "/tmp/vellicor-artwork-XXXXXX";
    ASSERT_TRUE(mkdtemp(dir));
    const std::string command = std::string(VELLICOR_RESOURCES_DIR) + "/render-artwork --check " + dir;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const Picture& p : kPictures)
    {
        const std::string fresh = std::string(dir) + "/" + p.name + ".png";
        const auto rendered = Load(fresh);
        const auto committed = Load(std::string(VELLICOR_RESOURCES_DIR) + "/img/" + p.name + ".png");
        ASSERT_TRUE(rendered && committed) << p.name;
        // A point or two of rounding between librsvg builds; an edited source differs far more.
        EXPECT_LE(MaxDifference(*rendered, *committed), 2)
            << p.name << ".svg changed without vellicor/resources/render-artwork being run (or sizes differ)";
        std::remove(fresh.c_str());
    }
    rmdir(dir);
}
