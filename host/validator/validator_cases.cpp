#include "validator_cases.h"

#include <malloc.h>

#include <climits>
#include <cstring>
#include <memory>

#include "checked_script.h"
#include "checking_host.h"
#include "exported_symbols.h"
#include "notification_storm.h"
#include "reply_shapes.h"
#include "script_library.h"

namespace validator {
namespace {

using vrelhost::ScriptLibrary;

std::unique_ptr<ScriptLibrary> openLibrary(const std::string& path, CaseReport& report) {
    std::string error;
    std::unique_ptr<ScriptLibrary> library = ScriptLibrary::open(path, error);
    if (!library) report.fail(error);
    return library;
}

CheckingHost::Replies plausible() { return plausibleReply; }

// Presses each control the script named once, with a plain button event.
void pressNamedControls(CheckedScript& script, const CheckingHost& host, const std::string& event) {
    const auto controls = host.controls();  // a copy: pressing may name more
    for (const auto& [panel, control] : controls) {
        if (!script.alive()) return;
        script.button(panel, control, event);
    }
}

// dlopen as the host does it, the one entry found by name, and nothing else
// exported: every extra name is surface the host never asked for.
void loadsWithOneExport(const std::string& path, CaseReport& report) {
    if (!openLibrary(path, report)) return;
    std::string error;
    const auto names = exportedSymbols(path, error);
    if (!names) {
        report.fail(error);
        return;
    }
    if (names->size() == 1 && names->front() == "load_vrel_client_script") return;
    std::string listed;
    for (std::size_t i = 0; i < names->size() && i < 6; ++i) listed += (i ? ", " : "") + (*names)[i];
    if (names->size() > 6) listed += ", ...";
    report.fail("the library exports " + std::to_string(names->size()) +
                " names, not just load_vrel_client_script: " + listed);
}

// Creation and destruction against a sensible host: every command well formed,
// every reply handed back before the call returns, AS last.
void createAndDestroy(const std::string& path, CaseReport& report) {
    auto library = openLibrary(path, report);
    if (!library) return;
    for (const char* creationText : {"", "panels"}) {
        CheckingHost host(report, plausible(), true);
        CheckedScript script(library->entry(), &host, report, creationText);
    }
}

// A script without a host sends nothing and must still survive every kind.
void withoutHost(const std::string& path, CaseReport& report) {
    auto library = openLibrary(path, report);
    if (!library) return;
    CheckedScript script(library->entry(), nullptr, report, nullptr);
    script.tick(1);
    script.revertive(0, 211, "1");
    script.databaseChange(0, 1, 1, "name");
    script.button("1", "x", "button.001=released");
    script.parent("return=all");
}

// Many lifecycles in one process, and two scripts alive side by side, as a
// host with two panel instances has them.
void repeatedLifecycles(const std::string& path, CaseReport& report) {
    auto library = openLibrary(path, report);
    if (!library) return;
    constexpr int cycles = 25;
    for (int i = 0; i < cycles && !report.failed(); ++i) {
        CheckingHost host(report, plausible(), true);
        CheckedScript script(library->entry(), &host, report, "");
        script.parent("_events");
        script.tick(1);
        const int device = host.devices().empty() ? 0 : host.devices().front();
        script.revertive(device, 211, "1");
        if (!host.controls().empty())
            script.button(host.controls().front().first, host.controls().front().second, "button.001=released");
    }
    CheckingHost hostA(report, plausible(), true);
    CheckingHost hostB(report, plausible(), true);
    auto a = std::make_unique<CheckedScript>(library->entry(), &hostA, report, "");
    auto b = std::make_unique<CheckedScript>(library->entry(), &hostB, report, "");
    for (int i = 0; i < 10; ++i) {
        a->tick(2);
        b->parent("return=all", true);
        a->parent("return=all", true);
        b->tick(2);
    }
    a.reset();
    b->parent("_commands");
    b.reset();
}

// Kinds outside 1 to 7 reach no handler: the answer is null and nothing is sent.
void unknownKinds(const std::string& path, CaseReport& report) {
    auto library = openLibrary(path, report);
    if (!library) return;
    CheckingHost host(report, plausible(), true);
    CheckedScript script(library->entry(), &host, report, "");
    char hostData[16] = "host data";
    for (int kind : {0, 8, -1, 100, INT_MIN, INT_MAX}) {
        for (void* data : {static_cast<void*>(nullptr), static_cast<void*>(hostData)}) {
            const std::size_t before = host.commandCount();
            script.call(data, kind, "kind " + std::to_string(kind));
            if (host.commandCount() != before)
                report.fail("kind " + std::to_string(kind) + " made the script send " + host.lastCommand());
        }
    }
}

// Kind 5 from the host: null is ignored; a parent answer is freed (the parent
// case checks that); a pointer the script never gave out must be left alone,
// because freeing it would corrupt the host's memory.
void handBacks(const std::string& path, CaseReport& report) {
    auto library = openLibrary(path, report);
    if (!library) return;
    CheckingHost host(report, plausible(), true);
    CheckedScript script(library->entry(), &host, report, "");
    const std::size_t before = host.commandCount();
    script.call(nullptr, 5, "a null hand-back (kind 5)");
    if (host.commandCount() != before) report.fail("a null hand-back made the script send " + host.lastCommand());

    static const char marker[] = "the host's own buffer";
    char* foreign = new char[sizeof marker];
    std::memcpy(foreign, marker, sizeof marker);
    script.call(foreign, 5, "a hand-back of a pointer the script never gave out (kind 5)");
    // A script that freed it has written its allocator's bookkeeping over it (or,
    // under a sanitizer, this read is reported): either way the case fails.
    if (std::memcmp(foreign, marker, sizeof marker) != 0)
        report.fail("the script freed a buffer it never gave out (kind 5 with a foreign pointer)");
    else
        delete[] foreign;
}

std::size_t heapInUse() { return mallinfo2().uordblks; }

// Answers are NUL-terminated (checked on each) and freed when handed back:
// thousands of answer and hand-back rounds must not grow the heap. (Under
// AddressSanitizer the heap count stands still and its leak check at the
// case's exit does this job.)
void parentAnswers(const std::string& path, CaseReport& report) {
    auto library = openLibrary(path, report);
    if (!library) return;
    const std::string longText(1000, 'P');
    std::vector<std::string> answered;
    {
        CheckingHost host(report, plausible(), true);
        CheckedScript script(library->entry(), &host, report, "");
        for (const char* text : {static_cast<const char*>(nullptr), "", "return=all", "_events", "_commands",
                                 "myParam=x", "return=myParam", "x=y.z", longText.c_str()}) {
            if (script.parent(text) && text) answered.push_back(text);
        }
        for (int i = 0; i < 16; ++i) script.parent("return=all", true);  // several held at once
    }
    if (answered.empty() || report.failed()) return;

    CheckingHost host(report, noReplies(), false);  // no replies: the host's own books stay still
    CheckedScript script(library->entry(), &host, report, "");
    auto round = [&](int i) { script.parent(answered[static_cast<std::size_t>(i) % answered.size()].c_str()); };
    for (int i = 0; i < 256; ++i) round(i);  // let the script's own tables settle
    constexpr int rounds = 4096;
    constexpr std::size_t allowance = 32 * 1024;
    const std::size_t before = heapInUse();
    for (int i = 0; i < rounds; ++i) round(i);
    const std::size_t after = heapInUse();
    if (after > before + allowance)
        report.fail("answers handed back are not freed: the heap grew by " + std::to_string(after - before) +
                    " bytes over " + std::to_string(rounds) + " answers");
}

// Replies of every shape (null, empty, 1,000 characters, no "=", another
// property's, quotes): each is handed back once, before the call returns,
// through creation, a press of every control the script names, and destruction.
void repliesOfEveryShape(const std::string& path, CaseReport& report) {
    auto library = openLibrary(path, report);
    if (!library) return;
    CheckingHost host(report, everyShape(), false);
    CheckedScript script(library->entry(), &host, report, "");
    for (const char* event : {"button.001=released", "index=1", "key.a", "key.return"})
        pressNamedControls(script, host, event);
    for (int i = 0; i < 30; ++i) script.tick(1 + i % 2);
}

}  // namespace

std::vector<ValidatorCase> validatorCases(const std::string& library, std::uint64_t stormSeed) {
    auto bind = [library](void (*body)(const std::string&, CaseReport&)) {
        return [library, body](CaseReport& report) { body(library, report); };
    };
    return {
        {"loads with RTLD_NOW | RTLD_LOCAL, one export", bind(loadsWithOneExport)},
        {"create and destroy: replies back, AS last", bind(createAndDestroy)},
        {"create and destroy without a host", bind(withoutHost)},
        {"repeated create, notify, destroy cycles", bind(repeatedLifecycles)},
        {"kinds 0, 8 and -1 answered with null", bind(unknownKinds)},
        {"kind 5: null and foreign pointers", bind(handBacks)},
        {"parent answers: NUL-terminated, taken back", bind(parentAnswers)},
        {"replies of every shape handed back once", bind(repliesOfEveryShape)},
        {"notification storm, seed " + std::to_string(stormSeed),
         [library, stormSeed](CaseReport& report) {
             std::string error;
             auto opened = vrelhost::ScriptLibrary::open(library, error);
             if (!opened) {
                 report.fail(error);
                 return;
             }
             runStorm(opened->entry(), stormSeed, stormNotifications, report);
         }},
    };
}

}  // namespace validator
