#include "interactive_prompt.h"

#include <iostream>

#include "line_reader.h"
#include "operator_rules.h"
#include "scenario_runner.h"

namespace vrelhost {

CompletionWords completionWordsOf(const Simulation& simulation, int position) {
    CompletionWords words;
    for (const ScenarioRunner::Verb& v : ScenarioRunner::verbs()) words.verbs.push_back(v.verb);
    words.verbs.push_back("exit");
    if (simulation.instances() > 1)
        for (int k = 1; k <= simulation.instances(); ++k)
            if (simulation.alive(k))
                words.positions.push_back("@" + std::to_string(k));  // a position that quit takes no line
    for (const auto& [panel, slot] : simulation.panels(position)) {
        std::vector<std::string>& names = words.controls[panel];
        for (const Control& c : slot.controls) names.push_back(c.name);
    }
    words.keys = namedKeys();
    if (simulation.displays()) words.showTargets.push_back("displays");
    return words;
}

bool runPrompt(Simulation& simulation) {
    // Panels come and go during the session: the words are taken at each Tab.
    std::unique_ptr<LineReader> terminal =
        openTerminalReader("vrel-host", "vrel> ", [&simulation](const std::string& before) {
            return completionsFor(before, completionWordsOf(simulation, positionOf(before)));
        });
    if (!terminal) return simulation.runLines(std::cin, true, "stdin");
    const bool ok = simulation.runLines(*terminal, true, "stdin");
    std::cout << "\n" << std::flush;
    return ok;
}

}  // namespace vrelhost
