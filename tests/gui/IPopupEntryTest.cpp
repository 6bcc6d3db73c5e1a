// Typing a value: pop-up layout, the state machine the window drives, and the commit rules.
#include "gui/IEditableTextControl.h"
#include "tests/gui/GuiFixture.h"

using namespace guitest;

TEST(IPopupEntry, LayoutOfEditBoxesAndLists)
{
    GuiTestEffect plug;
    ProbeControl gain(&plug, {10, 20, 71, 81}, 0), mode(&plug, {100, 10, 140, 30}, 2);
    plug.GetParam(0)->value = 12.5;
    plug.GetParam(2)->value = 3;

    const IPopupEntry centred = IPopupEntry::ForParam(&gain, plug.GetParam(0), true);
    EXPECT_EQ(centred.kind, IPopupEntry::kEditBox);
    // "100.0" is 5 characters: max(7 x 5 + 6, 32) = 41 wide, centred on (40, 50).
    EXPECT_EQ(centred.box, (IArea{40 - 20, 42, 40 - 20 + 41, 58}));
    EXPECT_EQ(centred.text, "12.5");
    EXPECT_TRUE(centred.wholeTextSelected);

    const IPopupEntry over = IPopupEntry::ForParam(&gain, plug.GetParam(0), false);
    EXPECT_EQ(over.box, gain.Area());

    const IPopupEntry list = IPopupEntry::ForParam(&mode, plug.GetParam(2), true);
    EXPECT_EQ(list.kind, IPopupEntry::kList);
    EXPECT_EQ(list.entries, (std::vector<std::string>{"Soft", "Hard", "Clip", "Soft"}));
    // 24 + 8 x 4 = 56 wide, 36 x 5 high, from the centre down.
    EXPECT_EQ(list.box, (IArea{120 - 28, 20, 120 + 28, 20 + 180}));
    EXPECT_EQ(list.selected, 3) << "the last entry equal to the current text";

    const IPopupEntry listOver = IPopupEntry::ForParam(&mode, plug.GetParam(2), false);
    EXPECT_EQ(listOver.box, (IArea{100, 20, 140, 40}));

    plug.GetParam(1)->AddDisplayText(0, "Off"); // an integer with names still gets a text box
    EXPECT_EQ(IPopupEntry::ForParam(&gain, plug.GetParam(1), true).kind, IPopupEntry::kEditBox);
    EXPECT_FALSE(IPopupEntry::ForParam(&gain, nullptr, true).IsOpen());
}

TEST(IPopupEntry, TypingReplacesTheSelectionThenAppends)
{
    IPopupEntry e;
    e.kind = IPopupEntry::kEditBox;
    e.text = "50.0";
    e.SelectAll();
    e.TypeText("12");
    e.TypeText(".5\n");
    EXPECT_EQ(e.text, "12.5");
    e.TypeText("\xC3\xA9");
    e.Backspace();
    EXPECT_EQ(e.text, "12.5") << "backspace drops a whole character";
    e.readOnly = true;
    e.TypeText("9");
    EXPECT_EQ(e.CommitText(), "12.5");
}

TEST(IPopupEntry, ACommitOrCancelAskedForHoldsUntilTheTick)
{
    // Whatever arrives after the request within the same tick, the tick still sees the request.
    const struct
    {
        const char* then;
        void (*event)(IPopupEntry&);
    } interferences[] = {
        {"focus gained", [](IPopupEntry& e) { e.FocusChanged(true); }},
        {"focus lost", [](IPopupEntry& e) { e.FocusChanged(false); }},
        {"a key", [](IPopupEntry& e) { e.KeyPressed(false); }},
        {"Return", [](IPopupEntry& e) { e.KeyPressed(true); }},
        {"a left press", [](IPopupEntry& e) { e.PressedOutside(false); }},
        {"a right press", [](IPopupEntry& e) { e.PressedOutside(true); }},
    };
    for (const int32_t request : {IPopupEntry::kCommitRequested, IPopupEntry::kCancelRequested})
        for (const auto& i : interferences)
        {
            IPopupEntry e;
            e.kind = IPopupEntry::kEditBox;
            e.FocusChanged(true);
            e.PressedOutside(request == IPopupEntry::kCancelRequested);
            i.event(e);
            EXPECT_EQ(e.state, request) << i.then << " after a " << (request == 2 ? "cancel" : "commit");
        }
}

class ValueEntryTest : public EditorTest
{
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        gain = Probe({10, 10, 60, 60}, 0);
        mode = Probe({100, 10, 140, 60}, 2);
        Open();
    }
    // A right click on a control asks it for a value entry.
    void OpenEntry(int32_t x, int32_t y)
    {
        gui->Click(x, y, Right());
        ASSERT_TRUE(gui->Popup().IsOpen());
        gui->OnPopupFocus(true);
        plug.edits.clear();
    }
    ProbeControl* gain = nullptr;
    ProbeControl* mode = nullptr;
};

