#include "gui/EditorSnapshot.h"

#include "core/IEffectBase.h"
#include "drawing/PIX_IBitmap.h"
#include "drawing/PIX_SysBitmap.h"
#include "gui/IGraphics.h"

#include <cstdio>
#include <png.h>
#include <vector>

namespace EditorSnapshot
{
void DrawTicks(IGraphics& graphics, int32_t ticks)
{
    graphics.MarkAllChanged();
    for (int32_t i = 0; i < ticks; ++i)
    {
        IArea dirty;
        if (graphics.CollectDirty(&dirty)) graphics.DrawDirty(dirty);
    }
}

int32_t Run(IEffectBase* plug, int32_t ticks, const char* pngPath)
{
    if (!plug || ticks < 0) return EditorSnapshotAbi::kBadArguments;
    IGraphics* graphics = dynamic_cast<IGraphics*>(plug->GetGUI());
    if (!graphics || !graphics->BackBuffer()) return EditorSnapshotAbi::kNoEditor;
    DrawTicks(*graphics, ticks);
    if (pngPath && !WritePng(*graphics->BackBuffer(), pngPath)) return EditorSnapshotAbi::kWriteFailed;
    return EditorSnapshotAbi::kOk;
}

namespace
{
// libpng reports errors by longjmp: everything that needs freeing lives outside this function.
bool WriteRows(FILE* file, png_bytep* rows, int32_t width, int32_t height)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
} // namespace

bool WritePng(PIX_IBitmap& bitmap, const char* path)
{
    const uint32_t* pixels = bitmap.PixelData();
    const int32_t width = bitmap.PixelWidth(), height = bitmap.PixelHeight();
    if (!pixels || width <= 0 || height <= 0) return false;
    const size_t w = static_cast<size_t>(width);
    std::vector<png_byte> bytes(w * 4 * static_cast<size_t>(height));
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y)
    {
        const int32_t sourceRow = bitmap.IsBottomUp() ? height - 1 - y : y;
        const uint32_t* source = pixels + static_cast<size_t>(sourceRow) * static_cast<size_t>(bitmap.RowSpanPixels());
        png_byte* row = bytes.data() + static_cast<size_t>(y) * w * 4;
        rows[static_cast<size_t>(y)] = row;
        for (size_t x = 0; x < w; ++x)
        {
            const uint32_t p = source[x];
            row[4 * x + 0] = static_cast<png_byte>(p >> 16);
            row[4 * x + 1] = static_cast<png_byte>(p >> 8);
            row[4 * x + 2] = static_cast<png_byte>(p);
            row[4 * x + 3] = static_cast<png_byte>(p >> 24);
        }
    }
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    const bool written = WriteRows(file, rows.data(), width, height);
    return std::fclose(file) == 0 && written;
}
} // namespace EditorSnapshot
