#include "notification_storm.h"

#include <climits>
#include <random>
#include <vector>

#include "checked_script.h"
#include "checking_host.h"
#include "reply_shapes.h"

namespace validator {
namespace {

class Storm {
public:
    Storm(std::uint64_t seed, CaseReport& report)
        : random_(seed), report_(report), host_(report, randomShape(random_), false) {}

    void run(vrelhost::ScriptLibrary::Entry entry, int notifications) {
        CheckedScript script(entry, &host_, report_, pick({"", "panels", nullptr}));
        for (int i = 0; i < notifications && script.alive(); ++i) step(script);
    }

private:

    std::uint64_t below(std::uint64_t n) { return n ? random_() % n : 0; }
    bool chance(int percent) { return below(100) < static_cast<std::uint64_t>(percent); }
    const char* pick(std::initializer_list<const char*> options) {
        return options.begin()[below(options.size())];
    }

    int number() {
        switch (below(6)) {
        case 0: return 0;
        case 1: return -1;
        case 2: return INT_MAX;
        case 3: return INT_MIN;
        case 4: return static_cast<int>(below(300));
        default: return static_cast<int>(random_());
        }
    }
    int fromOr(const std::vector<int>& seen) {
        return !seen.empty() && chance(75) ? seen[below(seen.size())] : number();
    }

    std::string text() {
        switch (below(7)) {
        case 0: return "";
        case 1: return std::to_string(below(10));
        case 2: return std::to_string(number());
        case 3: return std::string(1000, 'L');
        case 4: return "it's a 'quoted' text";
        case 5: return "%1 %2 %d %s";
        default: {
            std::string t;
            for (std::uint64_t i = below(24); i > 0; --i) t += static_cast<char>(1 + below(255));
            return t;
        }
        }
    }

    std::string event() {
        switch (below(8)) {
        case 0: return "button.001=pressed";
        case 1: return "button.001=released";
        case 2: return "index=" + std::to_string(number());
        case 3: return "page=" + std::to_string(below(10));
        case 4: return "key.return";
        case 5: return "key." + std::string(1, static_cast<char>('a' + below(26)));
        case 6: return "";
        default: return text();
        }
    }

    void button(CheckedScript& script) {
        const auto& controls = host_.controls();
        std::string panel, control;
        if (!controls.empty() && chance(85)) {
            const auto& chosen = controls[below(controls.size())];
            panel = chosen.first;
            control = chosen.second;
            // Numbered controls ("Set_3") often share a prefix the script never names in full.
            if (!control.empty() && chance(20)) control.back() = static_cast<char>('0' + below(10));
        } else {
            panel = pick({"1", "2", "0", "-1", ""});
            control = text();
        }
        script.button(panel, control, event());
    }

    void ticks(CheckedScript& script) {
        const int id = fromOr(host_.timers());
        for (std::uint64_t n = 1 + below(25); n > 0 && script.alive(); --n) script.tick(id);
    }

    void parent(CheckedScript& script) {
        const std::string given = chance(50) ? pick({"return=all", "return=x", "_events", "_commands", "x"})
                                             : text() + "=" + text();
        const bool hold = chance(30);
        if (chance(5)) script.parent(nullptr, hold);
        else script.parent(given.c_str(), hold);
    }

    void otherKind(CheckedScript& script) {
        static char hostData[16] = "host data";  // kind 7 carries host data the script may only read
        const int kinds[] = {0, 7, 8, -1, 100, INT_MIN, INT_MAX};
        const int kind = kinds[below(sizeof kinds / sizeof *kinds)];
        script.call(chance(50) ? hostData : nullptr, kind, "kind " + std::to_string(kind));
    }

    void step(CheckedScript& script) {
        switch (below(20)) {
        case 0: case 1: case 2: case 3: case 4: case 5: button(script); break;
        case 6: case 7: case 8:
            script.revertive(fromOr(host_.devices()), chance(50) ? static_cast<int>(211 + below(2)) : number(), text());
            break;
        case 9: case 10: case 11:
            script.databaseChange(fromOr(host_.devices()), chance(70) ? static_cast<int>(below(11)) : number(),
                                  chance(70) ? static_cast<int>(below(130)) : number(), text());
            break;
        case 12: case 13: ticks(script); break;
        case 14: case 15: parent(script); break;
        case 16: script.handBackOne(); break;
        case 17: script.call(nullptr, 5, "a null hand-back (kind 5)"); break;
        default: otherKind(script); break;
        }
    }

    std::mt19937_64 random_;
    CaseReport& report_;
    CheckingHost host_;
};

}  // namespace

void runStorm(vrelhost::ScriptLibrary::Entry entry, std::uint64_t seed, int notifications, CaseReport& report) {
    Storm storm(seed, report);
    storm.run(entry, notifications);
}

}  // namespace validator
