#include "profile_file.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "config_folder.h"
#include "display_layout_json.h"
#include "json_file.h"
#include "site_file.h"
#include "user_file.h"

namespace vrelhost {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::vector<std::string> knownFields = {
    "name",  "library",  "panels",          "site",        "demo",    "demoOpening",
    "roles", "keptRole", "keptRoleMeaning", "keptDatabases", "configEntry", "keyboard", "displays"};

// Reports the first problem; every message starts with the file.
class Reader {
public:
    Reader(const std::string& path, std::string& error)
        : path_(path), folder_(fs::absolute(path).parent_path().lexically_normal()), error_(error) {}

    bool fail(const std::string& field, const std::string& problem) {
        error_ = "profile " + path_ + ": " + (field.empty() ? "" : field + ": ") + problem;
        return false;
    }

    // A text field; `required` fails when it is missing.
    bool text(const json& document, const char* field, bool required, std::string& out) {
        if (!document.contains(field)) return required ? fail(field, "missing") : true;
        if (!document[field].is_string()) return fail(field, "expected a text");
        out = document[field].get<std::string>();
        if (required && out.empty()) return fail(field, "expected a text that is not empty");
        return true;
    }

    // A path relative to the profile's folder, as an absolute one.
    std::string resolve(const std::string& relative) const {
        return (folder_ / fs::path(relative)).lexically_normal().string();
    }

    // A text field naming something beside the profile that must exist.
    bool existing(const json& document, const char* field, bool folder, std::string& out) {
        std::string relative;
        if (!text(document, field, true, relative)) return false;
        out = resolve(relative);
        std::error_code ec;
        const fs::file_status status = fs::status(out, ec);
        if (!fs::exists(status))
            return fail(field, "\"" + relative + "\" does not exist (looked for " + out + ")");
        if (folder != fs::is_directory(status))
            return fail(field, out + " is " + (folder ? "not a folder" : "a folder, not a file"));
        return true;
    }

