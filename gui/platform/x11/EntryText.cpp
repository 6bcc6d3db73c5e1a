#include "gui/platform/x11/EntryText.h"

namespace
{
bool IsContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xc0) == 0x80;
}
} // namespace

void EntryText::Open(const std::string& t)
{
    text = t.substr(0, kMaxBytes);
    while (!text.empty() && text.size() == kMaxBytes && IsContinuation(text.back()))
        text.pop_back();
    anchor = 0;
    caret = text.size();
}

size_t EntryText::Previous(size_t at) const
{
    if (at == 0) return 0;
    --at;
    while (at > 0 && IsContinuation(text[at]))
        --at;
    return at;
}

size_t EntryText::Next(size_t at) const
{
    if (at >= text.size()) return text.size();
    ++at;
    while (at < text.size() && IsContinuation(text[at]))
        ++at;
    return at;
}

void EntryText::EraseSelection()
{
    const size_t start = SelectionStart();
    text.erase(start, SelectionEnd() - start);
    caret = anchor = start;
}

void EntryText::Type(const char* utf8)
{
    if (!utf8) return;
    std::string insert;
    for (const char* c = utf8; *c; ++c)
        if (static_cast<unsigned char>(*c) >= 0x20 && *c != 0x7f) insert += *c;
    if (insert.empty()) return;
    EraseSelection();
    if (text.size() + insert.size() > kMaxBytes) return; // a whole character or nothing
    text.insert(caret, insert);
    caret = anchor = caret + insert.size();
}

void EntryText::Press(Key key)
{
    switch (key)
    {
    case Key::Backspace:
        if (!HasSelection()) anchor = Previous(caret);
        EraseSelection();
        break;
    case Key::Delete:
        if (!HasSelection()) anchor = Next(caret);
        EraseSelection();
        break;
    case Key::Left:
        caret = anchor = HasSelection() ? SelectionStart() : Previous(caret);
        break;
    case Key::Right:
        caret = anchor = HasSelection() ? SelectionEnd() : Next(caret);
        break;
    case Key::Home:
        caret = anchor = 0;
        break;
    case Key::End:
        caret = anchor = text.size();
        break;
    }
}
