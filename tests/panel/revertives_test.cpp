// Revertives of the tally infodriver: the selector shows the reported
// brightness and the title of the name set in use.
#include "panel_fixture.h"

namespace panel_test {
namespace {

using Strings = std::vector<std::string>;

class TallyReports : public PanelFixture {
protected:
    void SetUp() override {
        PanelFixture::SetUp();
        startQuietly();
    }
};

TEST_F(TallyReports, BrightnessMovesTheHighlight) {
    revertive(tally, 211, "2");
    EXPECT_EQ(host.commands(), Strings{"TP 'statesheet=KRSourceSelected' '1' 'UMDBright_2'"});
    auto from = mark();
    revertive(tally, 211, "3");
    EXPECT_EQ(since(from), (Strings{"TP 'statesheet=KRSourceDeselected' '1' 'UMDBright_2'",
                                    "TP 'statesheet=KRSourceSelected' '1' 'UMDBright_3'"}));
    from = mark();
    revertive(tally, 211, "3");  // the same level again: off, then on
    EXPECT_EQ(since(from), (Strings{"TP 'statesheet=KRSourceDeselected' '1' 'UMDBright_3'",
                                    "TP 'statesheet=KRSourceSelected' '1' 'UMDBright_3'"}));
}

TEST_F(TallyReports, BrightnessWrittenLooselyLightsTheButtonOfItsLevel) {
    revertive(tally, 211, "02");
    const auto from = mark();
    revertive(tally, 211, " 3");
    EXPECT_EQ(host.commands(), (Strings{"TP 'statesheet=KRSourceSelected' '1' 'UMDBright_2'",
                                        "TP 'statesheet=KRSourceDeselected' '1' 'UMDBright_2'",
                                        "TP 'statesheet=KRSourceSelected' '1' 'UMDBright_3'"}));
    EXPECT_EQ(since(from).size(), 2u);
}

TEST_F(TallyReports, BrightnessOutsideOneToThreeIsIgnored) {
    for (const char* level : {"0", "4", "-1", "", "x"}) revertive(tally, 211, level);
    EXPECT_TRUE(host.commands().empty());
    revertive(tally, 211, "1");
    EXPECT_EQ(host.commands(), Strings{"TP 'statesheet=KRSourceSelected' '1' 'UMDBright_1'"});
}

TEST_F(TallyReports, TheNameSetInUseShowsItsTitle) {
    revertive(tally, 212, "5");
    revertive(tally, 212, "8");
    revertive(tally, 212, "0");
    EXPECT_EQ(host.commands(), (Strings{"TP 'text=Title 5' '1' 'Current'", "TP 'text=Title 8' '1' 'Current'",
                                        "TP 'text=Matrix Short Names' '1' 'Current'"}));
}

TEST_F(TallyReports, NameSetsOutsideZeroToEightAreIgnored) {
    revertive(tally, 212, "3");
    const auto from = mark();
    revertive(tally, 212, "9");
    revertive(tally, 212, "-1");
    revertive(tally, 212, "2147483647");
    revertive(router, 212, "5");  // another device
    EXPECT_TRUE(since(from).empty());
    // Set 3 is still the one in use: its new title reaches "Current".
    databaseChange(names, 9, 3, "Studio");
    EXPECT_EQ(since(from), (Strings{"TP 'text=Studio' '1' 'Names_3'", "TP 'text=Studio' '1' 'Current'"}));
}

TEST_F(TallyReports, OtherDevicesAndSlotsChangeNothing) {
    revertive(router, 211, "2");
    revertive(names, 212, "3");
    revertive(tally, 213, "2");
    revertive(tally, 210, "2");
    EXPECT_TRUE(host.commands().empty());
    // Still nothing shown: the first accepted level turns on one button only.
    revertive(tally, 211, "2");
    EXPECT_EQ(host.commands().size(), 1u);
}

}  // namespace
}  // namespace panel_test
