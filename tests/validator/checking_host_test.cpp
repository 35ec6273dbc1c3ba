// The validator's host: what it notes from each command's named fields (the
// controls a storm presses, the devices it reports for, the timers it ticks),
// the replies it gives by the code's reply kind, and that a command whose
// fields did not fit names nothing.
#include "checking_host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "reply_shapes.h"
#include "runtime/boundary/vrel_client_callback.h"

namespace validator {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Pair = std::pair<std::string, std::string>;

void* send(CheckingHost& host, const std::string& text) {
    void* reply = host.notify(const_cast<char*>(text.c_str()), vrel_kind::command);
    if (reply && vrelhost::replyKindOf(text.c_str()) == vrelhost::ReplyKind::query)
        host.notify(reply, vrel_kind::release);
    return reply;
}

TEST(CheckingHost, NotesWhatTheFieldsName) {
    CaseReport report;
    CheckingHost host(
        report, [](const std::string& c) { return plausibleReply(c); }, true);
    for (const char* text : {"CD '2' 'KB_1'",
                             "CE '2' 'Cancel'",
                             "CH '2' 'L1'",
                             "CS '1' 'Current'",
                             "TP 'text=x' '1' 'Names_1'",
                             "TG '2' 'KB_1' 'text'",
                             "CD '2' 'KB_1'",
                             "XI '2' 'alm_'",
                             "PI '1' 'Selector.vrel_ui'",
                             "SD 'CTA Tally Infodriver'",
                             "IP 31 1 2",
                             "IR 32 1 2",
                             "IU 33",
                             "IW 34 'v' 1 0",
                             "RR 35 1 2",
                             "RM 36 1 1 'n' 0",
                             "RN 37 1 1",
                             "ET 3 500",
                             "ET 4",
                             "ET 3"})
        send(host, text);
    EXPECT_THAT(host.controls(), ElementsAre(Pair{"2", "KB_1"}, Pair{"2", "Cancel"}, Pair{"2", "L1"},
                                             Pair{"1", "Current"}, Pair{"1", "Names_1"}));
    // 57 is what a plausible site answers the lookup with.
    EXPECT_THAT(host.devices(), ElementsAre(57, 31, 32, 33, 34, 35, 36, 37));
    EXPECT_THAT(host.timers(), ElementsAre(3, 4));
    EXPECT_FALSE(report.failed());
}

TEST(CheckingHost, AnswersByTheCodesReplyKind) {
    CaseReport report;
    CheckingHost host(
        report, [](const std::string&) { return std::optional<std::string>("9"); }, true);
    EXPECT_NE(send(host, "PS '1' 'Selector.vrel_ui'"), nullptr);  // a status
    EXPECT_NE(send(host, "RN 1 1 1"), nullptr);                   // a query's reply
    EXPECT_EQ(send(host, "TP 'text=x' '1' 'a'"), nullptr);
    EXPECT_EQ(send(host, "IU 1"), nullptr);
    EXPECT_EQ(host.commandCount(), 4u);
    EXPECT_FALSE(report.failed());
}

TEST(CheckingHost, ALenientHostNotesNothingFromFieldsThatDidNotFit) {
    CaseReport report;
    CheckingHost host(
        report, [](const std::string&) { return std::optional<std::string>("12 7"); }, false);
    for (const char* text : {"CD '2'", "TP x '1' 'a'", "IU x", "ET 1 2 3", "RN 5 1"}) send(host, text);
    EXPECT_THAT(host.controls(), IsEmpty());
    EXPECT_THAT(host.devices(), IsEmpty());
    EXPECT_THAT(host.timers(), IsEmpty());
    // A lookup's answer is a device number whether or not its text fit.
    send(host, "SD x");
    EXPECT_THAT(host.devices(), ElementsAre(12));
    EXPECT_FALSE(report.failed());
}

}  // namespace
}  // namespace validator
