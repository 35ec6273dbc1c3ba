#include "display_layout_json.h"

#include "json_file.h"
#include "site.h"

namespace vrelhost {
namespace {

using nlohmann::json;

struct Fields {
    const json& object;
    std::string& problem;

    bool fail(const std::string& field, const std::string& what) {
        problem = "displays." + field + ": " + what;
        return false;
    }
    bool number(const char* field, int low, int high, int& out, bool required = true) {
        if (!object.contains(field)) return required ? fail(field, "missing") : true;
        const json& v = object[field];
        if (!v.is_number_integer() || v.get<long long>() < low || v.get<long long>() > high)
            return fail(field, "expected a number, " + std::to_string(low) + " to " + std::to_string(high));
        out = v.get<int>();
        return true;
    }
    bool device(const char* field, DeviceChoice& out, bool required = true) {
        if (!object.contains(field)) return required ? fail(field, "missing") : true;
        const json& v = object[field];
        std::string unknown;
        if (v.is_object() && !onlyKnownKeys(v, {"instance", "role"}, std::string("displays.") + field, unknown)) {
            problem = unknown;
            return false;
        }
        auto text = [&](const char* key) {
            return v.is_object() && v.contains(key) && v[key].is_string() ? v[key].get<std::string>() : std::string();
        };
        out = {text("instance"), text("role")};
        if (out.instance.empty() && out.role.empty())
            return fail(field, "expected {\"instance\": TEXT} or {\"role\": TEXT}, or both");
        return true;
    }
};

}  // namespace

bool displayLayoutFromJson(const json& value, DisplayLayout& layout, std::string& problem) {
    if (!value.is_object()) {
        problem = "displays: expected an object";
        return false;
    }
    std::string unknown;
    if (!onlyKnownKeys(value,
                       {"count", "selector", "setSlot", "brightnessSlot", "brightnessNames", "names", "sets",
                        "firstSetDatabase", "titleDatabase", "fallback", "fallbackDatabase", "fallbackTitle"},
                       "displays", unknown)) {
        problem = unknown;
        return false;
    }
    Fields f{value, problem};
    DisplayLayout d;
    if (!f.number("count", 1, 65536, d.displays) || !f.device("selector", d.selector) ||
        !f.number("setSlot", 1, infodriverSlots, d.setSlot) ||
        !f.number("brightnessSlot", 1, infodriverSlots, d.brightnessSlot) || !f.device("names", d.names) ||
        !f.number("sets", 1, 0x7fffffff, d.sets) ||
        !f.number("firstSetDatabase", 0, 0x7fffffff, d.firstSetDatabase, false) ||
        !f.number("titleDatabase", 0, 0x7fffffff, d.titleDatabase) || !f.device("fallback", d.fallback, false) ||
        !f.number("fallbackDatabase", 0, 0x7fffffff, d.fallbackDatabase, false))
        return false;
    if (static_cast<long long>(d.firstSetDatabase) + d.sets - 1 > 0x7fffffff)
        return f.fail("sets", "the last set's database is past the largest database number");
    const json names = value.contains("brightnessNames") ? value["brightnessNames"] : json();
    bool texts = names.is_array() && !names.empty() && names.size() <= 3;  // two bits of a UMD's brightness
    for (const json& n : names) texts = texts && n.is_string() && !n.get<std::string>().empty();
    if (!texts) return f.fail("brightnessNames", "expected 1 to 3 texts, the lowest level first");
    for (const json& n : names) d.brightnessNames.push_back(n.get<std::string>());
    if (value.contains("fallbackTitle")) {
        if (!value["fallbackTitle"].is_string()) return f.fail("fallbackTitle", "expected a text");
        d.fallbackTitle = value["fallbackTitle"].get<std::string>();
    }
    layout = std::move(d);
    return true;
}

}  // namespace vrelhost
