#include "view_model.h"

#include <cctype>

#include "displays_view.h"
#include "transcript_format.h"

namespace vrelhost {
namespace {

int layoutNumber(const Control& c, const char* key, int fallback) {
    auto it = c.layout.find(key);
    return it == c.layout.end() ? fallback : std::stoi(it->second);  // digits only, checked when read
}

// The number a control's name ends in ("NameSet_3" gives 3).
std::optional<int> trailingNumber(const std::string& name) {
    std::size_t start = name.size();
    while (start > 0 && std::isdigit(static_cast<unsigned char>(name[start - 1]))) --start;
    if (start == name.size() || name.size() - start > 6) return std::nullopt;
    return std::stoi(name.substr(start));
}

const Device* deviceWithRole(const std::vector<Device>& devices, const std::string& role) {
    for (const Device& d : devices)
        if (d.role == role) return &d;
    return nullptr;
}

}  // namespace

std::optional<int> boundDatabase(const Control& list, const std::vector<Control>& panel) {
    auto binding = list.layout.find("database");
    if (binding == list.layout.end()) return std::nullopt;
    const std::string& text = binding->second;
    const std::size_t at = text.find('@');
    if (at == std::string::npos) {
        const bool digits = !text.empty() && text.size() <= 6 && text.find_first_not_of("0123456789") == std::string::npos;
        return digits ? std::optional<int>(std::stoi(text)) : std::nullopt;
    }
    const std::string prefix = text.substr(0, at), look = text.substr(at + 1);
    for (const Control& c : panel)
        if (c.name.compare(0, prefix.size(), prefix) == 0 && c.property("statesheet") == look)
            return trailingNumber(c.name);
    return std::nullopt;
}

nlohmann::json controlJson(const Control& c, const PanelSlots::Slot& slot, const std::vector<Device>& devices) {
    nlohmann::json out = {
        {"name", c.name},
        {"type", c.property("type")},
        {"text", c.property("text")},
        {"look", c.property("statesheet")},
        {"enabled", c.enabled()},
        {"visible", c.visible()},
        {"placed", c.layout.count("x") && c.layout.count("y")},
        {"x", layoutNumber(c, "x", 0)},
        {"y", layoutNumber(c, "y", 0)},
        {"w", layoutNumber(c, "w", 100)},
        {"h", layoutNumber(c, "h", 30)},
    };
    const std::string type = c.property("type");
    if (type == "group") out["pages"] = layoutNumber(c, "pages", 1);
    if (type == "list") {
        out["page"] = c.property("page");
        out["index"] = c.property("index");
        out["lines"] = layoutNumber(c, "lines", databaseEntries);
        nlohmann::json rows = nlohmann::json::array();
        auto source = c.layout.find("source");
        const Device* device = source == c.layout.end() ? nullptr : deviceWithRole(devices, source->second);
        const std::optional<int> database = boundDatabase(c, slot.controls);
        if (device && database) {
            auto names = device->databases.find(*database);
            if (names != device->databases.end()) rows = names->second;
        }
        out["database"] = database ? nlohmann::json(*database) : nlohmann::json();
        out["rows"] = std::move(rows);
    }
    return out;
}

nlohmann::json panelsJson(const std::map<std::string, PanelSlots::Slot>& all, const std::vector<Device>& devices) {
    nlohmann::json panels = nlohmann::json::array();
    for (const auto& [id, slot] : all) {
        const std::size_t slash = slot.path.rfind('/');
        auto size = [&](const char* key, int fallback) {
            auto it = slot.layout.find(key);
            return it == slot.layout.end() ? fallback : std::stoi(it->second);
        };
        nlohmann::json controls = nlohmann::json::array();
        for (const Control& c : slot.controls) controls.push_back(controlJson(c, slot, devices));
        panels.push_back({{"id", id},
                          {"file", slash == std::string::npos ? slot.path : slot.path.substr(slash + 1)},
                          {"onScreen", slot.onScreen},
                          {"w", size("w", 800)},
                          {"h", size("h", 480)},
                          {"controls", std::move(controls)}});
    }
    return panels;
}

nlohmann::json stateDocument(const ViewSource& source, const nlohmann::json& clock) {
    nlohmann::json positions = nlohmann::json::array();
    for (int k = 1; k <= source.positions(); ++k)
        positions.push_back({{"position", k},
                             {"alive", source.alive(k)},
                             {"panels", panelsJson(source.panels(k), source.devices())}});
    const std::string site = source.siteFile();
    return {{"positions", std::move(positions)},
            {"alive", source.anyAlive()},
            {"clock", clock},
            {"siteFile", site.empty() ? nlohmann::json() : nlohmann::json(site)},
            {"keyboard", {{"panel", source.keyboardPanel()}, {"control", source.keyboardControl()}}},
            {"site", siteJson(source.devices())},
            {"displays", displaysJson(source.displays(), source.brightnessLevels())}};
}

nlohmann::json logEntry(const std::string& line) {
    const TranscriptLine split = splitInstance(line);
    return {{"position", split.instance}, {"kind", lineKindName(lineKind(split.body))}, {"text", line}};
}

nlohmann::json siteJson(const std::vector<Device>& all) {
    nlohmann::json devices = nlohmann::json::array();
    for (const Device& d : all) {
        nlohmann::json databases = nlohmann::json::object();
        for (const auto& [number, names] : d.databases) databases[std::to_string(number)] = names;
        nlohmann::json slots = nlohmann::json::object();
        for (const auto& [slot, text] : d.slots) slots[std::to_string(slot)] = text;
        devices.push_back({{"number", d.number},
                           {"instance", d.instance},
                           {"role", d.role},
                           {"databases", std::move(databases)},
                           {"infodriver", d.hasSlots},
                           {"slots", std::move(slots)}});
    }
    return {{"devices", std::move(devices)}};
}

std::string toText(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace vrelhost
