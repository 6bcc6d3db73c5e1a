#pragma once
// The text of the value-entry box while the user types: UTF-8, a caret and a selection, edited by
// printable text, Backspace, Delete, Left, Right, Home and End. Opening selects the whole text, so
// typing replaces it. Positions are byte offsets that always fall between whole characters.
#include <cstddef>
#include <string>

class EntryText
{
public:
    static constexpr size_t kMaxBytes = 1000; // the most a commit reads

    enum class Key
    {
        Backspace,
        Delete,
        Left,
        Right,
        Home,
        End
    };

    void Open(const std::string& text); // the whole text selected
    void Type(const char* utf8);        // replaces the selection; ignores control characters
    void Press(Key key);
    void Deselect() { anchor = caret; }

    const std::string& Text() const { return text; }
    size_t Caret() const { return caret; }
    size_t SelectionStart() const { return anchor < caret ? anchor : caret; }
    size_t SelectionEnd() const { return anchor < caret ? caret : anchor; }
    bool HasSelection() const { return anchor != caret; }

private:
    size_t Previous(size_t at) const;
    size_t Next(size_t at) const;
    void EraseSelection();

    std::string text;
    size_t caret = 0;
    size_t anchor = 0;
};
