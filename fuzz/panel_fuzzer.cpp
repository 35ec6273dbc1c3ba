// Drives a whole panel through notify() with a sequence of notifications
// decoded from the fuzz input, against a host whose replies also come from the
// input (see ScriptedHost).
//
// Input layout: two bytes give the length of the reply script, then the reply
// script, then the notifications. The first notification byte chooses the
// host (none, in one case of eight) and the creation text.
//
// Every run checks, on top of "no crash, no sanitizer report": each reply is
// handed back once, before the call that got it returns; kinds other than 1
// to 7, and all but kind 3, answer null; a parent-command answer is a
// non-empty NUL-terminated text, and every one handed back is freed exactly
// once (a leak or double free is a sanitizer report); nothing follows "AS",
// which is sent once, at destruction; every command begins with its code.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "Kelvane.h"
#include "debug_output.h"
#include "fuzzer_common.h"
#include "host/protocol/script_driver.h"
#include "scripted_host.h"

namespace {

constexpr int maxNotifications = 256;

const char* const knownControls[] = {
    "Confirm", "Name_Editor", "SrcGroup", "SrcName", "KB_1", "Cancel", "Update",
    "NamesetName", "Nameset_Select", "Select_", "UMDBright_", "NameSet_", "Current",
};

const char* const knownParentTexts[] = {
    "return=all", "return=myParam", "return=instance", "_events", "_commands=x", "myParam", "returns=all",
};

vrel_client_callback* createPanel(vrel_client_callback* host, const char* text) { return new Kelvane(host, text); }

std::unique_ptr<fuzz::ExactText> maybeText(fuzz::Input& in, const std::string& text, bool allowNull) {
    if (allowNull && in.byte() % 8 == 0) return nullptr;
    return std::make_unique<fuzz::ExactText>(text);
}

// One panel driven through the protocol kit's script driver, which checks
// every call and hands parent answers back; any breach aborts the run.
class PanelRun {
public:
    PanelRun(ScriptedHost* host, FuzzAbortSink& sink, const char* text) : host_(host), driver_(host, sink) {
        FUZZ_CHECK(driver_.create(&createPanel, text), "the panel is created");
    }
    PanelRun(const PanelRun&) = delete;
    PanelRun& operator=(const PanelRun&) = delete;

    void step(fuzz::Input& in) {
        switch (in.byte() % 9) {
        case 0: revertive(in); break;
        case 1: database(in); break;
        case 2: button(in); break;
        case 3: parent(in); break;
        case 4: ticks(in); break;
        case 5: driver_.handBackOne(); break;
        case 6: strayHandBacks(in); break;
        case 7: otherKind(in); break;
        default: button(in); break;  // buttons carry most of the panel's work
        }
    }

private:
    std::int32_t device(fuzz::Input& in) {
        switch (in.byte() % 4) {
        case 0: return 60;  // the names driver of config/velmorcast.ini
        case 1: {
            const auto& devices = host_ ? host_->reportedDevices() : std::vector<int>{};
            return devices.empty() ? 0 : devices[in.byte() % devices.size()];
        }
        default: return in.number();
        }
    }

    void revertive(fuzz::Input& in) {
        const std::int32_t dev = device(in);
        const std::int32_t slot = in.byte() % 3 == 0 ? in.number() : 211 + in.byte() % 2;
        std::string text;
        switch (in.byte() % 3) {
        case 0: text = std::to_string(in.number()); break;
        case 1: text = std::string(1, static_cast<char>('0' + in.byte() % 10)); break;
        default: text = in.text(); break;
        }
        driver_.revertive(dev, slot, text);
    }

    void database(fuzz::Input& in) {
        const std::int32_t dev = device(in);
        const std::int32_t db = in.byte() % 3 == 0 ? in.number() : in.byte() % 11;
        const std::int32_t index = in.byte() % 3 == 0 ? in.number() : in.byte() % 130;
        driver_.databaseChange(dev, db, index, in.text());
    }

    std::string controlName(fuzz::Input& in) {
        const std::uint8_t pick = in.byte();
        if (pick % 4 == 3) return in.text();
        std::string name = knownControls[pick % (sizeof knownControls / sizeof *knownControls)];
        if (name.back() == '_') name += static_cast<char>(in.byte() % 4 ? '0' + in.byte() % 10 : in.byte());
        return name;
    }

    std::string eventText(fuzz::Input& in) {
        switch (in.byte() % 7) {
        case 0: {
            const std::string sub = in.text();  // read in order: the input is a sequence
            return "button." + sub + "=" + in.text();
        }
        case 1: return "index=" + std::to_string(in.number());
        case 2: return "key.return";
        case 3: return "key." + in.text();
        case 4: return "key.return.x";
        case 5: return "";
        default: return in.text();
        }
    }

