#include "json_file.h"

#include <algorithm>
#include <set>

namespace vrelhost {
namespace {

using nlohmann::json;

struct RepeatedKey {
    std::string key;
};

}  // namespace

// "[json.exception.parse_error.101] parse error at line 2, ..." -> "parse error at line 2, ..."
std::string jsonProblem(const json::exception& e) {
    const std::string what = e.what();
    const std::size_t close = what.find("] ");
    return (what.rfind("[json.exception", 0) == 0 && close != std::string::npos) ? what.substr(close + 2) : what;
}

std::optional<json> parseJsonFile(const std::string& text, std::string& problem) {
    // The keys of every object still open, innermost last.
    std::vector<std::set<std::string>> open;
    try {
        return json::parse(text, [&open](int, json::parse_event_t event, json& parsed) {
            if (event == json::parse_event_t::object_start) open.emplace_back();
            else if (event == json::parse_event_t::object_end && !open.empty()) open.pop_back();
            else if (event == json::parse_event_t::key && !open.empty() &&
                     !open.back().insert(parsed.get<std::string>()).second)
                throw RepeatedKey{parsed.get<std::string>()};
            return true;
        });
    } catch (const json::exception& e) {
        problem = jsonProblem(e);
    } catch (const RepeatedKey& e) {
        problem = "the key \"" + e.key + "\" appears twice in one object";
    }
    return std::nullopt;
}

bool onlyKnownKeys(const json& object, const std::vector<std::string>& known, const std::string& where,
                   std::string& problem) {
    for (const auto& item : object.items()) {
        if (std::find(known.begin(), known.end(), item.key()) != known.end()) continue;
        std::string list;
        for (const std::string& k : known) list += (list.empty() ? "" : ", ") + k;
        problem = where + (where.empty() ? "" : ".") + item.key() + ": unknown key (known: " + list + ")";
        return false;
    }
    return true;
}

}  // namespace vrelhost
