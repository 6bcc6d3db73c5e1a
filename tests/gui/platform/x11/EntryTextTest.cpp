#include "gui/platform/x11/EntryText.h"

#include <gtest/gtest.h>

namespace
{
using Key = EntryText::Key;

TEST(EntryTextTest, OpeningSelectsAllSoTypingReplacesIt)
{
    EntryText e;
    e.Open("-3.0 dB");
    EXPECT_EQ(e.SelectionStart(), 0u);
    EXPECT_EQ(e.SelectionEnd(), 7u);
    e.Type("1");
    e.Type("2");
    EXPECT_EQ(e.Text(), "12");
    EXPECT_EQ(e.Caret(), 2u);
    EXPECT_FALSE(e.HasSelection());
}

// Each row: the keys pressed after opening "aé€b" (bytes 1, 2, 3, 1) and the text and caret after.
TEST(EntryTextTest, EditingKeysMoveAndEraseWholeCharacters)
{
    struct Case
    {
        std::vector<Key> keys;
        const char* typed;
        std::string text;
        size_t caret;
    };
    const std::string start = "a\xc3\xa9\xe2\x82\xac"
                              "b";
    const std::vector<Case> cases = {
        {{Key::Left}, "", start, 0},                                  // collapses to the start
        {{Key::Right}, "", start, 7},                                 // collapses to the end
        {{Key::End, Key::Backspace}, "", "a\xc3\xa9\xe2\x82\xac", 6}, // one byte
        {{Key::End, Key::Left, Key::Backspace}, "", "a\xc3\xa9" "b", 3}, // the three-byte euro
        {{Key::Home, Key::Right, Key::Delete}, "", "a\xe2\x82\xac" "b", 1}, // the two-byte e
        {{Key::Home, Key::Backspace}, "", start, 0},                  // nothing before
        {{Key::End, Key::Delete}, "", start, 7},                      // nothing after
        {{Key::Home}, "x", "x" + start, 1},
        {{Key::Backspace}, "", "", 0},                                // the selection goes
        {{Key::End, Key::Left, Key::Left}, "\xc3\xbc", "a\xc3\xa9\xc3\xbc\xe2\x82\xac" "b", 5},
    };
    for (size_t i = 0; i < cases.size(); ++i)
    {
        EntryText e;
        e.Open(start);
        for (Key k : cases[i].keys)
            e.Press(k);
        e.Type(cases[i].typed);
        EXPECT_EQ(e.Text(), cases[i].text) << "case " << i;
        EXPECT_EQ(e.Caret(), cases[i].caret) << "case " << i;
    }
}

TEST(EntryTextTest, ControlCharactersAreNotTextAndTheLengthIsBounded)
{
    EntryText e;
    e.Open("");
    e.Type("1\r\n\t\x1b" "2");
    EXPECT_EQ(e.Text(), "12");
    e.Open(std::string(EntryText::kMaxBytes - 1, '9'));
    e.Press(Key::End);
    e.Type("\xc3\xa9"); // would pass the bound: refused whole
    EXPECT_EQ(e.Text().size(), EntryText::kMaxBytes - 1);
    e.Type("8");
    EXPECT_EQ(e.Text().size(), EntryText::kMaxBytes);
    e.Open(std::string(2000, 'x'));
    EXPECT_EQ(e.Text().size(), EntryText::kMaxBytes);
}
} // namespace
