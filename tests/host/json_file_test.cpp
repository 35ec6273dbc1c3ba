// The one JSON reader of the project's files: a key given twice and an
// unknown key are refused in every file kind, in the same words; keys that
// only look alike (the same name in two objects, or at two depths) are not.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "json_file.h"
#include "profile_file.h"
#include "site_file.h"
#include "tests/support/temp_folder.h"

namespace vrelhost {
namespace {

using nlohmann::json;

TEST(JsonFile, RefusesAKeyGivenTwiceInOneObjectAtAnyDepth) {
    const std::pair<const char*, const char*> cases[] = {
        {R"({"a": 1, "a": 1})", "a"},                         // even with the same value
        {R"({"a": {"b": 1, "c": 2, "b": 3}})", "b"},          // inside a nested object
        {R"({"list": [{"x": 1}, {"x": 1, "x": 2}]})", "x"},  // an object inside a list
        {R"({"a": {"b": 1}, "c": 2, "a": 3})", "a"},          // after a nested object closed
    };
    for (const auto& [text, key] : cases) {
        std::string problem;
        EXPECT_FALSE(parseJsonFile(text, problem)) << text;
        EXPECT_EQ(problem, std::string("the key \"") + key + "\" appears twice in one object") << text;
    }
}

TEST(JsonFile, KeysThatOnlyLookAlikeAreRead) {
    std::string problem;
    const std::optional<json> siblings = parseJsonFile(R"({"a": {"x": 1}, "b": {"x": 2}})", problem);
    ASSERT_TRUE(siblings) << problem;
    EXPECT_EQ((*siblings)["b"]["x"], 2);
    const std::optional<json> depths = parseJsonFile(R"({"x": {"x": {"x": 3}}, "y": [{"x": 4}, {"x": 5}]})", problem);
    ASSERT_TRUE(depths) << problem;
    EXPECT_EQ((*depths)["x"]["x"]["x"], 3);
    EXPECT_EQ((*depths)["y"][1]["x"], 5);
}

TEST(JsonFile, BadJsonIsSaidWithoutTheLibrarysTag) {
    std::string problem;
    EXPECT_FALSE(parseJsonFile("{\"a\": ", problem));
    EXPECT_EQ(problem.rfind("parse error at line 1", 0), 0u) << problem;
    EXPECT_EQ(problem.find("json.exception"), std::string::npos) << problem;
}

TEST(JsonFile, AnUnknownKeyIsNamedWhereItIsWithTheKeysKnown) {
    std::string problem;
    EXPECT_TRUE(onlyKnownKeys(json{{"a", 1}, {"b", 2}}, {"a", "b", "c"}, "top", problem));
    EXPECT_FALSE(onlyKnownKeys(json{{"a", 1}, {"bee", 2}}, {"a", "b"}, "", problem));
    EXPECT_EQ(problem, "bee: unknown key (known: a, b)");
    EXPECT_FALSE(onlyKnownKeys(json{{"colour", 1}}, {"panel", "control"}, "keyboard", problem));
    EXPECT_EQ(problem, "keyboard.colour: unknown key (known: panel, control)");
}

// Site and profile files, read by their own readers, are refused for the same
// faults in the same words after their file's name.
class ProjectFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(folder + "/panels");
        std::ofstream(folder + "/libscript.so") << "never loaded";
        std::ofstream(folder + "/site.json") << R"({"devices": [{"instance": "R", "number": 1, "role": "router"}]})";
    }
    std::string write(const std::string& name, const std::string& text) {
        const std::string path = folder + "/" + name;
        std::ofstream(path) << text;
        return path;
    }
    std::string siteProblem(const std::string& text) {
        const std::string path = write("other_site.json", text);
        Site site;
        std::string error;
        EXPECT_FALSE(SiteFile::open(path, site, error)) << text;
        const std::string prefix = "site file " + path + ": ";
        EXPECT_EQ(error.rfind(prefix, 0), 0u) << error;
        return error.substr(std::min(prefix.size(), error.size()));
    }
    std::string profileProblem(const std::string& text) {
        const std::string path = write("profile.json", text);
        std::string error;
        EXPECT_FALSE(readProfileFile(path, false, error)) << text;
        const std::string prefix = "profile " + path + ": ";
        EXPECT_EQ(error.rfind(prefix, 0), 0u) << error;
        return error.substr(std::min(prefix.size(), error.size()));
    }
    static std::string profile(const std::string& extra) {
        return R"({"name": "p", "library": "libscript.so", "panels": "panels", "site": "site.json")" + extra + "}";
    }

    TempFolder temp{"vrel-json-file-test"};
    std::string folder = temp.path();
};

TEST_F(ProjectFiles, AKeyGivenTwiceIsRefusedInBothInTheSameWords) {
    // A profile read with its first "panels" only would load other panels than its writer last wrote.
    EXPECT_EQ(profileProblem(profile(R"(, "panels": "elsewhere")")),
              "the key \"panels\" appears twice in one object");
    EXPECT_EQ(siteProblem(R"({"devices": [{"instance": "R", "number": 1, "number": 2}]})"),
              "the key \"number\" appears twice in one object");
}

TEST_F(ProjectFiles, AnUnknownKeyIsRefusedInBothInTheSameWords) {
    EXPECT_EQ(profileProblem(profile(R"(, "colour": "red")")).rfind("colour: unknown key (known: name, library", 0), 0u);
    EXPECT_EQ(siteProblem(R"({"devices": [], "colour": "red"})"), "colour: unknown key (known: devices)");
}

TEST_F(ProjectFiles, BadJsonIsSaidAlikeInBoth) {
    EXPECT_EQ(siteProblem("{\"devices\": "), profileProblem("{\"devices\": "));
}

}  // namespace
}  // namespace vrelhost
