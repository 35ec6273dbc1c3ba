// Profile files: a good one gives a profile whose paths are resolved beside
// it; a bad one is refused with the file and the field named.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/temp_folder.h"
#include "profile_file.h"

namespace vrelhost {
namespace {

using nlohmann::json;

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(folder + "/panels");
        std::ofstream(folder + "/libscript.so") << "not loaded by these tests";
        std::ofstream(folder + "/tour.txt") << "show 1\npress 1 Next\n";
        std::ofstream(folder + "/site.json") << R"({"devices": [
            {"instance": "Router", "number": 1, "role": "router"},
            {"instance": "Names", "number": 2, "role": "names", "databases": {"1": [], "2": ["A"]}}]})";
        std::ofstream(folder + "/mixer_site.json") << R"({"devices": [
            {"instance": "Names", "number": 2, "role": "names"},
            {"instance": "Vision", "number": 3, "role": "mixer"}]})";
    }

    static json good() {
        return json{{"name", "test"},
                    {"library", "libscript.so"},
                    {"panels", "panels"},
                    {"site", "site.json"},
                    {"demo", "tour.txt"},
                    {"demoOpening", "Two steps."},
                    {"roles", {"names"}},
                    {"keptRole", "names"},
                    {"keptDatabases", {2, 1}},
                    {"configEntry", "panel.Names_Driver"},
                    {"keyboard", {{"panel", "2"}, {"control", "KB_1"}}},
                    {"displays",
                     {{"count", 16},
                      {"selector", {{"role", "infodriver"}}},
                      {"setSlot", 5},
                      {"brightnessSlot", 6},
                      {"brightnessNames", {"Dim", "Bright"}},
                      {"names", {{"instance", "Names"}, {"role", "names"}}},
                      {"sets", 1},
                      {"titleDatabase", 2},
                      {"fallback", {{"role", "router"}}},
                      {"fallbackDatabase", 0},
                      {"fallbackTitle", "Router"}}}};
    }
    std::string write(const std::string& text) {
        const std::string path = folder + "/profile.json";
        std::ofstream(path) << text;
        return path;
    }

    TempFolder temp{"vrel-profile-test"};
    std::string folder = temp.path();
};

TEST_F(ProfileFileTest, GoodProfileIsReadWithPathsBesideIt) {
    std::string error;
    std::unique_ptr<SiteProfile> profile = readProfileFile(write(good().dump()), false, error);
    ASSERT_TRUE(profile) << error;
    EXPECT_EQ(profile->name, "test");
    EXPECT_EQ(profile->libraryPath, folder + "/libscript.so");
    EXPECT_EQ(profile->panelFolder, folder + "/panels");
    EXPECT_EQ(profile->defaultSite()["devices"][1]["instance"], "Names");
    EXPECT_EQ(profile->demo(), "show 1\npress 1 Next\n");
    EXPECT_EQ(profile->tourOpening, "Two steps.");
    EXPECT_EQ(profile->keptRole, "names");
    EXPECT_EQ(profile->keptDatabases, (std::vector<int>{1, 2}));
    EXPECT_EQ(profile->configEntry, "panel.Names_Driver");
    EXPECT_EQ(profile->keyboardPanel + " " + profile->keyboardControl, "2 KB_1");
    const DisplayLayout& d = profile->displays;
    EXPECT_EQ(d.displays, 16);
    EXPECT_EQ(d.selector.role, "infodriver");
    EXPECT_EQ(d.names.instance + "/" + d.names.role, "Names/names");
    EXPECT_EQ(d.setSlot * 100 + d.brightnessSlot, 506);
    EXPECT_EQ(d.brightnessNames, (std::vector<std::string>{"Dim", "Bright"}));
    EXPECT_EQ(d.firstSetDatabase, 1);
    EXPECT_EQ(d.fallbackTitle, "Router");

    // The optional fields left out: no kept role, no demo, no keyboard. A bare
    // library name not beside the profile is looked for as the built-in ones.
    json plain = good();
    for (const char* field :
         {"demo", "demoOpening", "keptRole", "keptDatabases", "configEntry", "keyboard", "displays"})
        plain.erase(field);
    plain["library"] = "libelsewhere.so";
    profile = readProfileFile(write(plain.dump()), false, error);
    ASSERT_TRUE(profile) << error;
    EXPECT_EQ(profile->defaultLibrary, "libelsewhere.so");
    EXPECT_TRUE(profile->libraryPath.empty());
    EXPECT_TRUE(profile->keptRole.empty());
    EXPECT_FALSE(profile->demo);
    EXPECT_EQ(profile->displays.displays, 0) << "no displays";

    // A library path that is not there does not matter when --script names the library.
    plain["library"] = "build/libscript.so";
    EXPECT_TRUE(readProfileFile(write(plain.dump()), true, error)) << error;
}

