// The host's rules, with a small policy on top: what reaches the policy, what
// the sink hears, and that nothing the policy throws reaches the script.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/protocol/host_records.h"
#include "host/protocol/protocol_host.h"

namespace vrelhost {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

struct Heard : ProtocolSink {
    std::vector<std::string> breaches, warnings, refusals;
    void breach(const std::string& m) override { breaches.push_back(m); }
    void warning(const std::string& m) override { warnings.push_back(m); }
    void refused(const std::string& m) override { refusals.push_back(m); }
};

// Answers every query "42"; `trouble` runs first, so a test can make it throw.
class TestHost : public ProtocolHost {
public:
    explicit TestHost(ProtocolSink& sink, Fields fields = Fields::checked) : ProtocolHost(sink, fields) {}
    std::function<void()> trouble;
    std::vector<std::string> carried;

private:
    Answer carryOut(const HostCommand& c, const std::string& text) override {
        if (trouble) trouble();
        carried.push_back(text);
        if (replyOf(c.code) == ReplyKind::query) return Answer::reply(std::string("42"));
        return replyOf(c.code) == ReplyKind::status ? Answer::status() : Answer::none();
    }
};

void* send(vrel_client_callback& host, const char* text) { return host.notify(const_cast<char*>(text), 0); }

TEST(ProtocolHost, RefusesACommandItFailsOnAndNamesWhatItCaught) {
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[] { throw std::bad_alloc(); }, "out of memory"},
        {[] { throw std::runtime_error("disk full"); }, "disk full"},
        {[] { throw 7; }, "an exception that is not a std::exception"},
    };
    for (const auto& [raise, said] : cases) {
        Heard heard;
        TestHost host(heard);
        host.trouble = raise;
        void* answer = reinterpret_cast<void*>(1);
        EXPECT_NO_THROW(answer = send(host, "RN 60 3 17"));
        EXPECT_EQ(answer, nullptr);
        EXPECT_THAT(heard.refusals, ElementsAre("refused: the host failed on \"RN 60 3 17\": " + said));
        EXPECT_THAT(heard.breaches, IsEmpty());
        EXPECT_THAT(heard.warnings, IsEmpty());
        EXPECT_EQ(host.ledger().outstanding(), 0u);  // nothing was given out for the refused query

        host.trouble = nullptr;  // the next command is served as usual
        void* reply = send(host, "RN 60 3 18");
        ASSERT_NE(reply, nullptr);
        host.notify(reply, 5);
        host.afterCall();
        EXPECT_THAT(heard.breaches, IsEmpty());
    }
}

TEST(ProtocolHost, WarnsOfAnAmbiguousTextAndStillCarriesItOut) {
    Heard heard;
    TestHost host(heard);
    send(host, "RM 60 1 5 'a' 'b' 0");
    send(host, "RM 60 1 6 'Cam 6' 0");
    EXPECT_THAT(host.carried, ElementsAre("RM 60 1 5 'a' 'b' 0", "RM 60 1 6 'Cam 6' 0"));
    ASSERT_EQ(heard.warnings.size(), 1u);
    EXPECT_THAT(heard.warnings[0], HasSubstr("apostrophe"));
    EXPECT_THAT(heard.warnings[0], HasSubstr("RM 60 1 5 'a' 'b' 0"));
    EXPECT_THAT(heard.breaches, IsEmpty());
}

TEST(ProtocolHost, HoldsTheScriptToTheRules) {
    Heard heard;
    TestHost host(heard);
    void* status = send(host, "PI '1' 'p/Selector.vrel_ui'");
    ASSERT_NE(status, nullptr);
    host.notify(status, 5);                      // a status is never a reply
    void* kept = send(host, "SD 'StC SDI Router'");  // not handed back before the call ends
    host.afterCall();
    host.afterCall();                            // reported once
    host.notify(kept, 5);
    host.notify(kept, 5);                        // twice
    send(host, "TP 'text=x' '1'");               // a field short: not carried out
    host.notify(nullptr, 2);                     // a kind only the host sends
    send(host, "AS");
    send(host, "CD '1' 'x'");                    // after AS: not carried out
    host.afterDestroy();
    EXPECT_THAT(host.carried, ElementsAre("PI '1' 'p/Selector.vrel_ui'", "SD 'StC SDI Router'", "AS"));
    EXPECT_THAT(heard.breaches,
                ElementsAre("the script handed back a pointer the host never gave out as a reply",
                            "the reply to \"SD 'StC SDI Router'\" was not handed back before the call returned",
                            "a reply was handed back twice",
                            "malformed command (fields do not match the form of TP): TP 'text=x' '1'",
                            "the script called the host with kind 2; the host takes only commands (0) and "
                            "hand-backs (5)",
                            "command after the closing AS: CD '1' 'x'"));
}

TEST(ProtocolHost, ALenientHostTakesFieldsThatDoNotFitButNeverAnUnknownCode) {
    Heard heard;
    TestHost host(heard, ProtocolHost::Fields::lenient);
    void* reply = send(host, "TG 'a'b' 'c'");
    EXPECT_NE(reply, nullptr);
    host.notify(reply, 5);
    send(host, "QQ 1");
    EXPECT_THAT(host.carried, ElementsAre("TG 'a'b' 'c'"));
    EXPECT_THAT(heard.breaches, ElementsAre("malformed command (unknown command code): QQ 1"));
}

// The closing AS is held to its form whatever the host's leniency: it is the
// script's last word either way, and nothing may follow it.
TEST(ProtocolHost, AClosingCommandIsCheckedAndClosesEvenWhenMalformed) {
    for (const ProtocolHost::Fields fields : {ProtocolHost::Fields::checked, ProtocolHost::Fields::lenient}) {
        Heard heard;
        TestHost host(heard, fields);
        send(host, "AS x");
        EXPECT_TRUE(host.closed());
        send(host, "RN 60 1 1");
        host.afterDestroy();
        EXPECT_THAT(host.carried, IsEmpty());
        EXPECT_THAT(heard.breaches, ElementsAre("malformed command (fields do not match the form of AS): AS x",
                                                "command after the closing AS: RN 60 1 1"));
    }
    Heard heard;
    TestHost host(heard);
    send(host, "CD '1' 'x'");
    host.afterDestroy();
    EXPECT_THAT(heard.breaches, ElementsAre("the script was destroyed without sending AS"));
}

TEST(HostRecords, TextRecordsHoldTheirFieldsAndTextInTheHostsLayout) {
    RevertiveRecord revertive(57, 212, "Cam 1");
    DatabaseRecord database(60, 9, 3, "");
    const auto* r = static_cast<const revertive_record*>(revertive.data());
    const auto* d = static_cast<const database_record*>(database.data());
    EXPECT_EQ(r->device, 57);
    EXPECT_EQ(r->index, 212);
    EXPECT_STREQ(&r->text[0], "Cam 1");
    EXPECT_EQ(d->device, 60);
    EXPECT_EQ(d->database, 9);
    EXPECT_EQ(d->index, 3);
    EXPECT_STREQ(&d->text[0], "");
    EXPECT_EQ(textRecordSize(5), 22u);  // 16 bytes of fields, the text, its NUL: nothing more
}

}  // namespace
}  // namespace vrelhost