TEST_F(ValueEntryTest, TypedNumberCommitsOnReturnAsOneGesture)
{
    OpenEntry(20, 20);
    gui->TypeIntoPopup("12.5");
    gui->PressReturnInPopup();
    EXPECT_TRUE(plug.edits.empty()) << "the commit waits for the next tick";
    gui->Tick();
    EXPECT_FALSE(gui->Popup().IsOpen());
    EXPECT_EQ(plug.edits,
              (std::vector<Edit>{{Kind::Begin, 0, 0.0}, {Kind::Edited, 0, 0.125}, {Kind::End, 0, 0.0}}))
        << "begin, one edit, end; nothing after";
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->value, 12.5);
}

TEST_F(ValueEntryTest, TextThatIsNotANumberCommitsTheRangeValueOfZero)
{
    const char* texts[] = {"loud", "", "-40", "1e999", "nan"};
    const double expected[] = {0.0, 0.0, 0.0, 1.0, 0.0};
    for (int i = 0; i < 5; ++i)
    {
        OpenEntry(20, 20);
        gui->TypeIntoPopup(texts[i]);
        gui->Popup().text = texts[i]; // an empty typed text still replaces the selection
        gui->PressReturnInPopup();
        gui->Tick();
        ASSERT_GE(plug.edits.size(), 2u);
        EXPECT_EQ(plug.edits[1].normalized, expected[i]) << "text \"" << texts[i] << "\"";
    }
}

TEST_F(ValueEntryTest, EscapeKeepsItOpenLeftClickCommitsRightClickCancels)
{
    OpenEntry(20, 20);
    gui->TypeIntoPopup("80");
    gui->PressKeyInPopup(); // Escape has no meaning of its own
    gui->Tick(3);
    EXPECT_TRUE(gui->Popup().IsOpen());

    gui->Click(150, 90); // elsewhere in the editor: commit on the next tick
    gui->Tick();
    EXPECT_FALSE(gui->Popup().IsOpen());
    EXPECT_DOUBLE_EQ(gain->Value(), 0.8);

    OpenEntry(20, 20);
    gui->TypeIntoPopup("10");
    gui->OnRightButtonDown(150, 90, Right());
    gui->OnButtonUp(150, 90, Right());
    gui->Tick();
    EXPECT_FALSE(gui->Popup().IsOpen());
    EXPECT_DOUBLE_EQ(gain->Value(), 0.8) << "cancelled";
    EXPECT_TRUE(plug.edits.empty()) << "a cancelled entry sends nothing, nor does the right click's release";
}

TEST_F(ValueEntryTest, ListChoiceCommitsItsValue)
{
    OpenEntry(120, 20);
    ASSERT_EQ(gui->Popup().kind, IPopupEntry::kList);
    gui->Popup().ChooseEntry(2);
    gui->Tick();
    EXPECT_EQ(plug.GetParam(2)->value, 2.0);
    EXPECT_DOUBLE_EQ(mode->Value(), 2.0 / 3.0);
}

TEST_F(ValueEntryTest, RequestsWhileOpenAreIgnoredAndClosingTheWindowDropsIt)
{
    OpenEntry(20, 20);
    const int shown = gui->PopupsShown();
    gui->OpenParamEntry(mode, plug.GetParam(2), true);
    EXPECT_EQ(gui->PopupsShown(), shown);
    EXPECT_EQ(gui->Popup().control, gain);
    gui->CloseWindow();
    EXPECT_FALSE(gui->Popup().IsOpen());
    EXPECT_TRUE(plug.edits.empty()) << "closing the window commits nothing";
}

using TextFieldTest = EditorTest;

TEST_F(TextFieldTest, ReturnStoresTheTextAndRightClickCancelsWithoutErasingIt)
{
    auto* field =
        new IEditableTextControl(&plug, {10, 10, 90, 30}, ITextStyle("Arial", 12, {}, ITextStyle::kBold),
                                 "name", IRgba{0, 0, 0, 0}, true, false);
    auto* fixed = new IEditableTextControl(&plug, {10, 40, 90, 60}, ITextStyle(), "fixed", IRgba{0, 0, 0, 0},
                                           false, true);
    gui->AddControl(field);
    gui->AddControl(fixed);
    Open();

    gui->Click(20, 20);
    ASSERT_TRUE(gui->Popup().IsOpen());
    EXPECT_TRUE(gui->Popup().fontBold);
    EXPECT_EQ(gui->Popup().param, nullptr);
    gui->TypeIntoPopup("other");
    gui->PressReturnInPopup();
    gui->Tick();
    EXPECT_STREQ(field->Text(), "other");

    gui->Click(20, 20);
    gui->TypeIntoPopup("lost?");
    gui->OnRightButtonDown(50, 80, Right());
    gui->Tick();
    EXPECT_STREQ(field->Text(), "other") << "a cancel keeps the field's text";

    gui->Click(20, 50);
    ASSERT_TRUE(gui->Popup().IsOpen());
    EXPECT_TRUE(gui->Popup().readOnly);
    EXPECT_TRUE(gui->Popup().masked);
    gui->Popup().text = "changed";
    gui->PressReturnInPopup();
    gui->Tick();
    EXPECT_STREQ(fixed->Text(), "fixed") << "a read-only field is never written";
}