TEST_F(ProfileFileTest, BadProfilesNameTheFileAndTheField) {
    struct Case {
        const char* what;
        std::string text;  // the whole file, or empty: good() merged with `patch`
        json patch;
        std::string expected;  // in the message, after "profile PATH: "
    };
    const Case cases[] = {
        {"not an object", "[1, 2]", {}, "expected a JSON object of fields"},
        {"name missing", "", {{"name", nullptr}}, "name: missing"},
        {"name not a text", "", {{"name", 5}}, "name: expected a text"},
        {"library not there",
         "",
         {{"library", "build/libscript.so"}},
         "library: \"build/libscript.so\" does not exist"},
        {"panels not there", "", {{"panels", "nowhere"}}, "panels: \"nowhere\" does not exist"},
        {"panels a file", "", {{"panels", "tour.txt"}}, "panels: " + folder + "/tour.txt is not a folder"},
        {"site not there", "", {{"site", "gone.json"}}, "site: \"gone.json\" does not exist"},
        {"site with an unknown role",
         "",
         {{"site", "mixer_site.json"}},
         "site: " + folder + "/mixer_site.json: devices[1].role: unknown role \"mixer\""},
        {"site without the kept device",
         "",
         {{"keptRole", "router"},
          {"configEntry", nullptr},
          {"site", "mixer_site.json"},
          {"roles", {"names", "mixer"}}},
         "exactly one device must have the role \"router\""},
        {"demo a folder", "", {{"demo", "panels"}}, "demo: " + folder + "/panels is a folder, not a file"},
        {"roles not a list", "", {{"roles", "names"}}, "roles: expected a list of texts"},
        {"kept role unknown", "", {{"keptRole", "tally"}}, "keptRole: \"tally\" is not one of the roles"},
        {"entry without kept role",
         "",
         {{"keptRole", nullptr}, {"keptDatabases", nullptr}},
         "configEntry: needs a keptRole"},
        {"entry not FILE.SECTION",
         "",
         {{"configEntry", "panel"}},
         "configEntry: \"panel\" is not FILE.SECTION"},
        {"kept databases without a kept role",
         "",
         {{"keptRole", nullptr}, {"configEntry", nullptr}},
         "keptDatabases: needs a keptRole"},
        {"kept databases not numbers", "", {{"keptDatabases", {"1"}}}, "keptDatabases: expected a list of database"},
        {"kept databases negative", "", {{"keptDatabases", {-1}}}, "keptDatabases: expected a list of database"},
        {"displays without a slot",
         "",
         {{"displays", {{"setSlot", nullptr}}}},
         "displays.setSlot: missing"},
        {"displays with a slot out of range",
         "",
         {{"displays", {{"brightnessSlot", 4097}}}},
         "displays.brightnessSlot: expected a number, 1 to 4096"},
        {"displays with four levels",
         "",
         {{"displays", {{"brightnessNames", {"1", "2", "3", "4"}}}}},
         "displays.brightnessNames: expected 1 to 3 texts"},
        {"displays naming no device",
         "",
         {{"displays", {{"names", {{"instance", nullptr}, {"role", nullptr}}}}}},
         "displays.names: expected {\"instance\": TEXT}"},
        {"displays with a misspelt field", "", {{"displays", {{"setslot", 5}}}}, "displays.setslot: unknown key"},
        {"keyboard half given",
         "",
         {{"keyboard", {{"panel", "2"}, {"control", nullptr}}}},
         "keyboard: expected {"},
    };
    for (const Case& c : cases) {
        json document = good();
        document.merge_patch(c.patch);
        const std::string path = write(c.text.empty() ? document.dump() : c.text);
        std::string error;
        EXPECT_FALSE(readProfileFile(path, false, error)) << c.what;
        EXPECT_EQ(error.rfind("profile " + path + ": ", 0), 0u) << c.what << ": " << error;
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.what << ": " << error;
    }
    std::string error;
    EXPECT_FALSE(readProfileFile(folder + "/missing.json", false, error));
    EXPECT_EQ(error, "profile " + folder + "/missing.json: cannot be read: No such file or directory");
    EXPECT_FALSE(readProfileFile(folder, false, error));
    EXPECT_EQ(error, "profile " + folder + ": cannot be read: it is a folder");
}

}  // namespace
}  // namespace vrelhost
