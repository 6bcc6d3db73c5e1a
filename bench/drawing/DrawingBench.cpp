// The editor's drawing operations, each timed next to pixman compositing the same pixels with its
// OVER operator (a bilinear transformed composite for the rotation, a triangle mask for the line and
// its glyph cache, filled from our own coverage masks, for the text).
#include "drawing/PIX_Blit.h"
#include "drawing/PIX_CachedFont.h"
#include "drawing/PIX_FontLayer.h"
#include "drawing/PIX_MemBitmap.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstring>
#include <memory>
#include <pixman.h>
#include <vector>

namespace
{
constexpr int32_t kWidth = 562, kHeight = 270, kKnob = 62;
constexpr float kAngle = 37.0f * 3.14159265f / 180.0f;
constexpr const char* kValueText = "-12.5 dB";

void Gradient(PIX_MemBitmap& bm)
{
    for (int32_t y = 0; y < bm.PixelHeight(); ++y)
        for (int32_t x = 0; x < bm.PixelWidth(); ++x)
            bm.PixelData()[y * bm.RowSpanPixels() + x] =
                0xFF000000u | uint32_t(x * 3) << 16 | uint32_t(y) << 8 | 0x40;
}

// A knob pointer: a soft dot on a transparent square, like the editor's knob pictures.
void Pointer(PIX_MemBitmap& bm)
{
    for (int32_t y = 0; y < kKnob; ++y)
        for (int32_t x = 0; x < kKnob; ++x)
        {
            const float d = std::hypot(float(x) - 31.0f, float(y) - 10.0f);
            const float a = std::fmin(1.0f, std::fmax(0.0f, 5.0f - d));
            bm.PixelData()[y * bm.RowSpanPixels() + x] = uint32_t(a * 255.0f) << 24 | 0xF0F0F0;
        }
}

pixman_image_t* Wrap(PIX_MemBitmap& bm)
{
    return pixman_image_create_bits(PIXMAN_a8r8g8b8, bm.PixelWidth(), bm.PixelHeight(), bm.PixelData(),
                                    bm.RowSpanPixels() * 4);
}

struct Images
{
    PIX_MemBitmap background{kWidth, kHeight, 4};
    PIX_MemBitmap back{kWidth, kHeight, 4};
    PIX_MemBitmap knob{kKnob, kKnob, 4};
    Images()
    {
        Gradient(background);
        Gradient(back);
        Pointer(knob);
    }
};

template <typename Draw> void Repeat(benchmark::State& state, Draw draw)
{
    for (auto _ : state)
    {
        draw();
        benchmark::ClobberMemory();
    }
}

// pixman's OVER of src onto dst at (x, y); releases both images.
void Over(benchmark::State& state, pixman_image_t* src, pixman_image_t* dst, int x, int y, int w, int h)
{
    Repeat(state,
           [&] { pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, 0, 0, 0, 0, x, y, w, h); });
    pixman_image_unref(src);
    pixman_image_unref(dst);
}

void CopyBlit(benchmark::State& state)
{
    Images im;
    Repeat(state, [&] { Blit(&im.back, &im.background, 0, 0, 0, 0, kWidth, kHeight, 1.0f, PIX_MODE_COPY); });
}

void CopyBlitPixman(benchmark::State& state)
{
    Images im;
    Over(state, Wrap(im.background), Wrap(im.back), 0, 0, kWidth, kHeight);
}

void PointerBlit(benchmark::State& state)
{
    Images im;
    Repeat(state, [&] { Blit(&im.back, &im.knob, 20, 40, 0, 0, kKnob, kKnob, 1.0f, PIX_MODE_NORMAL); });
}

void PointerBlitPixman(benchmark::State& state)
{
    Images im;
    Over(state, Wrap(im.knob), Wrap(im.back), 20, 40, kKnob, kKnob);
}

