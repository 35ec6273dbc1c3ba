#include "site_file.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "json_file.h"
#include "user_file.h"

namespace vrelhost {
namespace {

using nlohmann::json;

// Whether `text` is well-formed UTF-8: no stray continuation byte, no
// overlong form, no surrogate, nothing past U+10FFFF.
bool validUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        unsigned long low = 0, code = 0;
        if (c < 0x80) length = 1, low = 0;
        else if (c >= 0xc2 && c <= 0xdf) length = 2, low = 0x80, code = c & 0x1f;
        else if (c >= 0xe0 && c <= 0xef) length = 3, low = 0x800, code = c & 0x0f;
        else if (c >= 0xf0 && c <= 0xf4) length = 4, low = 0x10000, code = c & 0x07;
        else return false;
        if (length == 1) {
            ++i;
            continue;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xc0) != 0x80) return false;
            code = (code << 6) | (next & 0x3f);
        }
        if (code < low || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return false;
        i += length;
    }
    return true;
}

// A text as JSON: the text itself when it is UTF-8, else {"bytes": "hex"}
// (the host's texts are bytes, often in a Windows code page).
json textToJson(const std::string& text) {
    if (validUtf8(text)) return text;
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : text) {
        hex += digits[c >> 4];
        hex += digits[c & 0x0f];
    }
    return json{{"bytes", hex}};
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool textFromJson(const json& value, std::string& out) {
    if (value.is_string()) {
        out = value.get<std::string>();
        return true;
    }
    if (!value.is_object() || value.size() != 1 || !value.contains("bytes") || !value["bytes"].is_string())
        return false;
    const std::string& hex = value["bytes"].get_ref<const std::string&>();
    if (hex.size() % 2 != 0) return false;
    out.clear();
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexValue(hex[i]), low = hexValue(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
    }
    return true;
}

bool keyNumber(const std::string& key, int& out) {
    auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), out);
    return !key.empty() && ec == std::errc() && end == key.data() + key.size();
}

bool readDatabases(const json& databases, const std::string& where, Device& device, std::string& error) {
    if (!databases.is_object()) {
        error = where + ": expected an object of databases";
        return false;
    }
    for (const auto& [key, entries] : databases.items()) {
        const std::string at = where + "." + key;
        int number = 0;
        if (!keyNumber(key, number) || number < 0) {
            error = at + ": a database is named by its number, 0 or more";
            return false;
        }
        if (!entries.is_array() || entries.size() > static_cast<std::size_t>(databaseEntries)) {
            error = at + ": expected a list of at most 128 names";
            return false;
        }
        std::vector<std::string> names(databaseEntries);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (!textFromJson(entries[i], names[i])) {
                error = at + "[" + std::to_string(i) + "]: expected a text, or {\"bytes\": \"hex digits\"}";
                return false;
            }
        }
        device.databases[number] = std::move(names);
    }
    return true;
}

bool readSlots(const json& slots, const std::string& where, Device& device, std::string& error) {
    if (!slots.is_object()) {
        error = where + ": expected an object of slots";
        return false;
    }
    for (const auto& [key, value] : slots.items()) {
        int slot = 0;
        if (!keyNumber(key, slot) || slot < 1 || slot > infodriverSlots) {
            error = where + "." + key + ": a slot is numbered 1 to 4096";
            return false;
        }
        if (!textFromJson(value, device.slots[slot])) {
            error = where + "." + key + ": expected a text, or {\"bytes\": \"hex digits\"}";
            return false;
        }
    }
    return true;
}

