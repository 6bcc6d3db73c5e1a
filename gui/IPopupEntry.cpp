#include "gui/IPopupEntry.h"

#include "core/FixedText.h"
#include "core/IParamSlot.h"
#include "gui/IEditableTextControl.h"

#include <algorithm>
#include <cstring>

namespace
{
// Booleans and enumerations with named values get a list; everything else a text box.
bool UsesList(const IParamSlot& param)
{
    return param.DisplayTextCount() > 0 &&
           (param.kind == IParamSlot::kIntegerA || param.kind == IParamSlot::kIntegerB);
}

IArea Box(int32_t x, int32_t y, int32_t w, int32_t h)
{
    return {x, y, x + w, y + h};
}
} // namespace

IPopupEntry IPopupEntry::ForParam(IControl* control, IParamSlot* param, bool centred)
{
    IPopupEntry e;
    if (!control || !param) return e;
    const IArea& a = control->Area();
    // Single precision, as the window layer has always placed it.
    const int32_t cx = static_cast<int32_t>(static_cast<float>(a.left + a.right) * 0.5f);
    const int32_t cy = static_cast<int32_t>(static_cast<float>(a.top + a.bottom) * 0.5f);
    char current[IParamSlot::kTextSize];
    param->FormatValue(param->value, false, current);

    e.control = control;
    e.param = param;
    if (!UsesList(*param))
    {
        e.kind = kEditBox;
        e.multiLine = true;
        if (centred)
        {
            char widest[IParamSlot::kTextSize];
            param->FormatValue(1.0, true, widest);
            const int32_t w = std::max(7 * static_cast<int32_t>(std::strlen(widest)) + 6, 32);
            e.box = Box(cx - w / 2, cy - 8, w, 16);
            e.centredText = true;
            e.align = ITextStyle::kAlignCentre;
        }
        else
            e.box = a;
        e.text = current;
        e.wholeTextSelected = true;
        return e;
    }

    e.kind = kList;
    const int32_t count = param->DisplayTextCount();
    size_t longest = 0;
    for (int32_t i = 0; i < count; ++i)
    {
        e.entries.emplace_back(param->DisplayTextFor(i));
        longest = std::max(longest, e.entries.back().size());
    }
    for (int32_t i = 0; i < count; ++i)
        if (e.entries[i] == current) e.selected = i; // the last equal entry wins
    if (centred)
    {
        const int32_t w = std::max(24, 24 + 8 * static_cast<int32_t>(longest));
        e.box = Box(cx - w / 2, cy, w, 36 * (count + 1));
    }
    else
        e.box = Box(a.left, static_cast<int32_t>(static_cast<float>(a.top + a.bottom) * 0.5f), a.W(), a.H());
    return e;
}

IPopupEntry IPopupEntry::ForTextField(IEditableTextControl* field)
{
    IPopupEntry e;
    if (!field) return e;
    ITextStyle& style = field->Style();
    e.kind = kEditBox;
    e.box = field->Area();
    e.control = field;
    e.textControl = field;
    e.align = style.align;
    e.readOnly = !field->IsEditable();
    e.masked = field->IsMasked();
    e.multiLine = !e.masked;
    e.text = field->Text();
    e.wholeTextSelected = true;
    vellicor::CopyText(e.fontFace, style.face);
    e.fontHeight = style.size;
    e.fontBold = style.style == ITextStyle::kBold;
    e.fontItalic = style.style == ITextStyle::kItalic;
    return e;
}

double IPopupEntry::ValueFromText(const IParamSlot& param, const char* text)
{
    return param.ParseValue(text ? text : "");
}

bool IPopupEntry::KeyPressed(bool isReturn)
{
    if (!isReturn)
    {
        if (!Decided()) state = kFocused;
        return false;
    }
    if (kind == kEditBox) wholeTextSelected = false;
    Decide(kCommitRequested);
    return true;
}

void IPopupEntry::ListSelectionChanged()
{
    Decide(kCommitRequested);
}

void IPopupEntry::TypeText(const char* typed)
{
    if (kind != kEditBox || readOnly || !typed) return;
    if (wholeTextSelected) text.clear();
    wholeTextSelected = false;
    for (const char* p = typed; *p; ++p)
    {
        if (*p == '\r' || *p == '\n') continue; // Return is a key, not text
        if (static_cast<int32_t>(text.size()) >= kMaxText) break;
        text.push_back(*p);
    }
}

void IPopupEntry::Backspace()
{
    if (kind != kEditBox || readOnly) return;
    if (wholeTextSelected)
        text.clear();
    else if (!text.empty())
    {
        // Drop a whole UTF-8 sequence, not half of one.
        size_t n = text.size() - 1;
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            --n;
        text.erase(n);
    }
    wholeTextSelected = false;
}

void IPopupEntry::ChooseEntry(int32_t index)
{
    if (kind != kList || index < 0 || index >= static_cast<int32_t>(entries.size())) return;
    selected = index;
    ListSelectionChanged();
}

std::string IPopupEntry::CommitText() const
{
    std::string t;
    if (kind == kEditBox)
        t = text;
    else if (kind == kList && selected >= 0 && selected < static_cast<int32_t>(entries.size()))
        t = entries[selected];
    if (static_cast<int32_t>(t.size()) > kMaxText) t.resize(kMaxText);
    return t;
}