void RotatedKnob(benchmark::State& state)
{
    Images im;
    Repeat(state,
           [&]
           {
               RotatedBlit(&im.back, &im.knob, 20, 40, kKnob, kKnob, 0, 0, kKnob, kKnob, kAngle, false, 1.0f,
                           PIX_MODE_NORMAL | PIX_MODE_FILTER, 0.0f, 0.0f);
           });
}

void RotatedKnobPixman(benchmark::State& state)
{
    Images im;
    pixman_image_t* src = Wrap(im.knob);
    // Destination to source: translate to the centre, rotate back, translate out.
    pixman_transform_t t;
    pixman_transform_init_identity(&t);
    pixman_transform_translate(&t, nullptr, pixman_double_to_fixed(-31.0), pixman_double_to_fixed(-31.0));
    pixman_transform_rotate(&t, nullptr, pixman_double_to_fixed(std::cos(kAngle)),
                            pixman_double_to_fixed(std::sin(kAngle)));
    pixman_transform_translate(&t, nullptr, pixman_double_to_fixed(31.0), pixman_double_to_fixed(31.0));
    pixman_image_set_transform(src, &t);
    pixman_image_set_filter(src, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    Over(state, src, Wrap(im.back), 20, 40, kKnob, kKnob);
}

void Fill(benchmark::State& state)
{
    Images im;
    const float opacity = float(state.range(0)) / 10.0f;
    Repeat(state, [&] { FillRect(&im.back, 300, 100, 125, 10, 0xFF203040, opacity, PIX_MODE_COPY); });
}

void FillPixman(benchmark::State& state)
{
    Images im;
    pixman_image_t* dst = Wrap(im.back);
    const double opacity = double(state.range(0)) / 10.0;
    const uint16_t a = uint16_t(opacity * 0xFFFF);
    // Premultiplied, as pixman's solid colours are.
    pixman_color_t colour{uint16_t(0x2020 * opacity), uint16_t(0x3030 * opacity), uint16_t(0x4040 * opacity),
                          a};
    Over(state, pixman_image_create_solid_fill(&colour), dst, 300, 100, 125, 10);
}

void AntialiasedLine(benchmark::State& state)
{
    Images im;
    Repeat(state,
           [&] { Line(&im.back, 100.3f, 50.2f, 108.1f, 56.4f, 0xFFE0E0E0, 1.0f, PIX_MODE_COPY, true); });
}

void AntialiasedLinePixman(benchmark::State& state)
{
    Images im;
    pixman_image_t* dst = Wrap(im.back);
    pixman_color_t colour{0xE0E0, 0xE0E0, 0xE0E0, 0xFFFF};
    pixman_image_t* solid = pixman_image_create_solid_fill(&colour);
    // The same segment as a one-pixel-wide quad of two triangles (10 pixels long).
    const double x1 = 100.3, y1 = 50.2, x2 = 108.1, y2 = 56.4;
    const double len = std::hypot(x2 - x1, y2 - y1), nx = -(y2 - y1) / len * 0.5, ny = (x2 - x1) / len * 0.5;
    auto P = [](double x, double y) {
        return pixman_point_fixed_t{pixman_double_to_fixed(x), pixman_double_to_fixed(y)};
    };
    const pixman_triangle_t tris[2] = {{P(x1 + nx, y1 + ny), P(x2 + nx, y2 + ny), P(x2 - nx, y2 - ny)},
                                       {P(x1 + nx, y1 + ny), P(x2 - nx, y2 - ny), P(x1 - nx, y1 - ny)}};
    Repeat(state,
           [&] { pixman_composite_triangles(PIXMAN_OP_OVER, solid, dst, PIXMAN_a8, 0, 0, 0, 0, 2, tris); });
    pixman_image_unref(solid);
    pixman_image_unref(dst);
}

std::unique_ptr<PIX_CachedFont> Arial16()
{
    auto font = std::make_unique<PIX_CachedFont>();
    font->SetSystemFont(PIX_CreateSystemFont({"Arial", 16, 0, 0, 400, false, PIX_QUALITY_ANTIALIASED}),
                        PIX_FONT_OWNS_SYSTEM_FONT | PIX_FONT_NATIVE_ALLOWED);
    font->SetTextColour(0xFFE0E0E0);
    return font;
}

void ValueText(benchmark::State& state)
{
    Images im;
    auto font = Arial16();
    PIX_Rect r{200, 120, 300, 140};
    font->DrawTextInto(&im.back, kValueText, -1, &r, PIX_TEXT_NO_CLIP | PIX_TEXT_CENTRE); // cache the glyphs
    Repeat(state,
           [&]
           {
               r = {200, 120, 300, 140};
               benchmark::DoNotOptimize(
                   font->DrawTextInto(&im.back, kValueText, -1, &r, PIX_TEXT_NO_CLIP | PIX_TEXT_CENTRE));
           });
}

void ValueTextPixman(benchmark::State& state)
{
    Images im;
    auto font = Arial16();
    pixman_image_t* dst = Wrap(im.back);
    pixman_color_t colour{0xE0E0, 0xE0E0, 0xE0E0, 0xFFFF};
    pixman_image_t* solid = pixman_image_create_solid_fill(&colour);
    pixman_glyph_cache_t* cache = pixman_glyph_cache_create();
    std::vector<pixman_glyph_t> glyphs;
    std::vector<pixman_image_t*> masks;
    int32_t pen = 0;
    pixman_glyph_cache_freeze(cache);
    for (const char* p = kValueText; *p; ++p)
    {
        const PIX_CachedFont::Glyph* g = font->FindGlyph(uint8_t(*p));
        if (g->offset > 0)
        {
            // Our coverage mask as an a8 image (rows padded to 4 bytes).
            const int32_t stride = (g->maskWidth + 3) & ~3;
            pixman_image_t* mask =
                pixman_image_create_bits(PIXMAN_a8, g->maskWidth, g->maskHeight, nullptr, stride);
            auto* bits = reinterpret_cast<uint8_t*>(pixman_image_get_data(mask));
            for (int32_t y = 0; y < g->maskHeight; ++y)
                std::memcpy(bits + y * stride, font->Coverage(*g) + y * g->maskWidth, size_t(g->maskWidth));
            masks.push_back(mask);
            const void* glyph =
                pixman_glyph_cache_lookup(cache, font.get(), reinterpret_cast<void*>(uintptr_t(*p)));
            if (!glyph)
                glyph = pixman_glyph_cache_insert(cache, font.get(), reinterpret_cast<void*>(uintptr_t(*p)),
                                                  g->leftOffset, 0, mask);
            glyphs.push_back({pen, 0, glyph});
        }
        pen += g->advance;
    }
    pixman_glyph_cache_thaw(cache);
    Repeat(state,
           [&]
           {
               pixman_composite_glyphs(PIXMAN_OP_OVER, solid, dst, PIXMAN_a8, 0, 0, 220, 120, 220, 120, 100,
                                       20, cache, int(glyphs.size()), glyphs.data());
           });
    pixman_glyph_cache_destroy(cache);
    for (pixman_image_t* m : masks)
        pixman_image_unref(m);
    pixman_image_unref(solid);
    pixman_image_unref(dst);
}
} // namespace

BENCHMARK(CopyBlit);
BENCHMARK(CopyBlitPixman);
BENCHMARK(PointerBlit);
BENCHMARK(PointerBlitPixman);
BENCHMARK(RotatedKnob);
BENCHMARK(RotatedKnobPixman);
BENCHMARK(Fill)->Arg(10)->Arg(5)->Arg(2);
BENCHMARK(FillPixman)->Arg(10)->Arg(5)->Arg(2);
BENCHMARK(AntialiasedLine);
BENCHMARK(AntialiasedLinePixman);
BENCHMARK(ValueText);
BENCHMARK(ValueTextPixman);
BENCHMARK_MAIN();
