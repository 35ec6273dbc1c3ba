// Panel-file results, reading a control property back, and the debug output.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "debug_capture.h"
#include "recording_host.h"
#include "test_script.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(PanelFiles, ResultFollowsTheHostStatusAndIsTrueWithoutHost) {
    RecordingHost host;
    TestScript script(&host, "");
    EXPECT_TRUE(script.insertPanel("1", "Selector.vrel_ui"));
    EXPECT_TRUE(script.showPanel("1", "Selector.vrel_ui"));
    EXPECT_TRUE(script.removePanel("1"));
    host.refusePanelCommands(true);
    EXPECT_FALSE(script.insertPanel("1", "Selector.vrel_ui"));
    EXPECT_FALSE(script.showPanel("1", "Selector.vrel_ui"));
    EXPECT_FALSE(script.removePanel("1"));
    EXPECT_EQ(host.transcript().size(), 6u);  // statuses are tested, never handed back
    EXPECT_EQ(host.badHandBacks() + host.nullHandBacks(), 0u);

    TestScript detached(nullptr, "");
    EXPECT_TRUE(detached.insertPanel("1", "Selector.vrel_ui"));
    EXPECT_TRUE(detached.showPanel("1", "Selector.vrel_ui"));
    EXPECT_TRUE(detached.removePanel("1"));
}

class ControlTextRead : public ::testing::Test {
protected:
    // Reads `property` of KB_1 on panel 2 with the host answering `reply`.
    std::string read(const std::string& property, const char* reply) {
        const std::string command = "TG '2' 'KB_1' '" + property + "'";
        if (reply) host.reply(command, reply);
        vrel_string result = "stale";
        script.getControlText(property.c_str(), "2", "KB_1", result);
        return result.str();
    }

    DebugCapture debug;
    RecordingHost host;
    TestScript script{&host, ""};
};

TEST_F(ControlTextRead, TheValueAfterTheFirstEqualsOrTheWholeReplyForAll) {
    EXPECT_EQ(read("text", "text=NEWS 1"), "NEWS 1");
    EXPECT_EQ(read("text", "text=a=b"), "a=b");
    EXPECT_EQ(read("text", "text="), "");
    EXPECT_EQ(read("all", "text=A,value=2"), "text=A,value=2");
    EXPECT_EQ(read("all", "plain"), "plain");
    EXPECT_THAT(debug.texts(), IsEmpty());
}

// Keys compare case-sensitively; the reply fills %1 and %3 of the
// diagnostic, and its own markers stay literal.
TEST_F(ControlTextRead, AnotherKeyGivesEmptyAndOneDiagnosticEach) {
    EXPECT_EQ(read("text", "value=3"), "");
    EXPECT_EQ(read("text", "Text=A"), "");
    EXPECT_EQ(read("text", "%2=%5"), "");
    EXPECT_THAT(debug.texts(),
                ElementsAre("textGet: value returned \"value\" was not the value requested \"text\" "
                            "(value returned was \"value=3\" from control \"KB_1\", on panel \"2\")",
                            "textGet: value returned \"Text\" was not the value requested \"text\" "
                            "(value returned was \"Text=A\" from control \"KB_1\", on panel \"2\")",
                            "textGet: value returned \"%2\" was not the value requested \"text\" "
                            "(value returned was \"%2=%5\" from control \"KB_1\", on panel \"2\")"));
}

// A reply is handed back once, right after its query; no reply, nothing.
TEST_F(ControlTextRead, EachReplyIsHandedBackOnceRightAfterItsQuery) {
    read("text", "text=A");
    EXPECT_EQ(read("page", nullptr), "");
    read("value", "value=3");
    EXPECT_THAT(host.transcript(),
                ElementsAre("TG '2' 'KB_1' 'text'", "<release> TG '2' 'KB_1' 'text'", "TG '2' 'KB_1' 'page'",
                            "TG '2' 'KB_1' 'value'", "<release> TG '2' 'KB_1' 'value'"));
    EXPECT_EQ(host.repliesOutstanding(), 0u);
    EXPECT_THAT(debug.texts(), IsEmpty());
}

TEST(ControlTextReadWithoutHost, ResultIsClearedAndNothingWritten) {
    DebugCapture debug;
    TestScript script(nullptr, "");
    vrel_string result = "stale";
    script.getControlText("text", "2", "KB_1", result);
    EXPECT_EQ(result, "");
    EXPECT_THAT(debug.texts(), IsEmpty());
}

TEST(DebugOut, PlainTextIsWrittenUnchangedInOneCall) {
    DebugCapture debug;
    vrel_script_helper::debugOut("RM 60 1 1 'x' 0\n");
    vrel_script_helper::debugOut("no line end %1");
    vrel_script_helper::debugOut("");
    EXPECT_THAT(debug.texts(), ElementsAre("RM 60 1 1 'x' 0\n", "no line end %1", ""));
}

TEST(DebugOut, FormattedFillsMarkersInValueOrderWithoutAppending) {
    DebugCapture debug;
    vrel_script_helper::debugOut("%2 before %1, %1 twice", "one", "two");
    vrel_script_helper::debugOut("none", "unused");
    vrel_script_helper::debugOut("100% done: %1%", "a");
    EXPECT_THAT(debug.texts(), ElementsAre("two before one, one twice", "none", "100% done: a%"));
}

TEST(DebugOut, FormattedCopiesMarkersInsideValuesAsTheyStand) {
    DebugCapture debug;
    vrel_script_helper::debugOut("<%1|%2|%3>", "%2", "%3", "%1");
    EXPECT_THAT(debug.texts(), ElementsAre("<%2|%3|%1>"));
}

TEST(DebugOut, FormattedGivesValuesToTheMarkersPresentInRisingOrder) {
    // As successive string-library arg() calls would: a gap in the numbering
    // does not swallow a value.
    DebugCapture debug;
    vrel_script_helper::debugOut("%3 and %7", "first", "second");
    vrel_script_helper::debugOut("%1%2%3%4%5%6%7%8%9", "1", "2", "3", "4", "5", "6", "7", "8", "9");
    EXPECT_THAT(debug.texts(), ElementsAre("first and second", "123456789"));
}

}  // namespace
