#include "gui/platform/x11/X11PopUpView.h"

#include "drawing/PIX_Blit.h"
#include "drawing/PIX_CachedFont.h"
#include "drawing/PIX_FontLayer.h"
#include "drawing/PIX_MemBitmap.h"
#include "gui/IGraphics.h"
#include "gui/IGraphicsCaches.h"

#include <X11/keysym.h>

#include <algorithm>

namespace
{
constexpr uint32_t kBackground = 0xffffffff;
constexpr uint32_t kBorder = 0xff7a7a7a;
constexpr uint32_t kText = 0xff000000;
constexpr uint32_t kHighlight = 0xff3874d8;
constexpr uint32_t kHighlightText = 0xffffffff;
constexpr int kTextInset = 3;

PIX_CachedFont* FontFor(const IPopupEntry& e)
{
    ITextStyle style(e.fontFace, e.fontHeight, {255, 0, 0, 0},
                     (e.fontBold ? ITextStyle::kBold : 0) | (e.fontItalic ? ITextStyle::kItalic : 0));
    auto textLock = IGraphicsCaches::LockText();
    if (PIX_CachedFont* cached = IGraphicsCaches::FindFont(style)) return cached;
    const PIX_FontSpec fontSpec{style.face,   style.size,         0, 0, e.fontBold ? 700 : 400,
                                e.fontItalic, PIX_QUALITY_DEFAULT};
    PIX_FontHandle system = PIX_CreateSystemFont(fontSpec);
    if (!system) return nullptr;
    auto* font = new PIX_CachedFont();
    font->SetSystemFont(system, PIX_FONT_OWNS_SYSTEM_FONT | PIX_FONT_NATIVE_ALLOWED);
    return IGraphicsCaches::AddFont(style, font);
}

// What the box shows: the text, or one '*' per character when masked.
std::string Shown(const std::string& text, bool masked)
{
    if (!masked) return text;
    std::string stars;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xc0) != 0x80) stars += '*';
    return stars;
}

size_t ShownOffset(const std::string& text, size_t byteOffset, bool masked)
{
    if (!masked) return byteOffset;
    size_t n = 0;
    for (size_t i = 0; i < byteOffset && i < text.size(); ++i)
        n += (static_cast<unsigned char>(text[i]) & 0xc0) != 0x80;
    return n;
}
} // namespace

X11PopUpView::X11PopUpView(IGraphics& g, X11Connection& connection, X11Window& editor, const IPopupEntry& e)
    : graphics(g), window(connection, *this), kind(e.kind), readOnly(e.readOnly), masked(e.masked),
      entries(e.entries), highlighted(e.selected), box(e.box)
{
    font = FontFor(e);
    if (kind == IPopupEntry::kEditBox) entry.Open(e.text);
    if (kind == IPopupEntry::kList)
    {
        // We draw the list open: one row per entry, kept inside the editor.
        const int rows = std::max<int>(1, static_cast<int>(entries.size()));
        const int height = std::min(rows * RowHeight() + 2, graphics.Height());
        box.bottom = box.top + height;
        if (box.bottom > graphics.Height())
            box.top = graphics.Height() - height, box.bottom = graphics.Height();
        if (box.top < 0) box.top = 0;
    }
    if (box.W() <= 0 || box.H() <= 0) return;
    pixels = std::make_unique<PIX_MemBitmap>(box.W(), box.H(), 4);
    if (!window.Create(editor.Id(), box.left, box.top, box.W(), box.H())) return;
    window.Raise();
    window.TakeFocus();
    Paint();
}

X11PopUpView::~X11PopUpView() = default;

int X11PopUpView::RowHeight() const
{
    return (font ? font->LineHeight() : 14) + kRowPadding;
}

int32_t X11PopUpView::RowAt(int y) const
{
    const int row = (y - 1) / RowHeight();
    return y >= 1 && row < static_cast<int>(entries.size()) ? row : -1;
}

std::string X11PopUpView::Text() const
{
    if (kind == IPopupEntry::kEditBox) return entry.Text();
    return highlighted >= 0 && highlighted < static_cast<int32_t>(entries.size()) ? entries[highlighted] : "";
}

