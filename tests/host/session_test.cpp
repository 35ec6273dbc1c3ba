// The host's side of the protocol, driven by small in-process scripts (what
// each command does alone is in simulated_host_test.cpp): that device
// reports arrive after the call that caused them and never inside it, that
// timers tick in order, that protocol faults are reported, that keys reach
// the keyboard, and that the real component starts up and runs without one.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "config_folder.h"
#include "default_site.h"
#include "runtime/boundary/notify_records.h"
#include "scenario_runner.h"
#include "script_library.h"
#include "script_session.h"
#include "simulated_host.h"
#include "site_file.h"

namespace vrelhost {
namespace {

// What the next fake script does; set by the test before it creates one.
struct Behaviour {
    std::function<void(vrel_client_callback* host)> atCreate;
    std::function<void(vrel_client_callback* host, void* data, int kind)> onNotify;
};
Behaviour* behaviour = nullptr;

void* send(vrel_client_callback* host, const std::string& text) {
    return host->notify(const_cast<char*>(text.c_str()), vrel_kind::command);
}

class FakeScript : public vrel_client_callback {
public:
    explicit FakeScript(vrel_client_callback* host) : host_(host) {
        if (behaviour->atCreate) behaviour->atCreate(host_);
    }
    ~FakeScript() override { send(host_, "AS"); }
    void* VREL_CALLBACK notify(void* data, int kind) override {
        if (behaviour->onNotify) behaviour->onNotify(host_, data, kind);
        return nullptr;
    }

private:
    vrel_client_callback* host_;
};

vrel_client_callback* createFake(vrel_client_callback* host, const char*) { return new FakeScript(host); }

class HostSession : public ::testing::Test {
protected:
    HostSession() : site(*siteFromJson(defaultSiteDocument(), error)) { behaviour = &script; }
    ~HostSession() override { behaviour = nullptr; }

    void start() { ASSERT_TRUE(session.create(&createFake, VREL_HOST_PANELS)); }
    std::string said() const { return out.str(); }
    // Keys go to KB_1 on panel 2, as in the component's profile.
    static ScenarioRunner::Options keyboardOnTheEditor() {
        ScenarioRunner::Options options;
        options.keyboardPanel = "2";
        options.keyboardControl = "KB_1";
        return options;
    }

