// Linux stand-in for the system fonts: fontconfig picks the face for a family name (so "Arial" and
// "Verdana" resolve to installed metric-compatible faces), FreeType renders it. The height means what
// the Windows font height means: > 0 the cell height (ascent + descent), < 0 the em height.
#include "drawing/PIX_FontLayer.h"

#include "drawing/PIX_SysBitmap.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

namespace
{
struct LinuxFont
{
    FT_Face face;
    int32_t cellHeight;
    int32_t ascent;
    FT_Int32 loadFlags;
    FT_Render_Mode renderMode;
    char description[1280];
};

// One FreeType library for all faces; faces are made and freed under this lock.
std::mutex gLibraryLock;
FT_Library gLibrary = nullptr;
int32_t gFaces = 0;

constexpr int32_t kDefaultCellHeight = 16;

bool MatchFace(const PIX_FontSpec& request, char* path, size_t pathSize, int* index, char* name, size_t nameSize)
{
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return false;
    FcPatternAddString(pattern, FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(request.face ? request.face : "sans-serif"));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(request.weight > 0 ? request.weight : 400));
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;
    FcChar8* file = nullptr;
    FcChar8* family = nullptr;
    FcChar8* style = nullptr;
    bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file;
    if (ok)
    {
        std::snprintf(path, pathSize, "%s", reinterpret_cast<const char*>(file));
        if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
        FcPatternGetString(match, FC_FAMILY, 0, &family);
        FcPatternGetString(match, FC_STYLE, 0, &style);
        std::snprintf(name, nameSize, "%s %s", family ? reinterpret_cast<const char*>(family) : "?",
                      style ? reinterpret_cast<const char*>(style) : "");
    }
    FcPatternDestroy(match);
    return ok;
}

void ReleaseFace(FT_Face face)
{
    std::lock_guard<std::mutex> lock(gLibraryLock);
    if (face) FT_Done_Face(face);
    if (--gFaces == 0)
    {
        FT_Done_FreeType(gLibrary);
        gLibrary = nullptr;
    }
}

FT_Face OpenFace(const char* path, int index)
{
    std::lock_guard<std::mutex> lock(gLibraryLock);
    if (!gLibrary && FT_Init_FreeType(&gLibrary) != 0)
    {
        gLibrary = nullptr;
        return nullptr;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(gLibrary, path, index, &face) != 0) face = nullptr;
    ++gFaces; // counts the attempt; ReleaseFace balances it
    return face;
}

// The ascent and descent in font units that Windows uses for the cell (the OS/2 "win" metrics).
void CellMetrics(FT_Face face, int32_t* ascent, int32_t* descent)
{
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0)
    {
        *ascent = os2->usWinAscent;
        *descent = os2->usWinDescent;
    }
    else
    {
        *ascent = face->ascender;
        *descent = -face->descender;
    }
    if (*ascent + *descent <= 0)
    {
        *ascent = face->units_per_EM;
        *descent = 0;
    }
}

int32_t RoundDiv(int64_t a, int64_t b)
{
    return int32_t((a + b / 2) / b);
}
} // namespace

PIX_FontHandle PIX_CreateSystemFont(const PIX_FontSpec& request)
{
    char path[1024];
    char name[128];
    int index = 0;
    if (!MatchFace(request, path, sizeof path, &index, name, sizeof name)) return nullptr;
    FT_Face face = OpenFace(path, index);
    if (!face || face->units_per_EM == 0)
    {
        ReleaseFace(face);
        return nullptr;
    }
    int32_t up = 0, down = 0;
    CellMetrics(face, &up, &down);
    const int64_t units = up + down;
    int32_t height = request.height == 0 ? kDefaultCellHeight : request.height;
    int32_t ppem, cell, ascent;
    if (height > 0)
    {
        ppem = RoundDiv(int64_t(height) * face->units_per_EM, units);
        cell = height;
        ascent = RoundDiv(int64_t(height) * up, units);
    }
    else
    {
        ppem = height < -4096 ? 4096 : -height;
        ascent = RoundDiv(int64_t(ppem) * up, face->units_per_EM);
        cell = ascent + RoundDiv(int64_t(ppem) * down, face->units_per_EM);
    }
    if (ppem < 1) ppem = 1;
    if (ppem > 4096 || FT_Set_Pixel_Sizes(face, 0, FT_UInt(ppem)) != 0)
    {
        ReleaseFace(face);
        return nullptr;
    }
    auto* font = new (std::nothrow) LinuxFont{};
    if (!font)
    {
        ReleaseFace(face);
        return nullptr;
    }
    font->face = face;
    font->cellHeight = cell;
    font->ascent = ascent;
    const bool mono = request.quality == PIX_QUALITY_NONANTIALIASED;
    font->loadFlags = mono ? (FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) : FT_LOAD_DEFAULT;
    font->renderMode = mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;
    std::snprintf(font->description, sizeof font->description, "%s, %d px em (%s)", name, ppem, path);
    return font;
}

