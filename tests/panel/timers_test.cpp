// Timer ticks: the confirmation window of a chosen name set, and the flashing
// that ends an unconfirmed edit.
#include "panel_fixture.h"

namespace panel_test {
namespace {

using Strings = std::vector<std::string>;

using ConfirmationWindow = PanelFixture;

TEST_F(ConfirmationWindow, AChoiceLapsesOnTheTenthTick) {
    startQuietly();
    press("1", "Select_3");
    const auto from = mark();
    for (int i = 0; i < 9; ++i) tick(1);
    EXPECT_TRUE(since(from).empty());
    tick(1);
    EXPECT_EQ(since(from), (Strings{"CD '1' 'Confirm'", "TP 'statesheet=KRSourceDeselected' '1' 'Select_3'",
                                    "ET 1"}));
    // Lapsed: late ticks send nothing and teardown has no window to stop.
    const auto after = mark();
    tick(1);
    tick(1);
    destroy();
    EXPECT_EQ(since(after), (Strings{"IU 57", "AS"}));
}

TEST_F(ConfirmationWindow, ANewChoiceStartsTheCountAgain) {
    startQuietly();
    press("1", "Select_3");
    for (int i = 0; i < 6; ++i) tick(1);
    press("1", "Select_4");
    const auto from = mark();
    for (int i = 0; i < 9; ++i) tick(1);
    EXPECT_TRUE(since(from).empty());
    tick(1);
    EXPECT_EQ(since(from)[1], "TP 'statesheet=KRSourceDeselected' '1' 'Select_4'");
}

TEST_F(ConfirmationWindow, AChoiceConfirmedInTimeIsWrittenAndNeverLapses) {
    startQuietly();
    press("1", "Select_3");
    for (int i = 0; i < 4; ++i) tick(1);
    press("1", "Confirm");
    EXPECT_EQ(host.commands().back(), "IW 57 '3' 212 0");
    const auto from = mark();
    tick(1);  // one tick already on its way when the timer was stopped
    destroy();
    EXPECT_EQ(since(from), (Strings{"IU 57", "AS"}));
}

TEST_F(ConfirmationWindow, TicksOfUnknownTimersStopThemAndChangeNothing) {
    startQuietly();
    press("1", "Select_3");
    const auto from = mark();
    tick(0);
    tick(3);
    tick(-7);
    EXPECT_EQ(since(from), (Strings{"ET 0", "ET 3", "ET -7"}));
    for (int i = 0; i < 10; ++i) tick(1);  // the window is untouched
    EXPECT_EQ(host.commands().back(), "ET 1");
}

class EditFlashing : public PanelFixture {
protected:
    void SetUp() override {
        PanelFixture::SetUp();
        startQuietly();
    }
    // Renames source 17, lets 19 of its 20 flash ticks pass, presses `control`
    // for the next edit and gives the last tick: what that tick sent.
    Strings lastTickOver(const char* control, const char* event = "") {
        typeName(17, "CAM 2");
        for (int i = 0; i < 19; ++i) tick(2);
        press("2", "Update");
        press("2", control, event);
        const auto from = mark();
        tick(2);
        return since(from);
    }
    void typeAndUpdate(const char* keyboardText) {
        host.reply("TG '2' 'KB_1' 'text'", keyboardText);
        press("2", "KB_1", "key.return");
        press("2", "Update");
    }
    static Strings flashPhase(int count) {
        const bool even = count % 2 == 0;
        return {std::string("TP 'statesheet=") + (even ? "KR_TakeLow" : "KR_TakeHigh") + "' '2' 'Cancel'",
                std::string("TP 'statesheet=") + (even ? "KR_TakeHigh" : "KR_TakeLow") + "' '2' 'Update'"};
    }
};

TEST_F(EditFlashing, TwentyTicksFlashAndThenDropTheEdit) {
    DebugCapture debug;
    typeName(17, "CAM 2");
    const auto from = mark();
    for (int i = 0; i < 20; ++i) tick(2);

    Strings expected;
    for (int count = 19; count >= 0; --count) append(expected, flashPhase(count));
    append(expected, {"ET 2", "ET 2"});  // the flash's own stop, then endEdit's
    for (const char* field : {"Nameset_id", "LongName", "PreEdit", "PostEdit", "KB_1"})
        expected.push_back(std::string("TP 'text=' '2' '") + field + "'");
    append(expected, {"CD '2' 'Cancel'", "CD '2' 'Update'", "CE '2' 'SrcGroup'", "CE '2' 'SrcName'",
                      "CE '2' 'Nameset_Select'"});
    append(expected, forNameSetButtons("CE"));
    append(expected, {"CE '2' 'NamesetName'", "TP 'index=0' '2' 'SrcName'"});
    append(expected, forEditFields("CH"));
    EXPECT_EQ(since(from), expected);
    EXPECT_TRUE(debug.texts().empty());  // nothing was renamed

    // The edit is over: a late "Update" writes nothing either.
    const auto after = mark();
    press("2", "Update");
    EXPECT_TRUE(since(after).empty());
}

TEST_F(EditFlashing, ALateTickAfterUpdateOnlySwapsTheLooks) {
    DebugCapture renames;  // keeps the rename's debug line out of the test output
    typeName(17, "CAM 2");
    for (int i = 0; i < 3; ++i) tick(2);
    press("2", "Update");
    const auto from = mark();
    tick(2);
    EXPECT_EQ(since(from), flashPhase(16));
}

TEST_F(EditFlashing, LateTicksOfAnEarlierEditDoNotEndTheNextOne) {
    DebugCapture renames;
    EXPECT_EQ(lastTickOver("SrcName", "index=18"), flashPhase(-1));  // looks only: the new edit stays open
    typeAndUpdate("text=CAM 3");
    EXPECT_EQ(renames.texts(), (Strings{"RM 60 1 17 'CAM 2' 0\n", "RM 60 1 18 'CAM 3' 0\n"}));
}

TEST_F(EditFlashing, LateTicksOfAnEarlierEditDoNotEndATitleEditEither) {
    DebugCapture renames;
    EXPECT_EQ(lastTickOver("NamesetName"), flashPhase(-1));  // looks only: the title edit stays open
    typeAndUpdate("text=News");
    EXPECT_EQ(renames.texts().back(), "RM 60 9 1 'News' 0\n");
}

}  // namespace
}  // namespace panel_test
