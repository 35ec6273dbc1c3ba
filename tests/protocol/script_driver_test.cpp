// The script driver: the script's side of every call is checked as a host
// drives it. What a script does wrong (AS too early, a pointer where only a
// parent command answers, a parent text written into, an answer without its
// end) is reported once; a parent answer is handed back at once or when the
// host lets go of it, and always before the script is destroyed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "host/protocol/protocol_host.h"
#include "host/protocol/script_driver.h"
#include "runtime/boundary/notify_records.h"

namespace vrelhost {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct Heard : ProtocolSink {
    std::vector<std::string> breaches;
    void breach(const std::string& m) override { breaches.push_back(m); }
    void warning(const std::string&) override {}
    void refused(const std::string&) override {}
};

class QuietHost : public ProtocolHost {
public:
    using ProtocolHost::ProtocolHost;

private:
    Answer carryOut(const HostCommand& c, const std::string&) override {
        return replyOf(c.code) == ReplyKind::query ? Answer::reply(std::string("42")) : Answer::none();
    }
};

// What the next script does; each test sets it before create().
struct Script {
    std::function<void(vrel_client_callback*)> atCreate;
    std::function<void*(vrel_client_callback*, void*, int)> onNotify;
    bool closes = true;  // sends AS from its destructor
    std::vector<int> kinds;
    std::vector<void*> released;
};
Script* script = nullptr;

class FakeScript : public vrel_client_callback {
public:
    explicit FakeScript(vrel_client_callback* host) : host_(host) {
        if (script->atCreate) script->atCreate(host_);
    }
    ~FakeScript() override {
        if (script->closes && host_) host_->notify(const_cast<char*>("AS"), vrel_kind::command);
    }
    void* VREL_CALLBACK notify(void* data, int kind) override {
        script->kinds.push_back(kind);
        if (kind == vrel_kind::release) script->released.push_back(data);
        return script->onNotify ? script->onNotify(host_, data, kind) : nullptr;
    }

private:
    vrel_client_callback* host_;
};

vrel_client_callback* create(vrel_client_callback* host, const char*) { return new FakeScript(host); }
vrel_client_callback* createNothing(vrel_client_callback*, const char*) { return nullptr; }

class Driver : public ::testing::Test {
protected:
    Driver() { script = &behaviour; }
    ~Driver() override {
        driver.destroy();  // while the behaviour is still there
        script = nullptr;
    }

