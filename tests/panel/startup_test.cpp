// Start-up and teardown: the whole command sequence, in order, is what hosts
// rely on.
#include "panel_fixture.h"

namespace panel_test {
namespace {

std::vector<std::string> readsOf(int device, int database, int count) {
    std::vector<std::string> out;
    for (int i = 1; i <= count; ++i)
        out.push_back("RN " + std::to_string(device) + " " + std::to_string(database) + " " + std::to_string(i));
    return out;
}

// Everything start-up sends, with titles[k - 1] the text read for title k.
std::vector<std::string> startUpSequence(int routerDevice, int tallyDevice, int namesDevice,
                                         const std::vector<std::string>& titles) {
    std::vector<std::string> expected{"PI '1' 'Selector.vrel_ui'", "PI '2' 'NameEdit.vrel_ui'"};
    append(expected, forEditFields("CH"));
    append(expected, {"SD 'StC SDI Router'", "SD 'CTA Tally Infodriver'", "SD 'StC_UMD_Names_DriverID'"});
    append(expected, readsOf(routerDevice, 0, 128));
    append(expected, readsOf(routerDevice, 2, 128));
    for (int k = 1; k <= 8; ++k) append(expected, readsOf(namesDevice, k, 128));
    append(expected, readsOf(namesDevice, 9, 8));
    expected.push_back("PS '1' 'Selector.vrel_ui'");
    for (int k = 1; k <= 8; ++k)
        expected.push_back("TP 'text=" + titles[k - 1] + "' '1' 'Names_" + std::to_string(k) + "'");
    const std::string tallyRange = std::to_string(tallyDevice) + " 211 212";
    append(expected, {"CD '2' 'KB_1'", "TP 'button.001=released' '2' 'SrcGroup'",
                      "TP 'statesheet=KRSourceSelected' '2' 'NameSet_1'",
                      "TP 'text=" + titles[0] + "' '2' 'NamesetName'", "CD '2' 'Cancel'", "CD '2' 'Update'",
                      "IR " + tallyRange, "IP " + tallyRange, "RR " + std::to_string(namesDevice) + " 1 128"});
    return expected;
}

using StartUp = PanelFixture;

TEST_F(StartUp, SendsTheWholeSequenceWithTheConfiguredNameDriver) {
    start();
    std::vector<std::string> titles;
    for (int k = 1; k <= 8; ++k) titles.push_back("Title " + std::to_string(k));
    // The lookup answered 31 for the name driver; the site setting (60) wins.
    EXPECT_EQ(host.commands(), startUpSequence(router, tally, names, titles));
    EXPECT_EQ(host.repliesOutstanding(), 0u);
    EXPECT_EQ(host.badHandBacks(), 0u);
    EXPECT_EQ(host.nullHandBacks(), 0u);
}

TEST_F(StartUp, CompletesAgainstAHostThatAnswersNothing) {
    RecordingHost silent;
    std::unique_ptr<Kelvane, vrel_script_deleter> quiet(new Kelvane(&silent, ""));
    // Devices stay 0, names stay empty; the name driver still comes from the site setting.
    EXPECT_EQ(silent.commands(), startUpSequence(0, 0, names, std::vector<std::string>(8, "")));
    // Every name read is handed back, null replies included.
    EXPECT_EQ(silent.nullHandBacks(), 1288u);
    quiet.reset();
    EXPECT_EQ(silent.commands().back(), "AS");
}

using Teardown = PanelFixture;

TEST_F(Teardown, UnregistersAndClosesWhenIdle) {
    startQuietly();
    destroy();
    EXPECT_EQ(host.commands(), (std::vector<std::string>{"IU 57", "AS"}));
}

TEST_F(Teardown, StopsAPendingConfirmationWindow) {
    startQuietly();
    press("1", "Select_3");
    const auto from = mark();
    destroy();
    EXPECT_EQ(since(from), (std::vector<std::string>{"IU 57", "ET 1", "AS"}));
}

TEST_F(Teardown, StopsTheFlashingOfAnUnconfirmedEdit) {
    startQuietly();
    typeName(17, "CAM 2");
    tick(2);
    const auto from = mark();
    destroy();
    EXPECT_EQ(since(from), (std::vector<std::string>{"IU 57", "ET 2", "AS"}));
}

TEST_F(Teardown, SendsNoTimerCommandOnceTheFlashingEnded) {
    DebugCapture renames;  // keeps the rename's debug line out of the test output
    startQuietly();
    typeName(17, "CAM 2");
    press("2", "Update");
    typeName(18, "CAM 3");
    press("2", "Cancel");
    press("2", "SrcName", "index=19");  // typing, not flashing
    const auto from = mark();
    destroy();
    EXPECT_EQ(since(from), (std::vector<std::string>{"IU 57", "AS"}));
}

}  // namespace
}  // namespace panel_test
