#include "PngWriter.h"
#include "drawing/PIX_MemBitmap.h"
#include "drawing/PIX_Png.h"
#include "drawing/PIX_Resources.h"

#include <gtest/gtest.h>
#include <memory>
#include <png.h>
#include <zlib.h>

namespace
{
// Ids of tests/drawing/data, embedded into this test executable by CMake.
constexpr int32_t kTestImageId = 7001;
constexpr int32_t kShortResourceId = 7002;

std::unique_ptr<PIX_IBitmap> Load(const std::vector<uint8_t>& png)
{
    return std::unique_ptr<PIX_IBitmap>(LoadPngFromMemory(png.data(), png.size(), nullptr));
}

uint32_t PixelAt(PIX_IBitmap& bm, int32_t x, int32_t y)
{
    return bm.PixelData()[y * bm.RowSpanPixels() + x];
}

struct KindCase
{
    const char* name;
    PngImage image;
    std::vector<uint32_t> expected; // row by row
};

std::vector<KindCase> Kinds()
{
    using V = std::vector<uint8_t>;
    return {
        {"RGBA 8",
         {2, 1, PNG_COLOR_TYPE_RGBA, 8, V{0x10, 0x20, 0x30, 0x40, 0xFF, 0x00, 0x80, 0xFF}},
         {0x40102030, 0xFFFF0080}},
        {"RGB 8 gets alpha 255",
         {2, 1, PNG_COLOR_TYPE_RGB, 8, V{1, 2, 3, 250, 251, 252}},
         {0xFF010203, 0xFFFAFBFC}},
        {"grey 1-bit", {3, 1, PNG_COLOR_TYPE_GRAY, 1, V{0xA0}}, {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF}},
        {"grey 2-bit",
         {4, 1, PNG_COLOR_TYPE_GRAY, 2, V{0x1B}},
         {0xFF000000, 0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF}},
        {"grey 4-bit", {2, 1, PNG_COLOR_TYPE_GRAY, 4, V{0x3C}}, {0xFF333333, 0xFFCCCCCC}},
        {"grey 8", {2, 1, PNG_COLOR_TYPE_GRAY, 8, V{0x12, 0xEE}}, {0xFF121212, 0xFFEEEEEE}},
        {"grey + alpha",
         {2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, V{0x40, 0x80, 0xC0, 0x00}},
         {0x80404040, 0x00C0C0C0}},
        {"16-bit RGBA keeps the high byte",
         {1, 1, PNG_COLOR_TYPE_RGBA, 16, V{0x12, 0xFF, 0x34, 0x00, 0x56, 0x80, 0x78, 0x01}},
         {0x78123456}},
        {"16-bit grey", {1, 1, PNG_COLOR_TYPE_GRAY, 16, V{0xAB, 0xCD}}, {0xFFABABAB}},
        {"palette",
         {3, 1, PNG_COLOR_TYPE_PALETTE, 8, V{2, 0, 1}, V{255, 0, 0, 0, 255, 0, 0, 0, 255}},
         {0xFF0000FF, 0xFFFF0000, 0xFF00FF00}},
        {"palette 2-bit with tRNS",
         {3, 1, PNG_COLOR_TYPE_PALETTE, 2, V{0x24}, V{255, 0, 0, 0, 255, 0, 0, 0, 255}, V{0x00, 0x80}},
         {0x00FF0000, 0xFF0000FF, 0x8000FF00}},
        {"grey with tRNS",
         {2, 1, PNG_COLOR_TYPE_GRAY, 8, V{0x10, 0x20}, {}, V{0x00, 0x20}},
         {0xFF101010, 0x00202020}},
        {"RGB with tRNS",
         {2, 1, PNG_COLOR_TYPE_RGB, 8, V{1, 2, 3, 4, 5, 6}, {}, V{0, 4, 0, 5, 0, 6}},
         {0xFF010203, 0x00040506}},
    };
}

TEST(PngTest, EveryKindLoadsAsArgbWords)
{
    for (const KindCase& k : Kinds())
    {
        const std::vector<uint8_t> png = WritePng(k.image);
        ASSERT_FALSE(png.empty()) << k.name;
        auto bm = Load(png);
        ASSERT_NE(bm, nullptr) << k.name;
        ASSERT_EQ(bm->PixelWidth(), k.image.width) << k.name;
        ASSERT_EQ(bm->PixelHeight(), k.image.height) << k.name;
        for (int32_t x = 0; x < k.image.width; ++x)
            EXPECT_EQ(PixelAt(*bm, x, 0), k.expected[size_t(x)]) << std::hex << k.name << " pixel " << x;
    }
}

PngImage Gradient(int32_t w, int32_t h, bool interlaced)
{
    PngImage s{w, h, PNG_COLOR_TYPE_RGBA, 8, {}, {}, {}, interlaced};
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            s.rows.insert(s.rows.end(),
                          {uint8_t(x * 7), uint8_t(y * 11), uint8_t(x ^ y), uint8_t(255 - x - y)});
    return s;
}

TEST(PngTest, InterlacedImageLoadsLikeTheSequentialOne)
{
    auto plain = Load(WritePng(Gradient(13, 9, false)));
    auto interlaced = Load(WritePng(Gradient(13, 9, true)));
    ASSERT_TRUE(plain && interlaced);
    EXPECT_EQ(plain->RowSpanPixels(), 16); // line alignment 4
    for (int32_t y = 0; y < 9; ++y)
        for (int32_t x = 0; x < 13; ++x)
        {
            const uint32_t expected =
                uint32_t(255 - x - y) << 24 | uint32_t(x * 7) << 16 | uint32_t(y * 11) << 8 | uint32_t(x ^ y);
            ASSERT_EQ(PixelAt(*plain, x, y), expected) << x << "," << y;
            ASSERT_EQ(PixelAt(*interlaced, x, y), expected) << x << "," << y;
        }
}

TEST(PngTest, DecodesIntoAGivenBitmap)
{
    PIX_MemBitmap target(1, 1, 1);
    const std::vector<uint8_t> png = WritePng(Gradient(5, 3, false));
    EXPECT_EQ(LoadPngFromMemory(png.data(), png.size(), &target), &target);
    EXPECT_EQ(target.PixelWidth(), 5);
    EXPECT_EQ(PixelAt(target, 4, 2), 0xF91C1606u);
    // A failure leaves the given bitmap to its owner.
    EXPECT_EQ(LoadPngFromMemory(png.data(), png.size() / 2, &target), nullptr);
}

void Patch(std::vector<uint8_t>& png, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        png[at + size_t(i)] = uint8_t(v >> (24 - 8 * i));
}

// IHDR data starts at byte 16; its CRC follows the 13 data bytes.
void SetSize(std::vector<uint8_t>& png, uint32_t w, uint32_t h)
{
    Patch(png, 16, w);
    Patch(png, 20, h);
    Patch(png, 29, uint32_t(crc32(0, png.data() + 12, 17)));
}

TEST(PngTest, DamagedDataGivesNothing)
{
    const std::vector<uint8_t> good = WritePng(Gradient(20, 20, false));
    ASSERT_NE(Load(good), nullptr);
    EXPECT_EQ(LoadPngFromMemory(good.data(), 7, nullptr), nullptr);
    EXPECT_EQ(LoadPngFromMemory(nullptr, 100, nullptr), nullptr);

    std::vector<uint8_t> signature = good;
    signature[1] = 'Q';
    EXPECT_EQ(Load(signature), nullptr);

    std::vector<uint8_t> crc = good;
    crc[30] ^= 0x55; // IHDR CRC
    EXPECT_EQ(Load(crc), nullptr);

    // Sizes beyond libpng's limits, and a plausible header whose pixels cannot be allocated or read.
    for (auto [w, h] : {std::pair{0x7FFFFFFFu, 1u}, {0u, 5u}, {900000u, 900000u}, {30000u, 30000u}})
    {
        std::vector<uint8_t> huge = good;
        SetSize(huge, w, h);
        EXPECT_EQ(Load(huge), nullptr) << w << " x " << h;
    }

    // Every truncation fails cleanly (the address sanitizer checks that nothing leaks).
    for (size_t n = 8; n < good.size() - 12; n += 3)
        EXPECT_EQ(LoadPngFromMemory(good.data(), n, nullptr), nullptr) << "first " << n << " bytes";
}

TEST(PngTest, EmbeddedResourcesAreFoundByTheLow16BitsOfTheirId)
{
    std::unique_ptr<PIX_IBitmap> bm(LoadPngResource(nullptr, kTestImageId, nullptr));
    ASSERT_NE(bm, nullptr);
    EXPECT_EQ(bm->PixelWidth(), 2);
    EXPECT_EQ(PixelAt(*bm, 0, 0), 0xFF102030u);
    EXPECT_EQ(PixelAt(*bm, 1, 1), 0x04010203u);
    std::unique_ptr<PIX_IBitmap> high(LoadPngResource(nullptr, kTestImageId + 0x10000, nullptr));
    EXPECT_NE(high, nullptr);
    EXPECT_EQ(LoadPngResource(nullptr, 4242, nullptr), nullptr);
    EXPECT_EQ(LoadPngResource(nullptr, kShortResourceId, nullptr), nullptr); // 7 bytes
}
} // namespace