    const std::string& path() const { return path_; }

private:
    std::string path_;
    fs::path folder_;
    std::string& error_;
};

bool readLibrary(Reader& reader, const json& document, bool overridden, SiteProfile& profile) {
    std::string value;
    if (!reader.text(document, "library", true, value)) return false;
    const std::string beside = reader.resolve(value);
    std::error_code ec;
    if (fs::is_regular_file(beside, ec)) {
        profile.libraryPath = beside;
    } else if (value.find('/') == std::string::npos) {
        profile.defaultLibrary = value;  // looked for where the built-in libraries are
    } else if (overridden) {
        profile.libraryPath = beside;  // never loaded: --script names the library
    } else {
        return reader.fail("library", "\"" + value + "\" does not exist (looked for " + beside + ")");
    }
    return true;
}

bool readRoles(Reader& reader, const json& document, SiteProfile& profile) {
    if (document.contains("roles")) {
        const json& roles = document["roles"];
        if (!roles.is_array()) return reader.fail("roles", "expected a list of texts");
        for (const json& role : roles) {
            if (!role.is_string() || role.get<std::string>().empty())
                return reader.fail("roles", "expected a list of texts that are not empty");
            profile.roles.push_back(role.get<std::string>());
        }
    }
    if (!reader.text(document, "keptRole", false, profile.keptRole) ||
        !reader.text(document, "keptRoleMeaning", false, profile.keptRoleMeaning) ||
        !reader.text(document, "configEntry", false, profile.configEntry))
        return false;
    const std::vector<std::string> roles = knownRoles(profile);
    if (!profile.keptRole.empty() && std::find(roles.begin(), roles.end(), profile.keptRole) == roles.end())
        return reader.fail("keptRole", "\"" + profile.keptRole + "\" is not one of the roles");
    if (profile.keptRoleMeaning.empty() && !profile.keptRole.empty())
        profile.keptRoleMeaning = "the " + profile.keptRole + " device";
    if (document.contains("keptDatabases")) {
        const json& databases = document["keptDatabases"];
        if (profile.keptRole.empty()) return reader.fail("keptDatabases", "needs a keptRole, whose device holds them");
        if (!databases.is_array()) return reader.fail("keptDatabases", "expected a list of database numbers");
        for (const json& database : databases) {
            if (!database.is_number_integer() || database.get<long long>() < 0 ||
                database.get<long long>() > 0x7fffffff)
                return reader.fail("keptDatabases", "expected a list of database numbers, 0 or more");
            profile.keptDatabases.push_back(database.get<int>());
        }
        std::sort(profile.keptDatabases.begin(), profile.keptDatabases.end());
    }
    if (!profile.configEntry.empty() && profile.keptRole.empty())
        return reader.fail("configEntry", "needs a keptRole, whose device number it holds");
    if (!profile.configEntry.empty() && !isConfigEntry(profile.configEntry))
        return reader.fail("configEntry", "\"" + profile.configEntry + "\" is not FILE.SECTION");
    return true;
}

bool readKeyboard(Reader& reader, const json& document, SiteProfile& profile) {
    if (!document.contains("keyboard")) return true;
    const json& keyboard = document["keyboard"];
    std::string problem;
    if (keyboard.is_object() && !onlyKnownKeys(keyboard, {"panel", "control"}, "keyboard", problem))
        return reader.fail("", problem);
    const bool shaped = keyboard.is_object() && keyboard.size() == 2 && keyboard.contains("panel") &&
                        keyboard.contains("control") && keyboard["panel"].is_string() &&
                        keyboard["control"].is_string();
    if (!shaped) return reader.fail("keyboard", "expected { \"panel\": TEXT, \"control\": TEXT }");
    profile.keyboardPanel = keyboard["panel"].get<std::string>();
    profile.keyboardControl = keyboard["control"].get<std::string>();
    if (profile.keyboardPanel.empty() || profile.keyboardControl.empty())
        return reader.fail("keyboard", "panel and control must not be empty");
    return true;
}

bool readDisplays(Reader& reader, const json& document, SiteProfile& profile) {
    std::string problem;
    if (document.contains("displays") && !displayLayoutFromJson(document["displays"], profile.displays, problem))
        return reader.fail("", problem);
    return true;
}

bool readSite(Reader& reader, const json& document, SiteProfile& profile) {
    std::string path;
    if (!reader.existing(document, "site", false, path)) return false;
    Site site;
    std::string problem;
    std::optional<SiteFile> file = SiteFile::open(path, site, problem);
    if (!file) return reader.fail("site", problem);
    if (!siteSuitsProfile(site, profile, problem)) return reader.fail("site", path + ": " + problem);
    profile.defaultSite = [document = file->document()] { return document; };
    profile.siteFile = path;
    return true;
}

bool readDemo(Reader& reader, const json& document, SiteProfile& profile) {
    if (!reader.text(document, "demoOpening", false, profile.tourOpening)) return false;
    if (!document.contains("demo")) return true;
    std::string path, lines, problem;
    if (!reader.existing(document, "demo", false, path)) return false;
    if (!readUserFile(path, lines, problem)) return reader.fail("demo", "cannot read " + path + ": " + problem);
    profile.demo = [lines] { return lines; };
    profile.demoFile = path;
    return true;
}

}  // namespace

std::unique_ptr<SiteProfile> readProfileFile(const std::string& path, bool libraryOverridden,
                                             std::string& error) {
    Reader reader(path, error);
    std::string text, problem;
    if (!readUserFile(path, text, problem)) {
        reader.fail("", "cannot be read: " + problem);
        return nullptr;
    }
    std::optional<json> parsed = parseJsonFile(text, problem);
    if (!parsed) {
        reader.fail("", problem);
        return nullptr;
    }
    json document = std::move(*parsed);
    if (!document.is_object()) {
        reader.fail("", "expected a JSON object of fields");
        return nullptr;
    }
    if (!onlyKnownKeys(document, knownFields, "", problem)) {
        reader.fail("", problem);
        return nullptr;
    }
    auto profile = std::make_unique<SiteProfile>();
    const bool read = reader.text(document, "name", true, profile->name) &&
                      readLibrary(reader, document, libraryOverridden, *profile) &&
                      reader.existing(document, "panels", true, profile->panelFolder) &&
                      readRoles(reader, document, *profile) && readKeyboard(reader, document, *profile) &&
                      readDisplays(reader, document, *profile) &&
                      readSite(reader, document, *profile) && readDemo(reader, document, *profile);
    if (!read) return nullptr;
    return profile;
}

}  // namespace vrelhost
