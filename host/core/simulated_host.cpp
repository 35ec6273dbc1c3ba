#include "simulated_host.h"

#include <algorithm>

namespace vrelhost {
namespace {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

SimulatedHost::SimulatedHost(Site& site, Transcript& transcript, ProtocolLog& log)
    : ProtocolHost(log), site_(site), transcript_(transcript) {}

std::deque<PendingReport> SimulatedHost::takePending() {
    std::deque<PendingReport> taken;
    taken.swap(pending_);
    return taken;
}

void SimulatedHost::received(const std::string& text) { transcript_.sent(text); }

ProtocolHost::Answer SimulatedHost::carryOut(const HostCommand& c, const std::string&) {
    const std::string& code = c.code;
    if (code == "CD" || code == "CE" || code == "CH" || code == "CS") return controlState(c);
    if (isPanelFileCode(code)) return panelFile(c);
    if (code == "TP") return setProperty(c);
    if (code == "TG") return getProperty(c);
    if (code == "XI") return listControls(c);
    if (code == "SD") {
        const Device* d = site_.findInstance(c.texts[0]);
        return answer(d ? std::optional<std::string>(std::to_string(d->number)) : std::nullopt);
    }
    if (code == "RN") return answer(site_.entry(c.numbers[0], c.numbers[1], c.numbers[2]));
    if (code == "IP") return pollSlots(c);
    if (code == "IR") {
        slotRegistrations_[c.numbers[0]].emplace_back(c.numbers[1], c.numbers[2]);
        return Answer::none();
    }
    if (code == "IU") {
        slotRegistrations_.erase(c.numbers[0]);
        return Answer::none();
    }
    if (code == "RR") {
        entryRegistrations_[c.numbers[0]].emplace_back(c.numbers[1], c.numbers[2]);
        return Answer::none();
    }
    if (code == "IW") return writeSlot(c);
    if (code == "RM") return renameEntry(c);
    if (code == "ET") return timer(c);
    return Answer::none();  // AS, the script's last text
}

ProtocolHost::Answer SimulatedHost::answer(const std::optional<std::string>& reply) {
    if (!reply) {
        transcript_.noReply();
        return Answer::none();
    }
    transcript_.reply(*reply);
    return Answer::reply(reply);
}

Control* SimulatedHost::controlFor(const HostCommand& c, const std::string& panel, const std::string& name) {
    if (!panels_.slot(panel)) {
        transcript_.note(c.code + ": no panel in slot " + panel);
        return nullptr;
    }
    Control* control = panels_.control(panel, name);
    if (!control) transcript_.note(c.code + ": panel " + panel + " has no control " + quoted(name));
    return control;
}

ProtocolHost::Answer SimulatedHost::controlState(const HostCommand& c) {
    Control* control = controlFor(c, c.texts[0], c.texts[1]);
    if (!control) return Answer::none();
    if (c.code == "CD" || c.code == "CE") control->properties["enabled"] = c.code == "CE" ? "1" : "0";
    else control->properties["visible"] = c.code == "CS" ? "1" : "0";
    return Answer::none();
}

ProtocolHost::Answer SimulatedHost::panelFile(const HostCommand& c) {
    std::string error;
    bool done = false;
    if (c.code == "PR") {
        done = panels_.remove(c.texts[0]);
        if (!done) error = "no panel in slot " + c.texts[0];
    } else if (c.code == "PI") {
        done = panels_.insert(c.texts[0], c.texts[1], error);
    } else {
        done = panels_.show(c.texts[0], c.texts[1], error);
    }
    if (!done) transcript_.note(c.code + " refused: " + error);
    return done ? Answer::status() : Answer::none();
}

ProtocolHost::Answer SimulatedHost::setProperty(const HostCommand& c) {
    const std::string& assignment = c.texts[0];
    std::size_t eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0) {
        sink().breach("TP expects property=value in its first field: " + quoted(assignment));
        return Answer::none();
    }
    Control* control = controlFor(c, c.texts[1], c.texts[2]);
    if (control) control->properties[assignment.substr(0, eq)] = assignment.substr(eq + 1);
    return Answer::none();
}

ProtocolHost::Answer SimulatedHost::getProperty(const HostCommand& c) {
    Control* control = controlFor(c, c.texts[0], c.texts[1]);
    if (!control) return answer(std::nullopt);
    const std::string& property = c.texts[2];
    if (property != "all") return answer(property + "=" + control->property(property));
    std::string all;
    for (const auto& [key, value] : control->properties) all += (all.empty() ? "" : ",") + key + "=" + value;
    return answer(all);
}

ProtocolHost::Answer SimulatedHost::listControls(const HostCommand& c) {
    const PanelSlots::Slot* slot = panels_.slot(c.texts[0]);
    std::string names;
    if (slot) {
        for (const Control& control : slot->controls)
            if (control.name.compare(0, c.texts[1].size(), c.texts[1]) == 0)
                names += (names.empty() ? "" : ",") + control.name;
    }
    // Nothing matching is no reply, so a caller never acts on an empty name.
    return answer(names.empty() ? std::nullopt : std::optional<std::string>(names));
}

ProtocolHost::Answer SimulatedHost::pollSlots(const HostCommand& c) {
    const int device = c.numbers[0];
    const Device* d = site_.find(device);
    if (!d || !d->hasSlots) {
        transcript_.note("IP: device " + std::to_string(device) + " is not an infodriver");
        return Answer::none();
    }
    // Only slots that exist are reported, however wide the range asked for.
    const int first = std::max(c.numbers[1], 1), last = std::min(c.numbers[2], infodriverSlots);
    for (int slot = first; slot <= last; ++slot)
        pending_.push_back(PendingReport{PendingReport::Kind::revertive, device, 0, slot, *site_.slot(device, slot)});
    return Answer::none();
}

ProtocolHost::Answer SimulatedHost::writeSlot(const HostCommand& c) {
    const int device = c.numbers[0], slot = c.numbers[1];
    if (!site_.writeSlot(device, slot, c.texts[0])) {
        transcript_.note("IW: device " + std::to_string(device) + " has no slot " + std::to_string(slot));
        return Answer::none();
    }
    if (covers(slotRegistrations_, device, slot))
        pending_.push_back(PendingReport{PendingReport::Kind::revertive, device, 0, slot, c.texts[0]});
    return Answer::none();
}

ProtocolHost::Answer SimulatedHost::renameEntry(const HostCommand& c) {
    const int device = c.numbers[0], database = c.numbers[1], index = c.numbers[2];
    const std::string& text = c.texts[0];
    if (!site_.rename(device, database, index, text)) {
        const std::string refusal = "RM: device " + std::to_string(device) + " has no entry " +
                                    std::to_string(index) + " in database " + std::to_string(database);
        transcript_.note(refusal + "; the rename is not done");
        if (refusedRenames_++ == 0) firstRefusedRename_ = refusal;
        return Answer::none();
    }
    if (siteFile_ && siteFile_->keeps(device)) {
        // Written before the command returns: an accepted rename survives whatever happens next.
        std::string error;
        if (siteFile_->save(site_, error)) {
            unsavedRenames_ = 0;
            saveError_.clear();
        } else {
            transcript_.note("the rename could not be saved: " + error);
            if (unsavedRenames_++ == 0) saveError_ = error;
        }
    }
    if (covers(entryRegistrations_, device, index))
        pending_.push_back(PendingReport{PendingReport::Kind::database, device, database, index, text});
    return Answer::none();
}

ProtocolHost::Answer SimulatedHost::timer(const HostCommand& c) {
    const int id = c.numbers[0];
    if (c.numbers.size() == 1) {
        timers_.stop(id);
        return Answer::none();
    }
    if (c.numbers[1] <= 0) {
        sink().breach("ET with an interval of " + std::to_string(c.numbers[1]) + "; a timer needs 1 or more");
        return Answer::none();
    }
    timers_.start(id, c.numbers[1]);
    return Answer::none();
}

bool SimulatedHost::covers(const Ranges& ranges, int device, int index) {
    auto it = ranges.find(device);
    if (it == ranges.end()) return false;
    for (const auto& [first, last] : it->second)
        if (index >= first && index <= last) return true;
    return false;
}

}  // namespace vrelhost