    Script behaviour;
    Heard heard;
    QuietHost host{heard};
    ScriptDriver driver{&host, heard};
};

TEST_F(Driver, CreatesAndDestroysAndTellsAnEntryThatMadeNothing) {
    EXPECT_FALSE(driver.create(&createNothing, "panels"));
    EXPECT_FALSE(driver.alive());
    ASSERT_TRUE(driver.create(&create, "panels"));
    EXPECT_TRUE(driver.alive());
    driver.destroy();
    EXPECT_FALSE(driver.alive());
    EXPECT_TRUE(host.closed());
    EXPECT_THAT(heard.breaches, IsEmpty());
    driver.button("1", "x", "button=released");
    EXPECT_THAT(behaviour.kinds, IsEmpty()) << "a destroyed script is called no more";
}

TEST_F(Driver, ReportsAClosingCommandSentTooEarlyOnce) {
    behaviour.onNotify = [](vrel_client_callback* h, void*, int kind) -> void* {
        if (kind == vrel_kind::button) h->notify(const_cast<char*>("AS"), vrel_kind::command);
        return nullptr;
    };
    behaviour.closes = false;
    ASSERT_TRUE(driver.create(&create, "p"));
    driver.button("1", "Select_3", "button=released");
    driver.button("1", "Select_3", "button=released");
    EXPECT_THAT(heard.breaches, ElementsAre("the script sent AS while handling a button (kind 2)",
                                            "command after the closing AS: AS"));

    Heard early;
    QuietHost second{early};
    ScriptDriver atCreate{&second, early};
    behaviour.atCreate = [](vrel_client_callback* h) { h->notify(const_cast<char*>("AS"), vrel_kind::command); };
    ASSERT_TRUE(atCreate.create(&create, "p"));
    atCreate.tick(1);
    EXPECT_THAT(early.breaches, ElementsAre("the script sent AS during its creation"));
}

TEST_F(Driver, OnlyAParentCommandIsAnsweredWithAPointer) {
    static char stray[] = "stray";
    behaviour.onNotify = [](vrel_client_callback*, void*, int kind) -> void* {
        return kind == vrel_kind::revertive || kind == vrel_kind::timer ? stray : nullptr;
    };
    ASSERT_TRUE(driver.create(&create, "p"));
    driver.revertive(57, 212, "3");
    driver.tick(2);
    driver.databaseChange(60, 3, 17, "Cam 17");
    EXPECT_THAT(heard.breaches,
                ElementsAre("the script answered a revertive (kind 1) with a pointer; only kind 3 answers, all others "
                            "return null",
                            "the script answered a timer tick (kind 4) with a pointer; only kind 3 answers, all "
                            "others return null"));
}

TEST_F(Driver, AParentAnswerIsHandedBackAtOnceOrWhenLetGoAndBeforeTheEnd) {
    static char answers[3][16] = {"first", "second", "third"};
    int next = 0;
    behaviour.onNotify = [&next](vrel_client_callback*, void*, int kind) -> void* {
        return kind == vrel_kind::parent ? answers[next++] : nullptr;
    };
    ASSERT_TRUE(driver.create(&create, "p"));
    EXPECT_EQ(driver.parent("a=1"), std::optional<std::string>("first"));
    EXPECT_THAT(behaviour.released, ElementsAre(answers[0]));
    EXPECT_EQ(driver.parent("b=2", true), std::optional<std::string>("second"));
    EXPECT_EQ(driver.parent("c=3", true), std::optional<std::string>("third"));
    EXPECT_THAT(behaviour.released, ElementsAre(answers[0]));
    EXPECT_TRUE(driver.handBackOne());
    EXPECT_THAT(behaviour.released, ElementsAre(answers[0], answers[1])) << "the oldest first";
    driver.destroy();
    EXPECT_THAT(behaviour.released, ElementsAre(answers[0], answers[1], answers[2]));
    EXPECT_FALSE(driver.handBackOne());
    EXPECT_THAT(heard.breaches, IsEmpty());
}

TEST_F(Driver, AParentTextWrittenIntoOrAnAnswerWithoutItsEndIsReported) {
    static std::vector<char> endless(std::size_t{1} << 20, 'x');
    behaviour.onNotify = [](vrel_client_callback*, void* data, int kind) -> void* {
        if (kind != vrel_kind::parent || !data) return nullptr;
        char* text = static_cast<char*>(data);
        if (std::strcmp(text, "scribble=1") == 0) text[0] = 'S';
        if (std::strcmp(text, "endless=1") == 0) return endless.data();
        return nullptr;
    };
    ASSERT_TRUE(driver.create(&create, "p"));
    const char parentText[] = "scribble=1";
    EXPECT_EQ(driver.parent(parentText), std::nullopt);
    EXPECT_STREQ(parentText, "scribble=1") << "the script got a copy, not the caller's text";
    EXPECT_EQ(driver.parent("endless=1"), std::nullopt);
    EXPECT_EQ(driver.parent(nullptr), std::nullopt);
    EXPECT_THAT(heard.breaches,
                ElementsAre("the script wrote into the text of the parent command \"scribble=1\" (kind 3)",
                            "the answer to the parent command \"endless=1\" (kind 3) is not NUL-terminated"));
    EXPECT_THAT(behaviour.released, IsEmpty()) << "an answer without an end is never handed back";
}

TEST_F(Driver, RecordsCarryWhatTheHostSays) {
    std::vector<std::string> seen;
    behaviour.onNotify = [&seen](vrel_client_callback*, void* data, int kind) -> void* {
        if (kind == vrel_kind::revertive) {
            auto* r = static_cast<revertive_record*>(data);
            seen.push_back("revertive " + std::to_string(r->device) + " " + std::to_string(r->index) + " " + r->text);
        } else if (kind == vrel_kind::database) {
            auto* d = static_cast<database_record*>(data);
            seen.push_back("database " + std::to_string(d->device) + " " + std::to_string(d->database) + " " +
                           std::to_string(d->index) + " " + d->text);
        } else if (kind == vrel_kind::button) {
            auto* b = static_cast<button_record*>(data);
            seen.push_back(std::string("button ") + b->panel + " " + b->id + " " + b->event->command + " " +
                           std::to_string(b->event->subCount));
        } else if (kind == vrel_kind::timer) {
            seen.push_back("tick " + std::to_string(static_cast<int>(reinterpret_cast<std::intptr_t>(data))));
        }
        return nullptr;
    };
    ASSERT_TRUE(driver.create(&create, "p"));
    driver.revertive(57, 212, "3");
    driver.databaseChange(60, 9, 3, "Newsroom");
    driver.button("2", "SrcName", "index=17");
    driver.tick(-7);
    EXPECT_THAT(seen, ElementsAre("revertive 57 212 3", "database 60 9 3 Newsroom", "button 2 SrcName index 0",
                                  "tick -7"));
}

// A script with no host at all is driven the same way; nothing is checked
// that needs a host.
TEST(DriverWithoutHost, CallsTheScriptAndReportsWhatItCan) {
    Script behaviour;
    script = &behaviour;
    Heard heard;
    {
        ScriptDriver driver(nullptr, heard);
        ASSERT_TRUE(driver.create(&create, "p"));
        driver.button("1", "x", "button=released");
        driver.tick(1);
    }
    EXPECT_THAT(behaviour.kinds, ElementsAre(vrel_kind::button, vrel_kind::timer));
    EXPECT_THAT(heard.breaches, IsEmpty());
    script = nullptr;
}

}  // namespace
}  // namespace vrelhost
