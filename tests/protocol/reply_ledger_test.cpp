// The reply ledger: each reply is freed once, on its hand-back; a second
// hand-back and a foreign pointer are told apart, also after new replies
// were given out; a reply held past its call is reported once.
#include <gtest/gtest.h>

#include <cstring>

#include "host/protocol/reply_ledger.h"

namespace vrelhost {
namespace {

TEST(ReplyLedger, FreesOnHandBackAndCatchesASecondOne) {
    ReplyLedger ledger;
    char* reply = ledger.give("60", "SD 'x'");
    EXPECT_STREQ(reply, "60");
    EXPECT_EQ(ledger.outstanding(), 1u);
    EXPECT_EQ(ledger.handBack(reply), ReplyLedger::HandBack::freed);
    EXPECT_EQ(ledger.outstanding(), 0u);
    // New replies must not take the freed buffer's place and hide the mistake.
    for (int i = 0; i < 100; ++i) ledger.handBack(ledger.give("x", "RN 1 1 1"));
    EXPECT_EQ(ledger.handBack(reply), ReplyLedger::HandBack::twice);
}

TEST(ReplyLedger, ForeignAndNullPointers) {
    ReplyLedger ledger;
    char foreign[] = "mine";
    EXPECT_EQ(ledger.handBack(foreign), ReplyLedger::HandBack::unknown);
    EXPECT_EQ(ledger.handBack(nullptr), ReplyLedger::HandBack::null);
    EXPECT_EQ(ledger.given(), 0u);
}

TEST(ReplyLedger, ReportsAHeldReplyOnceAndStillTakesItBack) {
    ReplyLedger ledger;
    char* kept = ledger.give("a", "RN 10 0 1");
    ledger.handBack(ledger.give("b", "RN 10 0 2"));
    EXPECT_EQ(ledger.takeOverdue(), (std::vector<std::string>{"RN 10 0 1"}));
    EXPECT_TRUE(ledger.takeOverdue().empty());
    EXPECT_EQ(ledger.handBack(kept), ReplyLedger::HandBack::freed);
}

}  // namespace
}  // namespace vrelhost
