#include "site_file.h"

#include <sys/stat.h>

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
    SiteFile file(path, std::move(document), text);
    if (!lookAtDisk(path, file.disk_, problem) || file.disk_.text != text) {
        error = "site file " + path + ": changed while it was read; start again";
        return std::nullopt;
    }
    return file;
}

void SiteFile::keep(const Site& site, const std::string& role) {
    kept_.clear();
    saved_.clear();
    if (role.empty()) return;  // no kept role: devices without a role are not kept either
    for (const Device& d : site.devices) {
        if (d.role != role) continue;
        kept_.insert(d.number);
        saved_[d.number] = d.databases;
    }
}

namespace {

// Entry `index` of `database` in a document's device `number`: nothing when
// the document has no such device or a text cannot be read.
std::optional<std::string> entryOf(const json& document, int number, int database, std::size_t index) {
    if (!document.is_object() || !document.contains("devices") || !document["devices"].is_array())
        return std::nullopt;
    for (const json& item : document["devices"]) {
        if (!item.is_object() || !item.contains("number") || item["number"] != number) continue;
        if (!item.contains("databases") || !item["databases"].is_object()) return std::string();
        const json& databases = item["databases"];
        const std::string key = std::to_string(database);
        if (!databases.contains(key) || !databases[key].is_array()) return std::string();
        const json& list = databases[key];
        std::string text;
        if (index >= list.size()) return std::string();
        if (!textFromJson(list[index], text)) return std::nullopt;
        return text;
    }
    return std::nullopt;
}

// Sets one entry of device `number` in `document`, padding the list with empty names.
bool setEntry(json& document, int number, int database, std::size_t index, const std::string& text) {
    if (!document.contains("devices") || !document["devices"].is_array()) return false;
    for (json& item : document["devices"]) {
        if (!item.is_object() || !item.contains("number") || item["number"] != number) continue;
        json& list = item["databases"][std::to_string(database)];
        if (!list.is_array()) list = json::array();
        while (list.size() <= index) list.push_back("");
        list[index] = textToJson(text);
        // Trailing empty entries need no line.
        while (!list.empty() && list.back() == "") list.erase(list.size() - 1);
        return true;
    }
    return false;
}

long long nanoseconds(const struct timespec& t) {
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

}  // namespace

bool lookAtDisk(const std::string& path, SiteFile::OnDisk& disk, std::string& problem) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        problem = "it is gone";
        return false;
    }
    disk.device = info.st_dev;
    disk.inode = info.st_ino;
    disk.size = info.st_size;
    disk.modified = nanoseconds(info.st_mtim);
    disk.links = info.st_nlink;
    return readUserFile(path, disk.text, problem);
}

// The entries of the kept devices that differ from what the file last took.
std::vector<SiteFile::Rename> SiteFile::renamesSinceSave(const Site& site) const {
    std::vector<Rename> renames;
    for (const int number : kept_) {
        const Device* device = site.find(number);
        const auto saved = saved_.find(number);
        if (!device || saved == saved_.end()) continue;
        for (const auto& [database, entries] : device->databases) {
            const auto old = saved->second.find(database);
            for (std::size_t i = 0; i < entries.size(); ++i) {
                const std::string before =
                    old != saved->second.end() && i < old->second.size() ? old->second[i] : std::string();
                if (entries[i] != before) renames.push_back(Rename{number, database, i, before, entries[i]});
            }
        }
    }
    return renames;
}

// This session's renames onto `document`, the file as it is now; false, with
// `conflict` saying where, when an entry was changed there too.
bool SiteFile::merge(json& document, const std::vector<Rename>& renames, std::string& conflict) const {
    for (const Rename& r : renames) {
        const std::optional<std::string> theirs = entryOf(document, r.device, r.database, r.index);
        if (!theirs) {
            conflict = "device " + std::to_string(r.device) + " is not in it any more";
            return false;
        }
        if (*theirs != r.before && *theirs != r.after) {
            conflict = "entry " + std::to_string(r.index + 1) + " of database " + std::to_string(r.database) +
                       " of device " + std::to_string(r.device) + " was changed there too";
            return false;
        }
        setEntry(document, r.device, r.database, r.index, r.after);
    }
    return true;
}

