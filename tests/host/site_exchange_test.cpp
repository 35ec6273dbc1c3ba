// The site's exchange on its own: who hears a written slot or a renamed
// entry, in which order, that a poll answers the asker only, that a position
// that goes takes nothing of the others' with it, and that deliveries never
// nest and a flood is cut.
#include "site_exchange.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vrelhost {
namespace {

// Records what it receives, tagged with its instance; may react with more reports.
struct Recorder : SiteExchange::Recipient {
    int instance = 0;
    std::vector<std::string>* log = nullptr;
    std::function<void(const PendingReport&)> react;
    void receive(const PendingReport& r) override {
        log->push_back(std::to_string(instance) + ":" +
                       (r.kind == PendingReport::Kind::revertive ? "slot " : "entry ") +
                       std::to_string(r.device) + "/" + std::to_string(r.index) + "=" + r.text);
        if (react) react(r);
    }
};

struct Exchange : ::testing::Test {
    SiteExchange exchange;
    std::vector<std::string> log;
    Recorder one, two, three;
    void SetUp() override {
        int k = 1;
        for (Recorder* r : {&one, &two, &three}) {
            r->instance = k;
            r->log = &log;
            exchange.attach(k++, r);
        }
    }
    void deliver() {
        exchange.deliver(1000, [this] { log.push_back("flood"); });
    }
};

TEST_F(Exchange, AReportGoesToEveryRegisteredInstanceInAscendingOrder) {
    exchange.registerSlots(3, 57, 200, 220);
    exchange.registerSlots(1, 57, 212, 212);
    exchange.registerEntries(2, 60, 1, 128);
    exchange.registerEntries(3, 60, 17, 17);
    exchange.slotWritten(57, 212, "3");
    exchange.slotWritten(57, 211, "x");  // only 3 covers it
    exchange.slotWritten(58, 212, "y");  // another device: nobody
    exchange.entryRenamed(60, 3, 17, "Cam 17");
    exchange.entryRenamed(60, 3, 129, "no");  // outside every range
    EXPECT_EQ(exchange.waiting(), 5u);
    deliver();
    EXPECT_EQ(log, (std::vector<std::string>{"1:slot 57/212=3", "3:slot 57/212=3", "3:slot 57/211=x",
                                             "2:entry 60/17=Cam 17", "3:entry 60/17=Cam 17"}));
    EXPECT_EQ(exchange.waiting(), 0u);
}

TEST_F(Exchange, APollAnswersTheAskerAndUnregisteringIsPerInstance) {
    exchange.registerSlots(1, 57, 1, 10);
    exchange.registerSlots(2, 57, 1, 10);
    exchange.unregisterSlots(1, 57);
    EXPECT_FALSE(exchange.slotsRegistered(1, 57, 5));
    EXPECT_TRUE(exchange.slotsRegistered(2, 57, 5));
    exchange.reportTo(3, PendingReport{PendingReport::Kind::revertive, 57, 0, 4, "polled"});
    exchange.slotWritten(57, 5, "w");
    deliver();
    EXPECT_EQ(log, (std::vector<std::string>{"3:slot 57/4=polled", "2:slot 57/5=w"}));
}

TEST_F(Exchange, ForgettingAnInstanceDropsOnlyItsOwn) {
    exchange.registerEntries(1, 60, 1, 128);
    exchange.registerEntries(2, 60, 1, 128);
    exchange.registerSlots(2, 57, 212, 212);
    exchange.entryRenamed(60, 1, 1, "before");  // waiting for both
    exchange.forget(2);
    EXPECT_FALSE(exchange.entriesRegistered(2, 60, 1));
    EXPECT_FALSE(exchange.slotsRegistered(2, 57, 212));
    EXPECT_TRUE(exchange.entriesRegistered(1, 60, 1));
    exchange.entryRenamed(60, 1, 2, "after");
    deliver();
    EXPECT_EQ(log, (std::vector<std::string>{"1:entry 60/1=before", "1:entry 60/2=after"}));
}

TEST_F(Exchange, ReportsCausedWhileDeliveringComeAfterAndNeverNest) {
    exchange.registerSlots(1, 57, 1, 2);
    exchange.registerSlots(2, 57, 1, 2);
    bool nested = false;
    two.react = [&](const PendingReport& r) {
        if (r.index == 1) exchange.slotWritten(57, 2, "answer");
        const std::size_t before = log.size();
        deliver();  // a delivery under way works the queue: this returns at once
        nested = nested || log.size() != before;
    };
    exchange.slotWritten(57, 1, "first");
    deliver();
    EXPECT_FALSE(nested);
    EXPECT_EQ(log, (std::vector<std::string>{"1:slot 57/1=first", "2:slot 57/1=first", "1:slot 57/2=answer",
                                             "2:slot 57/2=answer"}));
}

TEST_F(Exchange, AFloodIsCutAndTold) {
    exchange.registerSlots(1, 57, 1, 1);
    one.react = [&](const PendingReport&) { exchange.slotWritten(57, 1, "again"); };
    exchange.slotWritten(57, 1, "start");
    exchange.deliver(50, [this] { log.push_back("flood"); });
    ASSERT_EQ(log.size(), 51u);
    EXPECT_EQ(log.back(), "flood");
    EXPECT_EQ(exchange.waiting(), 0u);
}

TEST_F(Exchange, TakeForLeavesTheOthersWaiting) {
    exchange.registerEntries(1, 60, 1, 1);
    exchange.registerEntries(2, 60, 1, 1);
    exchange.entryRenamed(60, 1, 1, "x");
    EXPECT_EQ(exchange.takeFor(2).size(), 1u);
    EXPECT_EQ(exchange.waiting(), 1u);
    deliver();
    EXPECT_EQ(log, (std::vector<std::string>{"1:entry 60/1=x"}));
}

}  // namespace
}  // namespace vrelhost
