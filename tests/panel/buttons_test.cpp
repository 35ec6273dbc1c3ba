// The operator's buttons: choosing and confirming a name set, brightness,
// moving between the panels, and editing names and titles.
#include "panel_fixture.h"

namespace panel_test {
namespace {

using Strings = std::vector<std::string>;

bool contains(const Strings& sent, const std::string& command) {
    return std::find(sent.begin(), sent.end(), command) != sent.end();
}

using NameSetChoice = PanelFixture;

TEST_F(NameSetChoice, ASecondChoiceMovesTheHighlightAndRestartsTheWindow) {
    startQuietly();
    press("1", "Select_3");
    press("1", "Select_5");
    EXPECT_EQ(host.commands(), (Strings{"TP 'statesheet=KRSourceSelected' '1' 'Select_3'", "ET 1 1000",
                                        "CE '1' 'Confirm'", "TP 'statesheet=KRSourceDeselected' '1' 'Select_3'",
                                        "TP 'statesheet=KRSourceSelected' '1' 'Select_5'", "ET 1 1000",
                                        "CE '1' 'Confirm'"}));
    const auto from = mark();
    press("1", "Confirm");
    EXPECT_EQ(since(from), (Strings{"ET 1", "TP 'statesheet=KRSourceDeselected' '1' 'Select_5'",
                                    "CD '1' 'Confirm'", "IW 57 '5' 212 0"}));
}

TEST_F(NameSetChoice, ConfirmingSetZeroWritesZero) {
    startQuietly();
    press("1", "Select_0");
    const auto from = mark();
    press("1", "Confirm");
    EXPECT_EQ(since(from).back(), "IW 57 '0' 212 0");
}

TEST_F(NameSetChoice, ABrightnessButtonWritesItsLevelAtOnce) {
    startQuietly();
    press("1", "UMDBright_2");
    EXPECT_EQ(host.commands(), Strings{"IW 57 '2' 211 0"});
    destroy();  // no choice became pending
    EXPECT_EQ(host.commands().back(), "AS");
    EXPECT_FALSE(contains(host.commands(), "ET 1"));
}

TEST_F(NameSetChoice, NumberedButtonsWithoutADigitAreIgnored) {
    startQuietly();
    press("1", "Select_x");
    press("1", "Select_");
    press("1", "UMDBright_");
    press("1", "UMDBright_a");
    EXPECT_TRUE(host.commands().empty());
    destroy();
    EXPECT_EQ(host.commands(), (Strings{"IU 57", "AS"}));  // nothing became pending
}

using PanelSwitching = PanelFixture;

TEST_F(PanelSwitching, MovesBetweenSelectorAndEditor) {
    startQuietly();
    press("1", "Name_Editor");
    press("2", "Nameset_Select");
    EXPECT_EQ(host.commands(),
              (Strings{"PR '1'", "PS '2' 'NameEdit.vrel_ui'", "PR '2'", "PS '1' 'Selector.vrel_ui'"}));
}

TEST_F(PanelSwitching, IgnoresOtherPanelsAndControls) {
    startQuietly();
    press("3", "Confirm");
    press("2", "Confirm");
    press("1", "SrcName", "index=4");
    press("2", "namesetname");
    press("", "");
    EXPECT_TRUE(host.commands().empty());
}

using NameSetBrowsing = PanelFixture;

TEST_F(NameSetBrowsing, ShowsAnotherNameSetAndEditsItsNames) {
    startQuietly();
    press("2", "NameSet_4");
    EXPECT_EQ(host.commands(), (Strings{"TP 'statesheet=KRSourceDeselected' '2' 'NameSet_1'",
                                        "TP 'statesheet=KRSourceSelected' '2' 'NameSet_4'",
                                        "TP 'text=Title 4' '2' 'NamesetName'"}));
    press("2", "SrcName", "index=128");
    EXPECT_TRUE(contains(host.commands(), "TP 'text=S4N128' '2' 'PreEdit'"));
}

TEST_F(NameSetBrowsing, IgnoresNameSetButtonsWithoutATable) {
    startQuietly();
    for (const char* id : {"NameSet_0", "NameSet_9", "NameSet_x", "NameSet_"}) press("2", id);
    EXPECT_TRUE(host.commands().empty());
    press("2", "SrcName", "index=1");  // still name set 1
    EXPECT_TRUE(contains(host.commands(), "TP 'text=S1N1' '2' 'PreEdit'"));
}

TEST_F(NameSetBrowsing, PagesTheSourceList) {
    startQuietly();
    press("2", "SrcGroup", "button.003=pressed");
    EXPECT_EQ(host.commands(), Strings{"TP 'page=pressed' '2' 'SrcName'"});
}

class SourceNameEditing : public PanelFixture {
protected:
    void SetUp() override {
        PanelFixture::SetUp();
        host.reply("RN 60 3 17", "CAM 1");
        host.reply("RN 10 0 17", "Camera One");
        startQuietly();
        press("2", "NameSet_3");
        host.clearCommands();
    }
};

TEST_F(SourceNameEditing, RenamesSourceSeventeenOfNameSetThree) {
    DebugCapture debug;
    Strings expected;
    append(expected, {"CD '2' 'SrcGroup'", "CD '2' 'SrcName'", "CD '2' 'Nameset_Select'"});
    append(expected, forNameSetButtons("CD"));
    expected.push_back("CD '2' 'NamesetName'");
    append(expected, forEditFields("CS"));
    append(expected, {"TP 'text=3' '2' 'Nameset_id'", "TP 'text=Camera One' '2' 'LongName'",
                      "TP 'text=CAM 1' '2' 'PreEdit'", "TP 'text=' '2' 'PostEdit'", "TP 'text=CAM 1' '2' 'KB_1'",
                      "CE '2' 'KB_1'"});
    press("2", "SrcName", "index=17");
    EXPECT_EQ(host.commands(), expected);

    host.reply("TG '2' 'KB_1' 'text'", "text=CAM 2");
    auto from = mark();
    press("2", "KB_1", "key.2");
    EXPECT_EQ(since(from), Strings{"TG '2' 'KB_1' 'text'"});

    from = mark();
    press("2", "KB_1", "key.return");
    EXPECT_EQ(since(from), (Strings{"TG '2' 'KB_1' 'text'", "TP 'text=CAM 2' '2' 'PostEdit'", "CD '2' 'KB_1'",
                                    "CE '2' 'Cancel'", "CE '2' 'Update'",
                                    "TP 'statesheet=KR_TakeLow' '2' 'Cancel'",
                                    "TP 'statesheet=KR_TakeHigh' '2' 'Update'", "ET 2 500"}));

    expected = {"ET 2", "CD '2' 'Cancel'", "CD '2' 'Update'", "TG '2' 'KB_1' 'text'", "TP 'text=' '2' 'KB_1'",
                "RM 60 3 17 'CAM 2' 0"};
    append(expected, forEditFields("CH"));
    append(expected, {"TP 'index=0' '2' 'SrcName'", "CE '2' 'SrcGroup'", "CE '2' 'SrcName'",
                      "CE '2' 'Nameset_Select'", "CE '2' 'NamesetName'"});
    append(expected, forNameSetButtons("CE"));
    from = mark();
    press("2", "Update");
    EXPECT_EQ(since(from), expected);
    EXPECT_EQ(debug.texts(), Strings{"RM 60 3 17 'CAM 2' 0\n"});
    EXPECT_EQ(host.repliesOutstanding(), 0u);

    // The new name is in the panel's table at once.
    from = mark();
    press("2", "SrcName", "index=17");
    EXPECT_TRUE(contains(since(from), "TP 'text=CAM 2' '2' 'PreEdit'"));
}

TEST_F(SourceNameEditing, CutsANameBackToEightCharactersAfterEachKey) {
    press("2", "SrcName", "index=17");
    host.reply("TG '2' 'KB_1' 'text'", "text=CAM 12345");
    auto from = mark();
    press("2", "KB_1", "key.5");
    EXPECT_EQ(since(from), (Strings{"TG '2' 'KB_1' 'text'", "TP 'text=CAM 1234' '2' 'KB_1'"}));
    host.reply("TG '2' 'KB_1' 'text'", "text=CAM 1234");
    from = mark();
    press("2", "KB_1", "key.4");  // exactly eight: nothing to cut
    EXPECT_EQ(since(from), Strings{"TG '2' 'KB_1' 'text'"});
    from = mark();
    press("2", "KB_1", "key.return");
    EXPECT_EQ(since(from)[1], "TP 'text=CAM 1234' '2' 'PostEdit'");
}

TEST_F(SourceNameEditing, KeyboardEventsWithoutExactlyOneSubPartDoNothing) {
    press("2", "SrcName", "index=17");
    const auto from = mark();
    press("2", "KB_1", "key");
    press("2", "KB_1", "key.return.again");
    press("2", "KB_1", "");
    EXPECT_TRUE(since(from).empty());
}

TEST_F(SourceNameEditing, IgnoresSourcesOutsideTheList) {
    press("2", "SrcName", "index=-1");
    press("2", "SrcName", "index=129");
    press("2", "SrcName", "index=100000");
    EXPECT_TRUE(host.commands().empty());
    // No edit was opened: the keyboard's "return" has nothing to take.
    press("2", "KB_1", "key.return");
    EXPECT_TRUE(host.commands().empty());
}

TEST_F(SourceNameEditing, CancelWritesNothing) {
    DebugCapture debug;
    typeName(17, "CAM 2");
    const auto from = mark();
    press("2", "Cancel");
    const Strings sent = since(from);
    EXPECT_EQ(sent.front(), "ET 2");
    for (const auto& command : sent) EXPECT_NE(command.substr(0, 2), "RM") << command;
    EXPECT_TRUE(debug.texts().empty());
    press("2", "SrcName", "index=17");
    EXPECT_TRUE(contains(host.commands(), "TP 'text=CAM 1' '2' 'PreEdit'"));
}

TEST_F(SourceNameEditing, LateUpdateOrKeysAfterTheEditEndedChangeNothing) {
    DebugCapture debug;
    typeName(17, "CAM 2");
    press("2", "Cancel");
    const auto from = mark();
    press("2", "Update");
    press("2", "KB_1", "key.return");
    press("2", "KB_1", "key.x");
    EXPECT_TRUE(since(from).empty());
    EXPECT_TRUE(debug.texts().empty());  // no rename was written
    destroy();                           // and no flashing was started
    EXPECT_EQ(since(from), (Strings{"IU 57", "AS"}));
}

using TitleEditing = SourceNameEditing;

TEST_F(TitleEditing, WritesTheTitleOfTheCurrentSetToDatabaseNine) {
    DebugCapture debug;
    Strings expected{"CD '2' 'SrcGroup'", "CD '2' 'SrcName'", "CD '2' 'Nameset_Select'"};
    append(expected, forNameSetButtons("CD"));
    append(expected, {"CD '2' 'NamesetName'", "TP 'text=Title 3' '2' 'KB_1'", "CE '2' 'KB_1'"});
    press("2", "NamesetName");
    EXPECT_EQ(host.commands(), expected);  // the edit fields stay hidden

    host.reply("TG '2' 'KB_1' 'text'", "text=Studio Four Cameras");
    auto from = mark();
    press("2", "KB_1", "key.s");
    EXPECT_EQ(since(from).back(), "TP 'text=Studio Four Came' '2' 'KB_1'");  // 16 characters

    host.reply("TG '2' 'KB_1' 'text'", "text=Studio Four Came");
    press("2", "KB_1", "key.return");
    expected = {"ET 2", "CD '2' 'Cancel'", "CD '2' 'Update'", "TG '2' 'KB_1' 'text'", "TP 'text=' '2' 'KB_1'",
                "TP 'text=Studio Four Came' '2' 'NamesetName'", "RM 60 9 3 'Studio Four Came' 0",
                "CE '2' 'SrcGroup'", "CE '2' 'SrcName'", "CE '2' 'Nameset_Select'", "CE '2' 'NamesetName'"};
    append(expected, forNameSetButtons("CE"));
    from = mark();
    press("2", "Update");
    EXPECT_EQ(since(from), expected);
    EXPECT_EQ(debug.texts(), Strings{"RM 60 9 3 'Studio Four Came' 0\n"});

    // The title edit is closed: a late "Update" renames nothing.
    from = mark();
    press("2", "Update");
    EXPECT_TRUE(since(from).empty());
    EXPECT_EQ(debug.texts().size(), 1u);
}

TEST_F(TitleEditing, TheStoredTitleFollowsTheDriverNotTheButton) {
    DebugCapture renames;  // keeps the rename's debug line out of the test output
    host.reply("TG '2' 'KB_1' 'text'", "text=News");
    press("2", "NamesetName");
    press("2", "KB_1", "key.return");
    press("2", "Update");
    // Until the driver reports the rename, the selector still shows the old title.
    auto from = mark();
    revertive(tally, 212, "3");
    EXPECT_EQ(since(from), Strings{"TP 'text=Title 3' '1' 'Current'"});
    databaseChange(names, 9, 3, "News");
    from = mark();
    revertive(tally, 212, "3");
    EXPECT_EQ(since(from), Strings{"TP 'text=News' '1' 'Current'"});
}

}  // namespace
}  // namespace panel_test
