// The host boundary: which handler each notification kind reaches, what the
// handlers see of the host's records, the parent-command answers and their
// hand-back, and the closing command.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "debug_capture.h"
#include "host_records.h"
#include "recording_host.h"
#include "test_script.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

void* timerData(std::intptr_t id) { return reinterpret_cast<void*>(id); }

// A NUL-terminated copy of `text` in an allocation of exactly its size.
std::unique_ptr<char[]> exactCopy(const std::string& text) {
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return copy;
}

TEST(Dispatcher, ConstructionKeepsTheCreationTextAndStartsWithAlarmActionsOff) {
    RecordingHost host;
    TestScript script(&host, "site/panels");
    EXPECT_EQ(script.creationText(), "site/panels");
    EXPECT_FALSE(script.alarmActionsOn());
    EXPECT_THAT(host.commands(), IsEmpty());

    TestScript withoutText(&host, nullptr);
    EXPECT_EQ(withoutText.creationText(), "");
}

TEST(Dispatcher, EachKindReachesItsHandlerAndReturnsNull) {
    RecordingHost host;
    TestScript script(&host, "");
    RevertiveRecord revertive(57, 211, "2");
    ButtonPress button("2", "SrcGroup", "button.001=released");
    DatabaseRecord database(60, 9, 3, "News");
    int hostData = 0;

    EXPECT_EQ(script.notify(revertive.data(), vrel_kind::revertive), nullptr);
    EXPECT_EQ(script.notify(button.data(), vrel_kind::button), nullptr);
    EXPECT_EQ(script.notify(timerData(2), vrel_kind::timer), nullptr);
    EXPECT_EQ(script.notify(timerData(-3), vrel_kind::timer), nullptr);
    EXPECT_EQ(script.notify(database.data(), vrel_kind::database), nullptr);
    EXPECT_EQ(script.notify(&hostData, vrel_kind::value), nullptr);
    EXPECT_EQ(script.notify(nullptr, vrel_kind::value), nullptr);

    EXPECT_THAT(script.calls, ElementsAre(HandlerCall{"revertive", "57|211|2"},
                                          HandlerCall{"button", "2|SrcGroup|button|001|released|1"},
                                          HandlerCall{"timer", "2"}, HandlerCall{"timer", "-3"},
                                          HandlerCall{"database", "60|9|3|News"},
                                          HandlerCall{"value", "data"}, HandlerCall{"value", "null"}));
    EXPECT_THAT(host.commands(), IsEmpty());
}

// A kind outside 1 to 7, or a record kind without its record, reaches no handler.
TEST(Dispatcher, KindsOutsideOneToSevenAndNullRecordsReachNoHandler) {
    RecordingHost host;
    TestScript script(&host, "");
    char text[] = "CD '2' 'KB_1'";
    for (int kind : {0, 8, -1, 1000}) EXPECT_EQ(script.notify(text, kind), nullptr) << "kind " << kind;
    for (int kind : {vrel_kind::revertive, vrel_kind::button, vrel_kind::database})
        EXPECT_EQ(script.notify(nullptr, kind), nullptr) << "kind " << kind;
    EXPECT_THAT(script.calls, IsEmpty());
    EXPECT_THAT(host.commands(), IsEmpty());
}

TEST(Dispatcher, AHandlerThatThrowsDropsTheNotificationAndNamesWhatItCaught) {
    struct ThrowingScript : TestScript {
        ThrowingScript(vrel_client_callback* host, std::function<void()> raise)
            : TestScript(host, ""), raise_(std::move(raise)) {}
        int onTimer(int) override {
            raise_();
            return 0;
        }
        std::function<void()> raise_;
    };
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[] { throw std::bad_alloc(); }, "out of memory"},
        {[] { throw std::runtime_error("the site file cannot be written"); }, "the site file cannot be written"},
        {[] { throw 42; }, "an exception that is not a std::exception"},
    };
    for (const auto& [raise, said] : cases) {
        RecordingHost host;
        DebugCapture debug;
        ThrowingScript script(&host, raise);
        void* result = reinterpret_cast<void*>(1);
        EXPECT_NO_THROW(result = script.notify(reinterpret_cast<void*>(std::intptr_t{1}), vrel_kind::timer));
        EXPECT_EQ(result, nullptr);
        EXPECT_THAT(debug.texts(), ElementsAre("vrel_script_helper: a notification was dropped: " + said + "\n"));
    }
}

TEST(NotifyViews, RecordTextsAreReadInPlaceUpToTheirNul) {
    TestScript script(nullptr, "");
    RevertiveRecord emptyValue(57, 212, "");
    RevertiveRecord longValue(-1, 0, std::string(300, 'x'));
    DatabaseRecord quoted(60, 1, 128, "it's 'odd' %1");
    script.notify(emptyValue.data(), vrel_kind::revertive);
    script.notify(longValue.data(), vrel_kind::revertive);
    script.notify(quoted.data(), vrel_kind::database);
    EXPECT_THAT(script.calls, ElementsAre(HandlerCall{"revertive", "57|212|"},
                                          HandlerCall{"revertive", "-1|0|" + std::string(300, 'x')},
                                          HandlerCall{"database", "60|1|128|it's 'odd' %1"}));
}

