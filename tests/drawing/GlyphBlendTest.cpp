// The glyph blend row, whichever way it is computed (vector lanes, then a scalar tail), against the
// blend rule written pixel by pixel in plain C integer arithmetic.
#include "drawing/PIX_GlyphBlend.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace
{
uint32_t RulePixel(uint32_t d, uint32_t v, uint32_t colour, int32_t k)
{
    if (v == 0) return d;
    int32_t h = 255 - int32_t(v);
    if (k != 256)
    {
        const int32_t w = k * int32_t(v) / 256;
        h = 256 - (w < 256 ? w : 256);
    }
    if (h == 0) return colour | 0xFF000000u;
    auto toward = [&](int shift)
    {
        const int32_t dc = int32_t(d >> shift & 0xFF), c = int32_t(colour >> shift & 0xFF);
        return uint32_t(c + (dc - c) * h / 256) << shift;
    };
    const uint32_t a = uint32_t(255 - (255 - int32_t(d >> 24)) * h / 256) << 24;
    return a | toward(16) | toward(8) | toward(0);
}

TEST(GlyphBlend, EveryRowLengthAndOpacityFollowsTheRule)
{
    std::mt19937 random(7);
    for (int32_t k : {256, 255, 200, 128, 1})
        for (int32_t count = 0; count <= 11; ++count)
            for (int trial = 0; trial < 200; ++trial)
            {
                std::vector<uint32_t> pixels(count + 1), expected;
                std::vector<uint8_t> coverage(count);
                for (uint32_t& p : pixels)
                    p = random();
                // Mostly the extremes, where the rule has its special cases.
                for (uint8_t& v : coverage)
                    v = uint8_t(random() % 3 == 0 ? 0 : random() % 3 == 0 ? 255 : random());
                const uint32_t colour = random();
                for (int32_t i = 0; i < count; ++i)
                    expected.push_back(RulePixel(pixels[i], coverage[i], colour, k));
                expected.push_back(pixels[count]); // one past the row is never touched
                pix::BlendGlyphRow(pixels.data(), coverage.data(), count, colour, k);
                ASSERT_EQ(pixels, expected) << "k " << k << ", " << count << " pixels";
            }
}
} // namespace
