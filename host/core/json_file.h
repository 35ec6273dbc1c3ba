// The one JSON reader for the project's own files (site files, profile files),
// so every file is refused for the same things in the same words.
//
//  - A key given twice in one object is refused: a JSON reader would keep one
//    of the two without a word, dropping part of what the file says.
//  - A key the reader does not know is refused, not skipped: a misspelt
//    "databses" would otherwise be read as absent, and the file would mean
//    something else than its writer meant, far from the cause.
//
// Messages name what is wrong without the file; the caller puts the file's
// name in front. Pure functions; any thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace vrelhost {

// The document in `text`, or nothing with `problem` saying what is wrong:
// "parse error at line 2, column 5: ..." or
// "the key \"number\" appears twice in one object".
std::optional<nlohmann::json> parseJsonFile(const std::string& text, std::string& problem);

// What the JSON library's exception says, without the library's tag:
// "parse error at line 2, column 5: ...".
std::string jsonProblem(const nlohmann::json::exception& e);

// Whether every key of `object` is one of `known`; otherwise false with
// `problem` naming the first other key where it is ("devices[2].databses"; a
// top-level key when `where` is empty) and the keys known:
// "devices[2].databses: unknown key (known: instance, number, ...)".
bool onlyKnownKeys(const nlohmann::json& object, const std::vector<std::string>& known, const std::string& where,
                   std::string& problem);

}  // namespace vrelhost
