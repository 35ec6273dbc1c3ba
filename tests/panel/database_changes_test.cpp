// Changes of the name driver's databases: the cached names and titles follow
// them, with the controls that show the changed entry.
#include "panel_fixture.h"

namespace panel_test {
namespace {

using Strings = std::vector<std::string>;

class NameDriverChanges : public PanelFixture {
protected:
    void SetUp() override {
        PanelFixture::SetUp();
        startQuietly();
    }
    // What the editor shows as the old name when `source` of `nameSet` is opened.
    std::string preEditOf(int nameSet, int source) {
        press("2", ("NameSet_" + std::to_string(nameSet)).c_str());
        const auto from = mark();
        press("2", "SrcName", ("index=" + std::to_string(source)).c_str());
        press("2", "Cancel");
        for (const auto& command : since(from))
            if (command.rfind("' '2' 'PreEdit'") != std::string::npos) return command;
        return "";
    }
};

TEST_F(NameDriverChanges, ANameIsStoredSilently) {
    databaseChange(names, 4, 128, "LAST");
    databaseChange(names, 1, 1, "FIRST");
    EXPECT_TRUE(host.commands().empty());
    EXPECT_EQ(preEditOf(4, 128), "TP 'text=LAST' '2' 'PreEdit'");
    EXPECT_EQ(preEditOf(1, 1), "TP 'text=FIRST' '2' 'PreEdit'");
}

TEST_F(NameDriverChanges, TheNameOpenInTheEditorIsRefreshed) {
    press("2", "NameSet_2");
    press("2", "SrcName", "index=12");
    auto from = mark();
    databaseChange(names, 2, 12, "CAM 1");
    EXPECT_EQ(since(from), (Strings{"TP 'text=CAM 1' '2' 'PreEdit'", "TP 'text=CAM 1' '2' 'KB_1'"}));
    // The same entry of another set, or another entry of this set: stored only.
    from = mark();
    databaseChange(names, 3, 12, "OTHER");
    databaseChange(names, 2, 13, "NEXT");
    EXPECT_TRUE(since(from).empty());
    // Once the edit is closed the entry is only stored.
    press("2", "Cancel");
    from = mark();
    databaseChange(names, 2, 12, "CAM 2");
    EXPECT_TRUE(since(from).empty());
    EXPECT_EQ(preEditOf(2, 12), "TP 'text=CAM 2' '2' 'PreEdit'");
}

TEST_F(NameDriverChanges, ATitleEditIsNotTouchedByNameOrTitleChanges) {
    press("2", "SrcName", "index=12");
    press("2", "Cancel");
    press("2", "NamesetName");  // editIndex is still 12 from the name edit
    const auto from = mark();
    databaseChange(names, 1, 12, "CAM 9");
    databaseChange(names, 9, 1, "Renamed");
    EXPECT_EQ(since(from), Strings{"TP 'text=Renamed' '1' 'Names_1'"});
}

TEST_F(NameDriverChanges, ATitleUpdatesTheSelectorAndTheLiveSet) {
    revertive(tally, 212, "3");
    auto from = mark();
    databaseChange(names, 9, 3, "Studio");
    EXPECT_EQ(since(from), (Strings{"TP 'text=Studio' '1' 'Names_3'", "TP 'text=Studio' '1' 'Current'"}));
    from = mark();
    databaseChange(names, 9, 2, "Gallery");
    EXPECT_EQ(since(from), Strings{"TP 'text=Gallery' '1' 'Names_2'"});
    // The title of the set shown in the editor appears there on the next switch.
    from = mark();
    databaseChange(names, 9, 1, "Main");
    EXPECT_EQ(since(from), Strings{"TP 'text=Main' '1' 'Names_1'"});
    press("2", "NameSet_1");
    EXPECT_EQ(host.commands().back(), "TP 'text=Main' '2' 'NamesetName'");
}

TEST_F(NameDriverChanges, TheLastTitleIsNotOffByOne) {
    auto from = mark();
    databaseChange(names, 9, 8, "Late");
    EXPECT_EQ(since(from), Strings{"TP 'text=Late' '1' 'Names_8'"});
    revertive(tally, 212, "8");
    from = mark();
    databaseChange(names, 9, 8, "Night");
    EXPECT_EQ(since(from), (Strings{"TP 'text=Night' '1' 'Names_8'", "TP 'text=Night' '1' 'Current'"}));
}

TEST_F(NameDriverChanges, TitlesOutsideOneToEightAreIgnored) {
    databaseChange(names, 9, 0, "Overwritten");
    databaseChange(names, 9, 9, "Beyond");
    EXPECT_TRUE(host.commands().empty());
    revertive(tally, 212, "0");
    EXPECT_EQ(host.commands(), Strings{"TP 'text=Matrix Short Names' '1' 'Current'"});
}

TEST_F(NameDriverChanges, OtherDevicesAndDatabasesChangeNothing) {
    databaseChange(router, 1, 5, "ROUTER");
    databaseChange(31, 1, 5, "LOOKED UP");  // the looked-up driver lost to the site setting
    databaseChange(names, 0, 5, "ZERO");
    databaseChange(names, 10, 5, "TEN");
    EXPECT_TRUE(host.commands().empty());
    EXPECT_EQ(preEditOf(1, 5), "TP 'text=S1N5' '2' 'PreEdit'");
}

TEST_F(NameDriverChanges, EntriesOutsideTheTableAreDroppedWithOneLineEach) {
    DebugCapture debug;
    databaseChange(names, 3, 129, "PAST");
    databaseChange(names, 3, 0, "ZERO");
    databaseChange(names, 8, -1, "NEGATIVE");
    databaseChange(names, 1, 2147483647, "FAR");
    EXPECT_TRUE(host.commands().empty());
    ASSERT_EQ(debug.texts().size(), 4u);
    EXPECT_EQ(debug.texts()[0], "Kelvane: ignored a change of entry 129 in name set 3: entries are 1 to 128\n");
    for (const auto& line : debug.texts()) EXPECT_EQ(line.back(), '\n');
    EXPECT_EQ(preEditOf(3, 128), "TP 'text=S3N128' '2' 'PreEdit'");
}

}  // namespace
}  // namespace panel_test