TEST(NotifyViews, ButtonViewReadsTheHostSplitEvent) {
    TestScript script(nullptr, "");
    ButtonPress keyboard("2", "KB_1", "key.return");
    ButtonPress plain("1", "Confirm", "released");
    ButtonPress noEvent("1", "Names_1", nullptr);
    script.notify(keyboard.data(), vrel_kind::button);
    script.notify(plain.data(), vrel_kind::button);
    script.notify(noEvent.data(), vrel_kind::button);
    // A record without an event reads as an empty event instead of crashing.
    noEvent.record().event = nullptr;
    script.notify(noEvent.data(), vrel_kind::button);
    EXPECT_THAT(script.calls, ElementsAre(HandlerCall{"button", "2|KB_1|key|return||1"},
                                          HandlerCall{"button", "1|Confirm|released|||0"},
                                          HandlerCall{"button", "1|Names_1||||0"},
                                          HandlerCall{"button", "1|Names_1||||0"}));
}

TEST(ParentDispatch, NullOrEmptyTextStillReachesTheHandlerAsAnEmptyCommand) {
    TestScript script(nullptr, "");
    char empty[] = "";
    script.notify(nullptr, vrel_kind::parent);
    script.notify(empty, vrel_kind::parent);
    EXPECT_THAT(script.calls, ElementsAre(HandlerCall{"parent", "||0|"}, HandlerCall{"parent", "||0|"}));
}

// Every field of a split, the sub-parts included, joined for comparison.
std::string describe(const parsed_command& p) {
    std::string out = std::string(p.command) + "|" + p.value + "|" + std::to_string(p.subCount) +
                      (p.hasValue ? "|=" : "|");
    for (const char* sub : p.sub) out += std::string("|") + sub;
    return out;
}

struct SplitRecorder : TestScript {
    SplitRecorder() : TestScript(nullptr, "") {}
    vrel_string onParent(parent_notify* p) override {
        seen = describe(*p->record);
        return vrel_string();
    }
    std::string seen;
};

TEST(ParentDispatch, SplitsEveryTextAsTheEventParserDoes) {
    // Short texts are split on the stack and long ones by parsed_command
    // itself: both must give the handler the very same record.
    std::string manyDots;
    for (int i = 0; i < 40; ++i) manyDots += "s" + std::to_string(i) + ".";
    const std::string texts[] = {"return=all", "a", ".", "=", "a.b.c", "a.b=c.d=e", "=x.y", ".a=b", "a..b=",
                                 manyDots + "=v", std::string(255, 'x') + ".y=z", std::string(256, 'x') + ".y=z",
                                 std::string(300, '.') + "=v"};
    for (const std::string& text : texts) {
        SplitRecorder script;
        std::unique_ptr<char[]> copy = exactCopy(text);
        script.notify(copy.get(), vrel_kind::parent);
        EXPECT_EQ(script.seen, describe(parsed_command(text.c_str()))) << text;
        EXPECT_EQ(std::string(copy.get()), text);
    }
}

// Each answer is a buffer of its own, freed when it is handed back, in any
// order; under AddressSanitizer a wrong-size allocation or a leak fails here.
TEST(ParentDispatch, EachAnswerIsAFreshBufferFreedOnItsHandBackInAnyOrder) {
    DebugCapture debug;
    TestScript script(nullptr, "");
    script.parentAnswer = "myParam=42";
    char text[] = "myParam";
    char* answers[4];
    for (char*& answer : answers) {
        answer = static_cast<char*>(script.notify(text, vrel_kind::parent));
        ASSERT_NE(answer, nullptr);
        EXPECT_STREQ(answer, "myParam=42");
    }
    EXPECT_NE(answers[0], answers[1]);
    for (int i : {1, 3, 0, 2}) EXPECT_EQ(script.notify(answers[i], vrel_kind::release), nullptr);
    EXPECT_THAT(debug.texts(), IsEmpty());
}

TEST(ParentDispatch, EmptyAnswerReturnsNullAndNothingIsLeftToHandBack) {
    DebugCapture debug;
    TestScript script(nullptr, "");
    char text[] = "myParam.get";
    EXPECT_EQ(script.notify(text, vrel_kind::parent), nullptr);
    EXPECT_EQ(script.notify(nullptr, vrel_kind::release), nullptr);  // null hand-back: ignored silently
    EXPECT_THAT(debug.texts(), IsEmpty());
}

TEST(ParentDispatch, ForeignOrRepeatedHandBacksAreIgnoredWithOneDebugLineEach) {
    DebugCapture debug;
    RecordingHost host;
    TestScript script(&host, "");
    script.parentAnswer = "x";
    char text[] = "q";
    void* answer = script.notify(text, vrel_kind::parent);
    ASSERT_NE(answer, nullptr);
    script.notify(answer, vrel_kind::release);

    char notOurs[] = "host memory";
    script.notify(answer, vrel_kind::release);   // a second hand-back of the same answer
    script.notify(notOurs, vrel_kind::release);  // never handed out by this script
    EXPECT_STREQ(notOurs, "host memory");
    ASSERT_EQ(debug.texts().size(), 2u);
    EXPECT_EQ(debug.texts()[0], debug.texts()[1]);
    EXPECT_EQ(debug.texts()[0].back(), '\n');
    EXPECT_THAT(host.commands(), IsEmpty());  // diagnostics never go to the host
}

TEST(ClosingCommand, AsIsSentOnDestructionAndIsTheLastText) {
    RecordingHost host;
    {
        TestScript script(&host, "");
        script.disableControl("2", "KB_1");
    }
    EXPECT_THAT(host.commands(), ElementsAre("CD '2' 'KB_1'", "AS"));
}

}  // namespace