    std::string error;
    Site site;
    Behaviour script;
    std::ostringstream out;
    Transcript transcript{out, Transcript::Form::exact};
    ProtocolLog log{transcript};
    SimulatedHost host{site, transcript, log};
    ScriptSession session{host, transcript, log};
};

TEST_F(HostSession, DeviceReportsComeAfterTheCallNeverInsideIt) {
    int depth = 0;
    std::vector<std::string> seen;
    script.atCreate = [](vrel_client_callback* h) {
        send(h, "IR 57 211 212");
        send(h, "RR 60 1 128");
    };
    script.onNotify = [&](vrel_client_callback* h, void* data, int kind) {
        ++depth;
        if (kind == vrel_kind::button) {
            send(h, "IW 57 '3' 211 0");
            send(h, "IW 57 '9' 300 0");      // not registered: no report
            send(h, "RM 60 3 17 'Cam 17' 0");
            send(h, "RM 10 0 17 'Other' 0");  // not registered: no report
        } else if (kind == vrel_kind::revertive) {
            auto* r = static_cast<revertive_record*>(data);
            seen.push_back("revertive " + std::to_string(r->device) + " " + std::to_string(r->index) + " " +
                           r->text + " depth " + std::to_string(depth));
        } else if (kind == vrel_kind::database) {
            auto* d = static_cast<database_record*>(data);
            seen.push_back("database " + std::to_string(d->device) + " " + std::to_string(d->database) + " " +
                           std::to_string(d->index) + " " + d->text + " depth " + std::to_string(depth));
        }
        --depth;
    };
    start();
    session.button("1", "Select_3", "button=released");
    EXPECT_EQ(seen, (std::vector<std::string>{"revertive 57 211 3 depth 1", "database 60 3 17 Cam 17 depth 1"}));
    EXPECT_EQ(*site.entry(60, 3, 17), "Cam 17");
    EXPECT_EQ(*site.entry(10, 0, 17), "Other");
    EXPECT_EQ(*site.slot(57, 300), "9");
    EXPECT_EQ(log.count(), 0u);
}

TEST_F(HostSession, TimersTickInTimeOrderAndStopFromATick) {
    std::vector<int> ticks;
    script.atCreate = [](vrel_client_callback* h) {
        send(h, "ET 1 300");
        send(h, "ET 2 200");
    };
    script.onNotify = [&](vrel_client_callback* h, void* data, int kind) {
        if (kind != vrel_kind::timer) return;
        const int id = static_cast<int>(reinterpret_cast<std::intptr_t>(data));
        ticks.push_back(id);
        if (ticks.size() == 5) send(h, "ET 1");
    };
    start();
    session.wait(650);
    // At 600 both are due: the timer started first ticks first.
    EXPECT_EQ(ticks, (std::vector<int>{2, 1, 2, 1, 2}));
    EXPECT_EQ(host.timers().now(), 650);
    session.wait(350);  // timer 1 stopped; timer 2 ticks at 800 and 1000
    EXPECT_EQ(ticks, (std::vector<int>{2, 1, 2, 1, 2, 2, 2}));
    EXPECT_NE(said().find("< tick timer 2 at 1000 ms"), std::string::npos);
}

// The simulator's own breaches; the host's rules as such are in
// protocol_host_test.cpp and the protocol_errors transcript.
TEST_F(HostSession, ProtocolFaultsAreReported) {
    script.atCreate = [](vrel_client_callback* h) {
        send(h, "ET 1 0");
        h->notify(nullptr, vrel_kind::command);
    };
    start();
    session.destroy();
    for (const char* expected :
         {"!! protocol error: ET with an interval of 0", "!! protocol error: a command with a null text"})
        EXPECT_NE(said().find(expected), std::string::npos) << expected << "\n" << said();
    EXPECT_EQ(log.count(), 2u);
}

TEST_F(HostSession, KeysEditTheKeyboardOnlyWhileItIsEnabled) {
    std::vector<std::string> events;
    script.atCreate = [](vrel_client_callback* h) {
        send(h, "PS '2' '" + std::string(VREL_HOST_PANELS) + "/NameEdit.vrel_ui'");
        send(h, "TP 'text=AB' '2' 'KB_1'");
    };
    script.onNotify = [&](vrel_client_callback*, void* data, int kind) {
        if (kind != vrel_kind::button) return;
        auto* b = static_cast<button_record*>(data);
        events.push_back(std::string(b->panel) + " " + b->id + " " + b->event->command + " " +
                         std::to_string(b->event->subCount) + " " + b->event->sub[0]);
    };
    start();
    ScenarioRunner runner(session, host, transcript, keyboardOnTheEditor());
    std::string lineError;
    // KB_1 starts disabled: the key is refused and the text left alone.
    EXPECT_EQ(runner.runLine("key x", lineError), ScenarioRunner::Outcome::refused);
    EXPECT_EQ(lineError, "KB_1 on panel 2 is disabled");
    EXPECT_TRUE(events.empty());
    host.panels().control("2", "KB_1")->properties["enabled"] = "1";
    for (const char* line : {"key backspace", "type c d", "key return"})
        EXPECT_EQ(runner.runLine(line, lineError), ScenarioRunner::Outcome::done) << lineError;
    EXPECT_EQ(host.panels().control("2", "KB_1")->property("text"), "Ac d");
    EXPECT_EQ(events.front(), "2 KB_1 key 1 backspace");
    EXPECT_EQ(events.back(), "2 KB_1 key 1 return");
    EXPECT_EQ(events.size(), 5u);
    EXPECT_NE(said().find("! refused: KB_1 on panel 2 is disabled"), std::string::npos);
    // A wait longer than a day is a mistake in the line (a negative one is in the command-line suite).
    EXPECT_EQ(runner.runLine("wait 86400001", lineError), ScenarioRunner::Outcome::error);
}

// A key is one character of any script: a whole UTF-8 character (two, three
// or four bytes) is one key and one keyboard character; a byte that starts
// no character (Latin-1, a cut sequence, an overlong form) is one of its own.
// Backspace takes back one character, however many bytes it has.
TEST_F(HostSession, KeysAreCharactersOfAnyScript) {
    std::vector<std::string> keys;
    script.atCreate = [](vrel_client_callback* h) {
        send(h, "PS '2' '" + std::string(VREL_HOST_PANELS) + "/NameEdit.vrel_ui'");
        send(h, "CE '2' 'KB_1'");
    };
    script.onNotify = [&](vrel_client_callback*, void* data, int kind) {
        if (kind == vrel_kind::button) keys.push_back(static_cast<button_record*>(data)->event->sub[0]);
    };
    start();
    ScenarioRunner runner(session, host, transcript, keyboardOnTheEditor());
    auto text = [this] { return host.panels().control("2", "KB_1")->property("text"); };
    std::string lineError;
    ASSERT_EQ(runner.runLine("type \xc3\x87" "a \xe2\x82\xac\xf0\x9f\x98\x80", lineError), ScenarioRunner::Outcome::done);
    EXPECT_EQ(keys, (std::vector<std::string>{"\xc3\x87", "a", "space", "\xe2\x82\xac", "\xf0\x9f\x98\x80"}));
    EXPECT_EQ(text(), "\xc3\x87" "a \xe2\x82\xac\xf0\x9f\x98\x80");
    for (const char* after : {"\xc3\x87" "a \xe2\x82\xac", "\xc3\x87" "a ", "\xc3\x87" "a", "\xc3\x87", "", ""}) {
        ASSERT_EQ(runner.runLine("key backspace", lineError), ScenarioRunner::Outcome::done);
        EXPECT_EQ(text(), after);
    }
    keys.clear();
    ASSERT_EQ(runner.runLine("type \xe9\xc3x\xc0\xaf", lineError), ScenarioRunner::Outcome::done);
    EXPECT_EQ(keys, (std::vector<std::string>{"\xe9", "\xc3", "x", "\xc0", "\xaf"}));
    EXPECT_EQ(text(), "\xe9\xc3x\xc0\xaf");
    ASSERT_EQ(runner.runLine("key backspace", lineError), ScenarioRunner::Outcome::done);
    EXPECT_EQ(text(), "\xe9\xc3x\xc0") << "a stray byte goes on its own";
    ASSERT_EQ(runner.runLine("key \xc3\xa9", lineError), ScenarioRunner::Outcome::done);
    ASSERT_EQ(runner.runLine("key return", lineError), ScenarioRunner::Outcome::done);
    EXPECT_EQ(text(), "\xe9\xc3x\xc0\xc3\xa9") << "a named key adds nothing, a letter its bytes";
    // Past what a name holds: the keyboard keeps it all.
    ASSERT_EQ(runner.runLine("type ABCDEFGHIJKLMNOPQRSTUVWXYZ", lineError), ScenarioRunner::Outcome::done);
    EXPECT_EQ(text().size(), 6u + 26u);
}

// The component itself, loaded as vrel-host loads it.
TEST_F(HostSession, TheComponentStartsAndStopsWithEveryReplyHandedBack) {
    std::unique_ptr<ScriptLibrary> library = ScriptLibrary::open(KELVANE_LIBRARY, error);
    ASSERT_TRUE(library) << error;
    // The configuration names the name driver, as vrel-host writes it from the site.
    std::unique_ptr<ConfigFolder> config = ConfigFolder::create("velmorcast.StA_UMD_Names_DriverID", "60", error);
    ASSERT_TRUE(config) << error;
    ASSERT_TRUE(session.create(library->entry(), VREL_HOST_PANELS));
    EXPECT_EQ(host.ledger().given(), 3u + 1288u);  // three lookups and every name
    EXPECT_EQ(host.panels().control("1", "Names_3")->property("text"), "News");
    EXPECT_EQ(host.panels().control("1", "Current")->property("text"), "Studio A");
    session.parent("myParam=7");
    EXPECT_EQ(session.parent("return=all"), std::optional<std::string>("myParam=7"));
    session.destroy();
    EXPECT_EQ(host.ledger().outstanding(), 0u);
    EXPECT_TRUE(host.closed());
    EXPECT_EQ(log.count(), 0u) << said();
}

}  // namespace
}  // namespace vrelhost
