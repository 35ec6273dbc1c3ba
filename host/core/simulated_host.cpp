#include "simulated_host.h"

#include <algorithm>
#include <utility>
#include <variant>

namespace vrelhost {
namespace {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

SimulatedHost::SimulatedHost(Site& site, Transcript& transcript, ProtocolLog& log, SiteExchange* exchange,
                             int instance)
    : ProtocolHost(log),
      site_(site),
      transcript_(transcript),
      ownExchange_(exchange ? nullptr : std::make_unique<SiteExchange>()),
      exchange_(exchange ? *exchange : *ownExchange_),
      instance_(instance) {}

void SimulatedHost::received(const std::string& text) { transcript_.sent(text); }

ProtocolHost::Answer SimulatedHost::carryOut(const HostCommand& c, const std::string&) {
    return std::visit([this](const auto& fields) { return on(fields); }, c.fields);
}

ProtocolHost::Answer SimulatedHost::answer(const std::optional<std::string>& reply) {
    if (!reply) {
        transcript_.noReply();
        return Answer::none();
    }
    transcript_.reply(*reply);
    return Answer::reply(reply);
}

Control* SimulatedHost::controlFor(CommandCode code, const std::string& panel, const std::string& name) {
    if (!std::as_const(panels_).slot(panel)) {
        transcript_.note(std::string(codeName(code)) + ": no panel in slot " + panel);
        return nullptr;
    }
    Control* control = panels_.control(panel, name);
    if (!control)
        transcript_.note(std::string(codeName(code)) + ": panel " + panel + " has no control " +
                         quoted(name));
    return control;
}

// Only a lenient host carries out a command whose fields did not fit; this
// one is never lenient, so there is nothing to act on.
ProtocolHost::Answer SimulatedHost::on(const std::monostate&) { return Answer::none(); }

ProtocolHost::Answer SimulatedHost::on(const cmd::CD& c) {
    return setState(CommandCode::CD, c.panel, c.control, "enabled", "0");
}

ProtocolHost::Answer SimulatedHost::on(const cmd::CE& c) {
    return setState(CommandCode::CE, c.panel, c.control, "enabled", "1");
}

ProtocolHost::Answer SimulatedHost::on(const cmd::CH& c) {
    return setState(CommandCode::CH, c.panel, c.control, "visible", "0");
}

ProtocolHost::Answer SimulatedHost::on(const cmd::CS& c) {
    return setState(CommandCode::CS, c.panel, c.control, "visible", "1");
}

ProtocolHost::Answer SimulatedHost::setState(CommandCode code, const std::string& panel,
                                             const std::string& name, const char* property,
                                             const char* value) {
    if (Control* control = controlFor(code, panel, name)) control->properties[property] = value;
    return Answer::none();
}

ProtocolHost::Answer SimulatedHost::on(const cmd::PI& c) {
    std::string error;
    return panelStatus(CommandCode::PI, panels_.insert(c.panel, c.file, error), error);
}

ProtocolHost::Answer SimulatedHost::on(const cmd::PS& c) {
    std::string error;
    return panelStatus(CommandCode::PS, panels_.show(c.panel, c.file, error), error);
}

ProtocolHost::Answer SimulatedHost::on(const cmd::PR& c) {
    const bool done = panels_.remove(c.panel);
    return panelStatus(CommandCode::PR, done, done ? std::string() : "no panel in slot " + c.panel);
}

ProtocolHost::Answer SimulatedHost::panelStatus(CommandCode code, bool done, const std::string& error) {
    if (!done) transcript_.note(std::string(codeName(code)) + " refused: " + error);
    return done ? Answer::status() : Answer::none();
}

ProtocolHost::Answer SimulatedHost::on(const cmd::TP& c) {
    const std::size_t eq = c.assignment.find('=');
    if (eq == std::string::npos || eq == 0) {
        sink().breach("TP expects property=value in its first field: " + quoted(c.assignment));
        return Answer::none();
    }
    if (Control* control = controlFor(CommandCode::TP, c.panel, c.control))
        control->properties[c.assignment.substr(0, eq)] = c.assignment.substr(eq + 1);
    return Answer::none();
}

ProtocolHost::Answer SimulatedHost::on(const cmd::TG& c) {
    Control* control = controlFor(CommandCode::TG, c.panel, c.control);
    if (!control) return answer(std::nullopt);
    if (c.property != "all") return answer(c.property + "=" + control->property(c.property));
    std::string all;
    for (const auto& [key, value] : control->properties) all += (all.empty() ? "" : ",") + key + "=" + value;
    return answer(all);
}

ProtocolHost::Answer SimulatedHost::on(const cmd::SD& c) {
    const Device* d = site_.findInstance(c.instance);
    return answer(d ? std::optional<std::string>(std::to_string(d->number)) : std::nullopt);
}

ProtocolHost::Answer SimulatedHost::on(const cmd::XI& c) {
    const PanelSlots::Slot* slot = std::as_const(panels_).slot(c.panel);
    std::string names;
    if (slot) {
        for (const Control& control : slot->controls)
            if (control.name.compare(0, c.pattern.size(), c.pattern) == 0)
                names += (names.empty() ? "" : ",") + control.name;
    }
    // Nothing matching is no reply, so a caller never acts on an empty name.
    return answer(names.empty() ? std::nullopt : std::optional<std::string>(names));
}

ProtocolHost::Answer SimulatedHost::on(const cmd::IP& c) {
    const Device* d = site_.find(c.device);
    if (!d || !d->hasSlots) {
        transcript_.note("IP: device " + std::to_string(c.device) + " is not an infodriver");
        return Answer::none();
    }
    // Only slots that exist are reported, however wide the range asked for.
    const int first = std::max(c.first, 1), last = std::min(c.last, infodriverSlots);
    for (int slot = first; slot <= last; ++slot)
        exchange_.reportTo(instance_, PendingReport{PendingReport::Kind::revertive, c.device, 0, slot,
                                                    *site_.slot(c.device, slot)});
    return Answer::none();
}

ProtocolHost::Answer SimulatedHost::on(const cmd::IR& c) {
    exchange_.registerSlots(instance_, c.device, c.first, c.last);
    return Answer::none();
}

ProtocolHost::Answer SimulatedHost::on(const cmd::IU& c) {
    exchange_.unregisterSlots(instance_, c.device);
    return Answer::none();
}

ProtocolHost::Answer SimulatedHost::on(const cmd::IW& c) {
    if (!site_.writeSlot(c.device, c.slot, c.value)) {
        transcript_.note("IW: device " + std::to_string(c.device) + " has no slot " + std::to_string(c.slot));
        return Answer::none();
    }
    exchange_.slotWritten(c.device, c.slot, c.value);
    return Answer::none();
}

ProtocolHost::Answer SimulatedHost::on(const cmd::RR& c) {
    exchange_.registerEntries(instance_, c.device, c.first, c.last);
    return Answer::none();
}

ProtocolHost::Answer SimulatedHost::on(const cmd::RM& c) {
    if (!site_.rename(c.device, c.database, c.index, c.text)) {
        const std::string refusal = "RM: device " + std::to_string(c.device) + " has no entry " +
                                    std::to_string(c.index) + " in database " + std::to_string(c.database);
        transcript_.note(refusal + "; the rename is not done");
        if (refusedRenames_++ == 0) firstRefusedRename_ = refusal;
        return Answer::none();
    }
    if (siteFile_ && siteFile_->keeps(c.device)) {
        // Written before the command returns: an accepted rename survives whatever happens next.
        std::string message;
        switch (siteFile_->save(site_, message)) {
            case SiteFile::Outcome::saved:
                exchange_.renameSaved();
                break;
            case SiteFile::Outcome::merged:
                transcript_.note(message);
                exchange_.renameSaved();
                break;
            case SiteFile::Outcome::keptBeside:
                // On disk, but not in the site file: the session must not end as a success.
                transcript_.note(message);
                exchange_.renameNotSaved(message);
                break;
            case SiteFile::Outcome::failed:
                transcript_.note("the rename could not be saved: " + message);
                exchange_.renameNotSaved(message);
                break;
        }
    }
    exchange_.entryRenamed(c.device, c.database, c.index, c.text);
    return Answer::none();
}

ProtocolHost::Answer SimulatedHost::on(const cmd::RN& c) {
    return answer(site_.entry(c.device, c.database, c.index));
}

ProtocolHost::Answer SimulatedHost::on(const cmd::ET& c) {
    if (!c.interval) {
        timers_.stop(c.timer);
        return Answer::none();
    }
    if (*c.interval <= 0) {
        sink().breach("ET with an interval of " + std::to_string(*c.interval) + "; a timer needs 1 or more");
        return Answer::none();
    }
    timers_.start(c.timer, *c.interval);
    return Answer::none();
}

ProtocolHost::Answer SimulatedHost::on(const cmd::AS&) { return Answer::none(); }  // the script's last text

}  // namespace vrelhost