bool readDevice(const json& item, const std::string& where, Device& device, std::string& error) {
    if (!item.is_object()) {
        error = where + ": expected an object";
        return false;
    }
    if (!onlyKnownKeys(item, {"instance", "number", "role", "databases", "slots"}, where, error)) return false;
    if (!item.contains("instance") || !item["instance"].is_string() || item["instance"].get<std::string>().empty()) {
        error = where + ".instance: expected a non-empty text";
        return false;
    }
    if (!item.contains("number") || !item["number"].is_number_integer() || item["number"].get<long long>() < 1 ||
        item["number"].get<long long>() > 0x7fffffff) {
        error = where + ".number: expected a device number, 1 or more";
        return false;
    }
    device.instance = item["instance"].get<std::string>();
    device.number = item["number"].get<int>();
    if (item.contains("role")) {
        if (!item["role"].is_string()) {
            error = where + ".role: expected a text";
            return false;
        }
        device.role = item["role"].get<std::string>();
    }
    device.hasSlots = device.role == infodriverRole || item.contains("slots");
    if (item.contains("databases") && !readDatabases(item["databases"], where + ".databases", device, error))
        return false;
    if (item.contains("slots") && !readSlots(item["slots"], where + ".slots", device, error)) return false;
    return true;
}

}  // namespace

std::optional<Site> siteFromJson(const json& document, std::string& error) {
    if (!document.is_object() || !document.contains("devices") || !document["devices"].is_array()) {
        error = "expected an object with a list \"devices\"";
        return std::nullopt;
    }
    if (!onlyKnownKeys(document, {"devices"}, "", error)) return std::nullopt;
    Site site;
    std::set<int> numbers;
    std::set<std::string> instances;
    const json& devices = document["devices"];
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const std::string where = "devices[" + std::to_string(i) + "]";
        Device device;
        if (!readDevice(devices[i], where, device, error)) return std::nullopt;
        if (!numbers.insert(device.number).second) {
            error = where + ".number: device " + std::to_string(device.number) + " is listed twice";
            return std::nullopt;
        }
        if (!instances.insert(device.instance).second) {
            error = where + ".instance: \"" + device.instance + "\" is listed twice";
            return std::nullopt;
        }
        site.devices.push_back(std::move(device));
    }
    return site;
}

std::optional<SiteFile> SiteFile::open(const std::string& path, Site& site, std::string& error) {
    std::string text, problem;
    if (!readUserFile(path, text, problem)) {
        error = "site file " + path + ": cannot be read: " + problem;
        return std::nullopt;
    }
    std::optional<json> parsed = parseJsonFile(text, problem);
    if (!parsed) {
        error = "site file " + path + ": " + problem;
        return std::nullopt;
    }
    json document = std::move(*parsed);
    std::optional<Site> read = siteFromJson(document, problem);
    if (!read) {
        error = "site file " + path + ": " + problem;
        return std::nullopt;
    }
    site = std::move(*read);
    return SiteFile(path, std::move(document), std::move(text));
}

void SiteFile::keep(const Site& site, const std::string& role) {
    kept_.clear();
    if (role.empty()) return;  // no kept role: devices without a role are not kept either
    for (const Device& d : site.devices)
        if (d.role == role) kept_.insert(d.number);
}

bool SiteFile::save(const Site& site, std::string& error) {
    for (json& item : document_["devices"]) {
        const Device* device = item.contains("number") && item["number"].is_number_integer()
                                   ? site.find(item["number"].get<int>())
                                   : nullptr;
        if (!device || !keeps(device->number)) continue;
        json databases = json::object();
        for (const auto& [number, entries] : device->databases) {
            std::size_t used = entries.size();
            while (used > 0 && entries[used - 1].empty()) --used;  // trailing empty entries need no line
            json list = json::array();
            for (std::size_t i = 0; i < used; ++i) list.push_back(textToJson(entries[i]));
            databases[std::to_string(number)] = std::move(list);
        }
        item["databases"] = std::move(databases);
    }
    std::string text;
    try {
        text = document_.dump(2) + "\n";
    } catch (const json::exception& e) {
        error = "site file " + path_ + ": cannot be written as JSON: " + jsonProblem(e);
        return false;
    }
    std::string problem;
    if (replaceUserFile(path_, text, Existing::replace, problem)) return true;
    error = "site file " + path_ + ": " + problem;
    return false;
}

}  // namespace vrelhost
