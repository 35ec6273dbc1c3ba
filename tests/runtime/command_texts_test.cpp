// Every command operation's exact text, and what each does without a host or
// with a host that answers every command: the host parses these texts, so one
// blank or apostrophe out of place is a broken command.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "debug_capture.h"
#include "recording_host.h"
#include "test_script.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct CommandCase {
    const char* name;
    std::function<void(TestScript&)> run;
    std::string text;
};

vrel_string scratch;  // out parameter for the queries; their results are tested elsewhere
int device = 0;

const CommandCase kCases[] = {
    {"disableControl", [](TestScript& s) { s.disableControl("2", "KB_1"); }, "CD '2' 'KB_1'"},
    {"enableControl", [](TestScript& s) { s.enableControl("2", "Cancel"); }, "CE '2' 'Cancel'"},
    {"hideControl", [](TestScript& s) { s.hideControl("2", "L1"); }, "CH '2' 'L1'"},
    {"showControl", [](TestScript& s) { s.showControl("2", "PostEdit"); }, "CS '2' 'PostEdit'"},
    {"insertPanel", [](TestScript& s) { s.insertPanel("2", "NameEdit.vrel_ui"); }, "PI '2' 'NameEdit.vrel_ui'"},
    {"insertPanelExtra", [](TestScript& s) { s.insertPanel("1", "Selector.vrel_ui", "x"); },
     "PI '1' 'Selector.vrel_ui' 'x'"},
    {"showPanel", [](TestScript& s) { s.showPanel("1", "Selector.vrel_ui"); }, "PS '1' 'Selector.vrel_ui'"},
    {"removePanel", [](TestScript& s) { s.removePanel("2"); }, "PR '2'"},
    {"setControlProperty", [](TestScript& s) { s.setControlProperty("text", "ABC", "1", "Names_1"); },
     "TP 'text=ABC' '1' 'Names_1'"},
    {"setControlPropertyEmpty", [](TestScript& s) { s.setControlProperty("text", "", "2", "KB_1"); },
     "TP 'text=' '2' 'KB_1'"},
    {"setControlText", [](TestScript& s) { s.setControlText("button.001=released", "2", "SrcGroup"); },
     "TP 'button.001=released' '2' 'SrcGroup'"},
    {"setControlTextQuote", [](TestScript& s) { s.setControlText("text=it's", "2", "PreEdit"); },
     "TP 'text=it's' '2' 'PreEdit'"},
    {"getControlText", [](TestScript& s) { s.getControlText("text", "2", "KB_1", scratch); },
     "TG '2' 'KB_1' 'text'"},
    {"lookupDevice", [](TestScript& s) { s.lookupDevice("StC SDI Router", &device, nullptr); },
     "SD 'StC SDI Router'"},
    {"queryInstances", [](TestScript& s) { s.queryInstances("1", "alm_"); }, "XI '1' 'alm_'"},
    {"pollInfodriver", [](TestScript& s) { s.pollInfodriver(57, 211, 212); }, "IP 57 211 212"},
    {"registerInfodriver", [](TestScript& s) { s.registerInfodriver(57, 211, 212); }, "IR 57 211 212"},
    {"registerInfodriverAdd", [](TestScript& s) { s.registerInfodriver(57, 211, 212, true); },
     "IR 57 211 212 'ADD'"},
    {"unregisterInfodriver", [](TestScript& s) { s.unregisterInfodriver(57); }, "IU 57"},
    {"writeInfodriver", [](TestScript& s) { s.writeInfodriver(57, "2", 212); }, "IW 57 '2' 212 0"},
    {"writeInfodriverFlag", [](TestScript& s) { s.writeInfodriver(57, "50% %1", 211, true); },
     "IW 57 '50% %1' 211 1"},
    {"registerRouter", [](TestScript& s) { s.registerRouter(60, 1, 128); }, "RR 60 1 128"},
    {"registerRouterAdd", [](TestScript& s) { s.registerRouter(60, 1, 128, true); }, "RR 60 1 128 'ADD'"},
    {"modifyDatabase", [](TestScript& s) { s.modifyDatabase(60, 9, 3, "News"); }, "RM 60 9 3 'News' 0"},
    // A marker inside the name is the operator's text, never a place for the flag.
    {"modifyDatabaseMarkers", [](TestScript& s) { s.modifyDatabase(60, 1, 17, "%1 %4 %5", true); },
     "RM 60 1 17 '%1 %4 %5' 1"},
    {"readDatabaseName", [](TestScript& s) { s.readDatabaseName(10, 0, 1, scratch); }, "RN 10 0 1"},
    {"startTimer", [](TestScript& s) { s.startTimer(1, 1000); }, "ET 1 1000"},
    {"startTimerZero", [](TestScript& s) { s.startTimer(2, 0); }, "ET 2"},
    {"stopTimer", [](TestScript& s) { s.stopTimer(2); }, "ET 2"},
    {"negativeNumbers", [](TestScript& s) { s.pollInfodriver(-1, 0, INT_MAX); }, "IP -1 0 2147483647"},
    // Longer than the 31 characters a fixed text area would hold: sent whole.
    {"longNumbers", [](TestScript& s) { s.registerRouter(INT_MIN, INT_MIN, INT_MIN, true); },
     "RR -2147483648 -2147483648 -2147483648 'ADD'"},
};

class CommandText : public ::testing::TestWithParam<CommandCase> {
protected:
    DebugCapture quiet_;  // renames write their line; keep it out of the test log
};

TEST_P(CommandText, SendsExactlyItsTextOnce) {
    RecordingHost host;
    TestScript script(&host, "");
    GetParam().run(script);
    EXPECT_THAT(host.commands(), ElementsAre(GetParam().text));
}

TEST_P(CommandText, StatusRepliesAreNeverHandedBack) {
    // Only the replies of the queries are the script's to hand back; a status
    // from any other command must be left alone.
    RecordingHost host;
    host.answerEveryCommand(true);
    TestScript script(&host, "");
    GetParam().run(script);
    EXPECT_EQ(host.badHandBacks(), 0u);
    EXPECT_EQ(host.repliesOutstanding(), 0u);
}

TEST_P(CommandText, WithoutHostNothingIsSentAndNoDiagnosticAppears) {
    TestScript script(nullptr, "");
    GetParam().run(script);
    // Renames always leave their line; every other command is silent.
    if (GetParam().text.compare(0, 2, "RM") == 0) {
        EXPECT_THAT(quiet_.texts(), ElementsAre(GetParam().text + "\n"));
    } else {
        EXPECT_THAT(quiet_.texts(), IsEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(AllCommands, CommandText, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CommandCase>& info) { return info.param.name; });

TEST(PanelFileText, BasePathPrefixesTheFileWithOneSlashAlways) {
    RecordingHost host;
    TestScript plain(&host, "site/panels");
    plain.insertPanel("2", "NameEdit.vrel_ui");
    plain.showPanel("1", "Selector.vrel_ui", "x");
    plain.removePanel("1");  // PR names no file
    TestScript slashed(&host, "site/panels/");
    slashed.insertPanel("2", "NameEdit.vrel_ui");
    EXPECT_THAT(host.commands(), ElementsAre("PI '2' 'site/panels/NameEdit.vrel_ui'",
                                             "PS '1' 'site/panels/Selector.vrel_ui' 'x'", "PR '1'",
                                             "PI '2' 'site/panels//NameEdit.vrel_ui'"));
}

}  // namespace
