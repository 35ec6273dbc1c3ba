// Alarm actions: which button presses are taken from the script, and the
// exact command sequence one action sends to the "alm_" controls.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debug_capture.h"
#include "host_records.h"
#include "recording_host.h"
#include "test_script.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char kQuery[] = "XI '1' 'alm_'";

class AlarmActions : public ::testing::Test {
protected:
    AlarmActions() {
        host.reply(kQuery, "alm_a,alm_b");
        host.reply("TG '1' 'alm_a' 'value'", "value=1");
        host.reply("TG '1' 'alm_b' 'value'", "value=3");
    }
    std::vector<std::string> press(const std::string& panel, const std::string& id, const char* event) {
        const std::size_t mark = host.commands().size();
        ButtonPress button(panel, id, event);
        script.notify(button.data(), vrel_kind::button);
        return host.commandsSince(mark);
    }
    std::vector<std::string> act(const char* action) {
        const std::size_t mark = host.commands().size();
        script.alarmAction(action);
        return host.commandsSince(mark);
    }

    DebugCapture debug;  // a reply for another property leaves a diagnostic
    RecordingHost host;
    TestScript script{&host, "", /*withAlarmActions=*/true};
};

TEST_F(AlarmActions, AcknowledgeReadsEachValueAndRaisesOnlyUnsettledCodes) {
    EXPECT_THAT(act("ack"), ElementsAre(kQuery, "TP 'alarm=ack' '1' 'alm_a'", "TG '1' 'alm_a' 'value'",
                                        "TP 'value=4' '1' 'alm_a'", "TP 'alarm=ack' '1' 'alm_b'",
                                        "TG '1' 'alm_b' 'value'"));
    EXPECT_EQ(host.repliesOutstanding(), 0u);
}

TEST_F(AlarmActions, AcknowledgeKeepsZeroAndTwoToFiveAndRaisesEverythingElse) {
    host.reply(kQuery, "c0,c2,c5,c6,cm,cx,cn");
    host.reply("TG '1' 'c0' 'value'", "value=0");
    host.reply("TG '1' 'c2' 'value'", "value=2");
    host.reply("TG '1' 'c5' 'value'", "value=5");
    host.reply("TG '1' 'c6' 'value'", "value=7");
    host.reply("TG '1' 'cm' 'value'", "value=-1");
    host.reply("TG '1' 'cx' 'value'", "text=1");  // answer for another property reads as 0
    // cn gets no reply: also 0, left alone.
    std::vector<std::string> raised;
    for (const std::string& c : act("4"))
        if (c.compare(0, 10, "TP 'value=") == 0) raised.push_back(c);
    EXPECT_THAT(raised, ElementsAre("TP 'value=4' '1' 'c6'", "TP 'value=4' '1' 'cm'"));
    EXPECT_EQ(debug.texts().size(), 1u);  // the mismatch on cx
}

TEST_F(AlarmActions, OneCharacterActionSetsItsLevelWithoutReading) {
    EXPECT_THAT(act("2"), ElementsAre(kQuery, "TP 'alarm=2' '1' 'alm_a'", "TP 'value=2' '1' 'alm_a'",
                                      "TP 'alarm=2' '1' 'alm_b'", "TP 'value=2' '1' 'alm_b'"));
    // A one-character text that is not a digit has the level toInt gives it.
    EXPECT_THAT(act("x"), ElementsAre(kQuery, "TP 'alarm=x' '1' 'alm_a'", "TP 'value=0' '1' 'alm_a'",
                                      "TP 'alarm=x' '1' 'alm_b'", "TP 'value=0' '1' 'alm_b'"));
}

TEST_F(AlarmActions, OtherActionsOnlySetTheAlarmProperty) {
    EXPECT_THAT(act("10"), ElementsAre(kQuery, "TP 'alarm=10' '1' 'alm_a'", "TP 'alarm=10' '1' 'alm_b'"));
    EXPECT_THAT(act(""), ElementsAre(kQuery, "TP 'alarm=' '1' 'alm_a'", "TP 'alarm=' '1' 'alm_b'"));
}

TEST_F(AlarmActions, NoInstancesMeansNothingAfterTheQuery) {
    host.reply(kQuery, "");
    EXPECT_THAT(act("ack"), ElementsAre(kQuery));
    host.reply(kQuery, "alm_a");
    EXPECT_EQ(act("ack").size(), 4u);  // fetched anew for every action, never cached
}

TEST_F(AlarmActions, ActionAllWithAlarmEventAndAckAllAreTakenFromTheScript) {
    EXPECT_THAT(press("2", "ActionAll", "alarm=ack"),
                ElementsAre(kQuery, "TP 'alarm=ack' '1' 'alm_a'", "TG '1' 'alm_a' 'value'",
                            "TP 'value=4' '1' 'alm_a'", "TP 'alarm=ack' '1' 'alm_b'", "TG '1' 'alm_b' 'value'"));
    // "AckAll" on any panel, whatever its event, acknowledges with the text "4".
    EXPECT_THAT(press("7", "AckAll", "released"),
                ElementsAre(kQuery, "TP 'alarm=4' '1' 'alm_a'", "TG '1' 'alm_a' 'value'",
                            "TP 'value=4' '1' 'alm_a'", "TP 'alarm=4' '1' 'alm_b'", "TG '1' 'alm_b' 'value'"));
    EXPECT_THAT(script.calls, IsEmpty());
}

TEST_F(AlarmActions, OtherPressesStillReachTheScript) {
    EXPECT_THAT(press("1", "ActionAll", "button=alarm"), IsEmpty());
    EXPECT_THAT(press("1", "Confirm", "alarm=2"), IsEmpty());
    EXPECT_THAT(script.calls, ElementsAre(HandlerCall{"button", "1|ActionAll|button||alarm|0"},
                                          HandlerCall{"button", "1|Confirm|alarm||2|0"}));
}

TEST(AlarmActionsOff, NoButtonIsIntercepted) {
    RecordingHost host;
    host.reply(kQuery, "alm_a");
    TestScript script(&host, "");
    ButtonPress actionAll("1", "ActionAll", "alarm=ack");
    ButtonPress ackAll("1", "AckAll", "released");
    script.notify(actionAll.data(), vrel_kind::button);
    script.notify(ackAll.data(), vrel_kind::button);
    EXPECT_THAT(host.commands(), IsEmpty());
    EXPECT_THAT(script.calls, ElementsAre(HandlerCall{"button", "1|ActionAll|alarm||ack|0"},
                                          HandlerCall{"button", "1|AckAll|released|||0"}));
}

TEST(AlarmActionsWithoutHost, SendNothingAndDoNotReachTheScript) {
    TestScript script(nullptr, "", true);
    ButtonPress ackAll("1", "AckAll", "released");
    script.notify(ackAll.data(), vrel_kind::button);
    EXPECT_THAT(script.calls, IsEmpty());
}

}  // namespace