SiteFile::Outcome SiteFile::save(const Site& site, std::string& message) {
    OnDisk now;
    std::string problem, conflict;
    const bool readable = lookAtDisk(path_, now, problem);
    // The same file, size, time and bytes: untouched. Touched without a
    // change of its bytes (a copy of it put back) is no change either.
    const bool untouched = readable && now == disk_;
    const bool changedOutside = !untouched && (!readable || now.text != disk_.text);
    json target = document_;
    if (!readable) {
        conflict = "it cannot be read: " + problem;
    } else if (now.links > 1) {
        conflict = "it was given a second name since: " + hardLinksMessage(now.links);
    } else if (changedOutside) {
        std::optional<json> parsed = parseJsonFile(now.text, problem);
        if (parsed && siteFromJson(*parsed, problem))
            target = std::move(*parsed);
        else
            conflict = "it is no longer a site file: " + problem;
    }
    const std::vector<Rename> renames = renamesSinceSave(site);
    if (conflict.empty() && !merge(target, renames, conflict)) target = document_;
    if (!conflict.empty()) {
        // The site as this session has it: the file as last read or written, and every rename since.
        json ours = document_;
        std::string unused;
        merge(ours, renames, unused);
        return keepBeside(ours, conflict, message);
    }
    const Outcome written = write(target, site, message);
    if (written == Outcome::saved && changedOutside) {
        message =
            "site file " + path_ +
            " was changed by another program since this session read it; its changes and this session's "
            "renames are merged into it";
        return Outcome::merged;
    }
    return written;
}

SiteFile::Outcome SiteFile::write(const json& document, const Site& site, std::string& message) {
    std::string text;
    try {
        text = document.dump(2) + "\n";
    } catch (const json::exception& e) {
        message = "site file " + path_ + ": cannot be written as JSON: " + jsonProblem(e);
        return Outcome::failed;
    }
    std::string problem;
    if (!replaceUserFile(path_, text, Existing::replace, problem)) {
        message = "site file " + path_ + ": " + problem;
        return Outcome::failed;
    }
    document_ = document;
    for (const int number : kept_)
        if (const Device* device = site.find(number)) saved_[number] = device->databases;
    // What is there now is what this save wrote; a change after it is another program's.
    if (!lookAtDisk(path_, disk_, problem)) disk_ = OnDisk{};
    return Outcome::saved;
}

SiteFile::Outcome SiteFile::keepBeside(const json& document, const std::string& why, std::string& message) {
    const std::string start = "site file " + path_ +
                              " was changed by another program since this session read it (" + why +
                              "), so it is left as it is";
    if (beside_.empty()) {
        const std::size_t dot = path_.rfind('.');
        const bool extension = dot != std::string::npos && path_.find('/', dot) == std::string::npos;
        const std::string stem = extension ? path_.substr(0, dot) : path_;
        beside_ = stem + "-unsaved" + (extension ? path_.substr(dot) : std::string());
        if (userFileExists(beside_)) beside_ = freeNameBeside(beside_);
    }
    std::string text, problem;
    try {
        text = document.dump(2) + "\n";
    } catch (const json::exception& e) {
        message = start + "; this session's renames cannot be written as JSON: " + jsonProblem(e);
        return Outcome::failed;
    }
    if (!replaceUserFile(beside_, text, Existing::replace, problem)) {
        message = start + "; this session's renames cannot be written to " + beside_ + ": " + problem;
        return Outcome::failed;
    }
    message = start + "; the site with this session's renames is in " + beside_;
    return Outcome::keptBeside;
}

}  // namespace vrelhost