void X11PopUpView::Paint()
{
    if (!pixels || !pixels->PixelData() || !window.IsOpen()) return;
    PIX_MemBitmap* b = pixels.get();
    const int w = box.W(), h = box.H();
    auto textLock = IGraphicsCaches::LockText(); // the font is shared with editors on other threads
    FillRect(b, 0, 0, w, h, kBorder, 1.0f, 0);
    FillRect(b, 1, 1, w - 2, h - 2, kBackground, 1.0f, 0);
    auto width = [&](const std::string& s)
    {
        if (!font || s.empty()) return 0;
        PIX_Rect r{0, 0, 0, 0};
        font->DrawTextInto(b, s.c_str(), static_cast<int32_t>(s.size()), &r,
                           PIX_TEXT_MEASURE_ONLY | PIX_TEXT_SINGLE_LINE | PIX_TEXT_NO_PREFIX);
        return static_cast<int>(r.right - r.left);
    };
    auto draw = [&](const std::string& s, int x, int top, int bottom, uint32_t colour)
    {
        if (!font || s.empty()) return;
        font->SetTextColour(colour);
        PIX_Rect r{x, top, w - 1, bottom};
        font->DrawTextInto(b, s.c_str(), static_cast<int32_t>(s.size()), &r,
                           PIX_TEXT_SINGLE_LINE | PIX_TEXT_VCENTRE | PIX_TEXT_NO_PREFIX);
    };

    if (kind == IPopupEntry::kEditBox)
    {
        const std::string shown = Shown(entry.Text(), masked);
        const size_t s = ShownOffset(entry.Text(), entry.SelectionStart(), masked);
        const size_t e = ShownOffset(entry.Text(), entry.SelectionEnd(), masked);
        const size_t c = ShownOffset(entry.Text(), entry.Caret(), masked);
        const int full = width(shown);
        const int x0 = graphics.Popup().centredText || graphics.Popup().align == ITextStyle::kAlignCentre
                           ? std::max(kTextInset, (w - full) / 2)
                       : graphics.Popup().align == ITextStyle::kAlignRight
                           ? std::max(kTextInset, w - kTextInset - full)
                           : kTextInset;
        const int xs = x0 + width(shown.substr(0, s)), xe = x0 + width(shown.substr(0, e));
        if (e > s) FillRect(b, xs, 2, xe - xs, h - 4, kHighlight, 1.0f, 0);
        draw(shown.substr(0, s), x0, 1, h - 1, kText);
        draw(shown.substr(s, e - s), xs, 1, h - 1, kHighlightText);
        draw(shown.substr(e), xe, 1, h - 1, kText);
        if (e == s) FillRect(b, x0 + width(shown.substr(0, c)), 2, 1, h - 4, kText, 1.0f, 0);
    }
    else
    {
        const int row = RowHeight();
        for (int i = 0; i < static_cast<int>(entries.size()); ++i)
        {
            const int top = 1 + i * row;
            if (top >= h - 1) break;
            const bool lit = i == highlighted;
            if (lit) FillRect(b, 1, top, w - 2, std::min(row, h - 1 - top), kHighlight, 1.0f, 0);
            draw(entries[i], kTextInset, top, top + row, lit ? kHighlightText : kText);
        }
    }
    window.Present(b->PixelData(), b->RowSpanPixels(), w, h, 0, 0, w, h);
}

void X11PopUpView::WindowMouseDown(int, int y, X11Mods mods)
{
    window.Release(); // the press selects; nothing is dragged in a pop-up
    window.TakeFocus();
    if (kind == IPopupEntry::kList && mods.left)
    {
        const int32_t row = RowAt(y);
        if (row < 0) return;
        highlighted = row;
        Paint();
        graphics.Popup().ChooseEntry(row);
    }
}

void X11PopUpView::WindowWheel(int, int, X11Mods, int notches)
{
    if (kind != IPopupEntry::kList || entries.empty()) return;
    highlighted = std::clamp<int32_t>(highlighted - notches, 0, static_cast<int32_t>(entries.size()) - 1);
    Paint();
}

void X11PopUpView::WindowKey(int, int, unsigned long sym, const char* text)
{
    if (sym == XK_Return || sym == XK_KP_Enter)
    {
        if (kind == IPopupEntry::kList && highlighted >= 0)
            graphics.Popup().ChooseEntry(highlighted);
        else
        {
            entry.Deselect();
            graphics.OnPopupKey(true);
        }
        Paint();
        return;
    }
    graphics.OnPopupKey(false); // any other key, Escape among them, only marks it focused
    if (kind == IPopupEntry::kList)
    {
        const int32_t last = static_cast<int32_t>(entries.size()) - 1;
        if (sym == XK_Up || sym == XK_KP_Up) highlighted = std::max<int32_t>(0, highlighted - 1);
        if (sym == XK_Down || sym == XK_KP_Down) highlighted = std::min<int32_t>(last, highlighted + 1);
        if (sym == XK_Home) highlighted = last >= 0 ? 0 : -1;
        if (sym == XK_End) highlighted = last;
        Paint();
        return;
    }
    switch (sym)
    {
    case XK_BackSpace:
        if (!readOnly) entry.Press(EntryText::Key::Backspace);
        break;
    case XK_Delete:
    case XK_KP_Delete:
        if (!readOnly) entry.Press(EntryText::Key::Delete);
        break;
    case XK_Left:
    case XK_KP_Left:
        entry.Press(EntryText::Key::Left);
        break;
    case XK_Right:
    case XK_KP_Right:
        entry.Press(EntryText::Key::Right);
        break;
    case XK_Home:
    case XK_KP_Home:
        entry.Press(EntryText::Key::Home);
        break;
    case XK_End:
    case XK_KP_End:
        entry.Press(EntryText::Key::End);
        break;
    default:
        if (!readOnly) entry.Type(text);
        break;
    }
    Paint();
}

void X11PopUpView::WindowFocus(bool gained)
{
    graphics.OnPopupFocus(gained);
    Paint();
}
