// Windows system fonts through GDI. Glyphs are drawn into the scratch bitmap's own drawing context, and
// opaque text outside Wine is drawn by GDI itself (its anti-aliasing, its layout).
#include "drawing/PIX_FontLayer.h"

#include "drawing/PIX_IFont.h"
#include "drawing/PIX_SysBitmap.h"

#include <cstdio>
#include <new>

#include <windows.h>

namespace
{
HFONT Font(PIX_FontHandle font)
{
    return static_cast<HFONT>(font);
}

// Runs f with the font selected into dc, putting the previous font back afterwards.
template <typename F> bool WithFont(HDC dc, PIX_FontHandle font, F f)
{
    if (!dc || !font) return false;
    HGDIOBJ old = SelectObject(dc, Font(font));
    if (!old || old == HGDI_ERROR) return false;
    f();
    SelectObject(dc, old);
    return true;
}

// A character as UTF-16 (a surrogate pair beyond the basic plane); answers the unit count.
int Utf16(uint32_t character, WCHAR* units)
{
    if (character > 0x10FFFF) character = 0xFFFD;
    if (character < 0x10000)
    {
        units[0] = WCHAR(character);
        return 1;
    }
    character -= 0x10000;
    units[0] = WCHAR(0xD800 + (character >> 10));
    units[1] = WCHAR(0xDC00 + (character & 0x3FF));
    return 2;
}

bool HasMultiByteSequence(const char* text, int32_t length)
{
    for (int32_t i = 0; i < length; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80) return true;
    return false;
}

// A memory context for measuring when the caller gives no bitmap.
struct MeasureContext
{
    MeasureContext() : dc(CreateCompatibleDC(nullptr)) {}
    ~MeasureContext()
    {
        if (dc) DeleteDC(dc);
    }
    HDC dc;
};
} // namespace

PIX_FontHandle PIX_CreateSystemFont(const PIX_FontSpec& request)
{
    return CreateFontA(request.height, request.width, request.escapement, request.escapement, request.weight,
                       request.italic ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DWORD(request.quality), DEFAULT_PITCH | FF_DONTCARE,
                       request.face ? request.face : "");
}

void PIX_DeleteSystemFont(PIX_FontHandle font)
{
    if (font) DeleteObject(Font(font));
}

int32_t PIX_FontCellHeight(PIX_FontHandle font)
{
    MeasureContext measure;
    TEXTMETRICA metrics{};
    bool ok = false;
    WithFont(measure.dc, font, [&] { ok = GetTextMetricsA(measure.dc, &metrics) != 0; });
    return ok ? int32_t(metrics.tmHeight) : 0;
}

bool PIX_FontCharExtent(PIX_FontHandle font, PIX_SysBitmap& scratch, uint32_t character, int32_t* width,
                        int32_t* height)
{
    *width = *height = 0;
    HDC dc = static_cast<HDC>(scratch.DrawingContext());
    WCHAR units[2];
    const int n = Utf16(character, units);
    SIZE extent{};
    bool ok = false;
    WithFont(dc, font, [&] { ok = GetTextExtentPoint32W(dc, units, n, &extent) != 0; });
    if (!ok) return false;
    *width = int32_t(extent.cx);
    *height = int32_t(extent.cy);
    return true;
}

void PIX_FontDrawChar(PIX_FontHandle font, PIX_SysBitmap& scratch, int32_t x, int32_t y, uint32_t character)
{
    HDC dc = static_cast<HDC>(scratch.DrawingContext());
    WCHAR units[2];
    const int n = Utf16(character, units);
    WithFont(dc, font, [&] {
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkMode(dc, TRANSPARENT); // over the black the caller filled in
        SetTextAlign(dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
        TextOutW(dc, x, y, units, n);
    });
    GdiFlush(); // the caller reads the pixels next
}

void PIX_FontDescribe(PIX_FontHandle font, char* buffer, int32_t size)
{
    if (!buffer || size <= 0) return;
    buffer[0] = 0;
    MeasureContext measure;
    char face[LF_FACESIZE] = "";
    TEXTMETRICA metrics{};
    WithFont(measure.dc, font, [&] {
        GetTextFaceA(measure.dc, sizeof face, face);
        GetTextMetricsA(measure.dc, &metrics);
    });
    std::snprintf(buffer, size_t(size), "%s, weight %ld, %ld px cell", face, long(metrics.tmWeight),
                  long(metrics.tmHeight));
}

bool PIX_PlatformHasNativeText()
{
    return true;
}

// Wine's own registry key; under Wine GDI's text differs from Windows', so the glyph cache is used.
bool PIX_PlatformProbeWine()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine", 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

int32_t PIX_PlatformDrawText(PIX_FontHandle font, PIX_IBitmap* bitmap, const char* text, int32_t length,
                             PIX_Rect* rect, uint32_t flags, uint32_t colour, int32_t backMode,
                             uint32_t backColour)
{
    if (!text || !rect) return 0;
    if (length < 0)
    {
        length = 0;
        while (text[length]) ++length;
    }
    MeasureContext measure;
    HDC dc = bitmap ? static_cast<HDC>(bitmap->DrawingContext()) : nullptr;
    if (!dc) dc = measure.dc;
    if (!dc) return 0;

    // UTF-16 when the text holds well-formed multi-byte sequences; otherwise the bytes as they are.
    constexpr int kStackUnits = 1024;
    WCHAR stackUnits[kStackUnits];
    WCHAR* units = nullptr;
    int unitCount = 0;
    if (HasMultiByteSequence(text, length))
    {
        unitCount = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, length, nullptr, 0);
        if (unitCount > 0)
        {
            units = unitCount <= kStackUnits ? stackUnits : new (std::nothrow) WCHAR[size_t(unitCount)];
            if (units) MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, length, units, unitCount);
        }
    }
    RECT r{rect->left, rect->top, rect->right, rect->bottom};
    int result = 0;
    WithFont(dc, font, [&] {
        SetTextColor(dc, RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF));
        SetBkMode(dc, backMode == PIX_BACK_OPAQUE ? OPAQUE : TRANSPARENT);
        if (backMode == PIX_BACK_OPAQUE)
            SetBkColor(dc, RGB((backColour >> 16) & 0xFF, (backColour >> 8) & 0xFF, backColour & 0xFF));
        const UINT format = UINT(flags & ~uint32_t(PIX_TEXT_USE_ALPHA)) | DT_NOPREFIX;
        result = units ? DrawTextW(dc, units, unitCount, &r, format) : DrawTextA(dc, text, length, &r, format);
    });
    if (units && units != stackUnits) delete[] units;
    GdiFlush();
    rect->left = r.left;
    rect->top = r.top;
    rect->right = r.right;
    rect->bottom = r.bottom;
    return result;
}