void PIX_DeleteSystemFont(PIX_FontHandle handle)
{
    auto* font = static_cast<LinuxFont*>(handle);
    if (!font) return;
    ReleaseFace(font->face);
    delete font;
}

int32_t PIX_FontCellHeight(PIX_FontHandle handle)
{
    auto* font = static_cast<LinuxFont*>(handle);
    return font ? font->cellHeight : 0;
}

bool PIX_FontCharExtent(PIX_FontHandle handle, PIX_SysBitmap&, uint32_t character, int32_t* width,
                        int32_t* height)
{
    auto* font = static_cast<LinuxFont*>(handle);
    *width = *height = 0;
    if (!font || FT_Load_Char(font->face, character, font->loadFlags) != 0) return false;
    *width = int32_t((font->face->glyph->advance.x + 32) >> 6);
    *height = font->cellHeight;
    return true;
}

void PIX_FontDrawChar(PIX_FontHandle handle, PIX_SysBitmap& scratch, int32_t x, int32_t y, uint32_t character)
{
    auto* font = static_cast<LinuxFont*>(handle);
    uint32_t* pixels = scratch.PixelData();
    if (!font || !pixels) return;
    if (FT_Load_Char(font->face, character, font->loadFlags) != 0) return;
    FT_GlyphSlot slot = font->face->glyph;
    if (FT_Render_Glyph(slot, font->renderMode) != 0) return;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pitch < 0 || !bm.buffer) return;
    const bool mono = bm.pixel_mode == FT_PIXEL_MODE_MONO;
    if (!mono && bm.pixel_mode != FT_PIXEL_MODE_GRAY) return;
    const int64_t left = int64_t(x) + slot->bitmap_left, top = int64_t(y) + font->ascent - slot->bitmap_top;
    const int32_t span = scratch.RowSpanPixels();
    for (uint32_t row = 0; row < bm.rows; ++row)
    {
        const int64_t py = top + row;
        if (py < 0 || py >= scratch.PixelHeight()) continue;
        const unsigned char* src = bm.buffer + int64_t(row) * bm.pitch;
        for (uint32_t col = 0; col < bm.width; ++col)
        {
            const int64_t px = left + col;
            if (px < 0 || px >= scratch.PixelWidth()) continue;
            const uint32_t v = mono ? ((src[col >> 3] >> (7 - (col & 7))) & 1) * 255u : src[col];
            if (v == 0) continue;
            uint32_t& d = pixels[py * span + px];
            const uint32_t old = (d >> 16) & 0xFF;
            const uint32_t c = v > old ? v : old;
            d = 0xFF000000u | c << 16 | c << 8 | c;
        }
    }
}

void PIX_FontDescribe(PIX_FontHandle handle, char* buffer, int32_t size)
{
    auto* font = static_cast<LinuxFont*>(handle);
    if (!buffer || size <= 0) return;
    std::snprintf(buffer, size_t(size), "%s", font ? font->description : "");
}

#if defined(__SANITIZE_ADDRESS__)
// fontconfig loses a few bytes while parsing its configuration files, once per process; every
// executable that draws text under the leak checker would otherwise fail on it. The library itself is
// built without frame pointers, so the stack ends in it and only its name can be matched.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
#endif

// Linux has no native text path: every draw takes the glyph cache, as under Wine.
bool PIX_PlatformHasNativeText()
{
    return false;
}

bool PIX_PlatformProbeWine()
{
    return false;
}

int32_t PIX_PlatformDrawText(PIX_FontHandle, PIX_IBitmap*, const char*, int32_t, PIX_Rect*, uint32_t,
                             uint32_t, int32_t, uint32_t)
{
    return 0;
}