    void button(fuzz::Input& in) {
        const std::uint8_t which = in.byte() % 4;
        const std::string panel = which == 0 ? "1" : which == 1 ? "2" : which == 2 ? "0" : in.text();
        const std::string id = controlName(in);
        const auto panelText = maybeText(in, panel, true);
        const auto idText = maybeText(in, id, true);
        // The host always sends an event; a missing one must still not crash the panel.
        std::unique_ptr<parsed_command> event;
        if (in.byte() % 16 != 0) event = std::make_unique<parsed_command>(eventText(in).c_str());
        auto record = std::make_unique<button_record>();
        record->notRead0 = 0;
        record->notRead1 = 0;
        record->panel = panelText ? panelText->get() : nullptr;
        record->id = idText ? idText->get() : nullptr;
        record->event = event.get();
        driver_.call(record.get(), vrel_kind::button, "a button (kind 2)");
    }

    void parent(fuzz::Input& in) {
        std::unique_ptr<fuzz::ExactText> text;
        switch (in.byte() % 5) {
        case 0: break;  // null
        case 1: text = std::make_unique<fuzz::ExactText>(
                    knownParentTexts[in.byte() % (sizeof knownParentTexts / sizeof *knownParentTexts)]); break;
        case 2: {
            const std::string name = in.byte() % 2 ? "myParam=" : "instance=";
            text = std::make_unique<fuzz::ExactText>(name + in.text());
            break;
        }
        default: text = std::make_unique<fuzz::ExactText>(in.text()); break;
        }
        const std::optional<std::string> answer = driver_.parent(text ? text->get() : nullptr, in.byte() % 2 == 0);
        if (answer) FUZZ_CHECK(!answer->empty(), "an empty answer reaches the host as null");
    }

    void ticks(fuzz::Input& in) {
        const std::uint8_t pick = in.byte();
        const std::int32_t id = pick % 4 == 0 ? in.number() : 1 + pick % 2;
        const int repeat = 1 + in.byte() % 24;  // enough to run a timer out in one step
        for (int i = 0; i < repeat; ++i)
            driver_.tick(id);
    }

    // Kind 5 with null, or with a pointer the script never gave out, must be
    // ignored: freeing it would corrupt the host's memory.
    void strayHandBacks(fuzz::Input&) {
        driver_.call(nullptr, vrel_kind::release, "a null hand-back (kind 5)");
        driver_.call(hostOwned_, vrel_kind::release, "a foreign hand-back (kind 5)");
        driver_.call(hostOwned_ + 1, vrel_kind::release, "a foreign hand-back (kind 5)");
    }

    void otherKind(fuzz::Input& in) {
        static const int kinds[] = {0, 7, 8, -1, INT32_MIN, INT32_MAX, 100};
        const int kind = in.byte() % 8 == 7 ? in.raw32() : kinds[in.byte() % 7];
        if (kind >= 1 && kind <= 6) return;  // those have their own steps
        driver_.call(in.byte() % 2 ? hostOwned_ : nullptr, kind, "kind " + std::to_string(kind));
    }

    ScriptedHost* host_;
    vrelhost::ScriptDriver driver_;
    char hostOwned_[8] = "host";
};

// The fuzzers read the example site configuration, wherever they are run from.
const bool configSet = [] {
    setenv("VREL_CONFIG_DIR", KELVANE_CONFIG_DIR, 0);
    return true;
}();

void discardDebugText(const char*, void*) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)configSet;
    vrel::setDebugSink(&discardDebugText, nullptr);
    fuzz::Input in(data, size);
    const std::size_t low = in.byte();
    const std::size_t scriptLength = low | static_cast<std::size_t>(in.byte()) << 8;
    fuzz::Input replies = in.split(scriptLength);
    FuzzAbortSink sink;
    ScriptedHost host(sink, replies.bytes(replies.remaining()));

    const std::uint8_t setup = in.byte();
    const bool withHost = setup % 8 != 0;
    std::unique_ptr<fuzz::ExactText> creationText;
    if (setup & 0x10) creationText = std::make_unique<fuzz::ExactText>(in.text());
    {
        PanelRun run(withHost ? &host : nullptr, sink, creationText ? creationText->get() : nullptr);
        for (int i = 0; i < maxNotifications && !in.empty(); ++i) run.step(in);
    }
    vrel::setDebugSink(nullptr, nullptr);
    return 0;
}
