// Site files: a rename through the host lands in the file at once and survives
// the process being killed right after; what is not the name driver's stays
// as it was; bad files are refused with the problem named. Panel files too.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "default_site.h"
#include "panel_definition.h"
#include "simulated_host.h"
#include "site_file.h"
#include "site_profile.h"
#include "tests/host/temp_site.h"

namespace vrelhost {
namespace {

class SiteFileTest : public ::testing::Test {
protected:
    // Renames through the host's command, as the script sends it.
    static void rename(Site& site, SiteFile& file, const std::string& command, const std::string& kept = "names") {
        std::ostringstream out;
        Transcript transcript(out, Transcript::Form::exact);
        ProtocolLog log(transcript);
        SimulatedHost host(site, transcript, log);
        file.keep(site, kept);
        host.keepSiteIn(&file);
        host.notify(const_cast<char*>(command.c_str()), vrel_kind::command);
    }

    TempSite files{"vrel-site-test"};
    const std::string &folder = files.folder, &path = files.path;
};

TEST_F(SiteFileTest, RenameIsWrittenBackAndReadAgain) {
    Site site;
    std::string error;
    std::optional<SiteFile> file = SiteFile::open(path, site, error);
    ASSERT_TRUE(file) << error;
    rename(site, *file, "RM 60 3 17 'Cam 'seventeen'' 0");
    rename(site, *file, "RM 60 9 8 'Late Show' 0");
    rename(site, *file, "RM 10 0 1 'Router only' 0");  // not the name driver: not saved

    Site again;
    ASSERT_TRUE(SiteFile::open(path, again, error)) << error;
    EXPECT_EQ(*again.entry(60, 3, 17), "Cam 'seventeen'");
    EXPECT_EQ(*again.entry(60, 9, 8), "Late Show");
    EXPECT_EQ(*again.entry(60, 9, 9), "");
    EXPECT_EQ(*again.entry(60, 3, 128), *site.entry(60, 3, 128));
    EXPECT_EQ(*again.entry(10, 0, 1), "Camera 1");
    EXPECT_EQ(*again.slot(57, 212), "1");
}

// Another program changed the site while the session held it (sed -i, a
// backup copied back): its change and the session's renames both end on disk.
TEST_F(SiteFileTest, AChangeByAnotherProgramIsMergedOrKeptBesideButNeverOverwritten) {
    Site site;
    std::string error, message;
    std::optional<SiteFile> file = SiteFile::open(path, site, error);
    ASSERT_TRUE(file) << error;
    file->keep(site, "names");
    const auto outside = [this](int entry, const std::string& name, bool newFile) {
        nlohmann::json document = nlohmann::json::parse(contents(path));
        document["devices"][2]["databases"]["3"][entry - 1] = name;
        const std::string target = newFile ? path + ".sed" : path;
        std::ofstream(target) << document.dump(1);
        if (newFile) {
            ASSERT_EQ(::rename(target.c_str(), path.c_str()), 0);
        }
    };
    outside(18, "Outside", true);
    ASSERT_TRUE(site.rename(60, 3, 17, "Mine"));
    EXPECT_EQ(file->save(site, message), SiteFile::Outcome::merged) << message;
    EXPECT_NE(message.find("changed by another program"), std::string::npos) << message;
    Site again;
    ASSERT_TRUE(SiteFile::open(path, again, error)) << error;
    EXPECT_EQ(*again.entry(60, 3, 17), "Mine");
    EXPECT_EQ(*again.entry(60, 3, 18), "Outside");

    outside(17, "Theirs", false);  // the same entry, in place
    ASSERT_TRUE(site.rename(60, 3, 17, "Mine again"));
    EXPECT_EQ(file->save(site, message), SiteFile::Outcome::keptBeside) << message;
    ASSERT_TRUE(SiteFile::open(path, again, error)) << error;
    EXPECT_EQ(*again.entry(60, 3, 17), "Theirs") << "the other program's change is kept";
    EXPECT_EQ(file->beside(), folder + "/site-unsaved.json");
    EXPECT_NE(message.find(file->beside()), std::string::npos) << message;
    ASSERT_TRUE(SiteFile::open(file->beside(), again, error)) << error;
    EXPECT_EQ(*again.entry(60, 3, 17), "Mine again");
    EXPECT_EQ(*again.entry(60, 3, 18), "Outside");
}

// A profile without a kept role keeps nothing, not the devices that have no role.
TEST_F(SiteFileTest, NoKeptRoleSavesNoDevice) {
    nlohmann::json document = defaultSiteDocument();
    for (nlohmann::json& device : document["devices"]) device.erase("role");
    std::string error;
    ASSERT_TRUE(replaceUserFile(path, document.dump(2), Existing::replace, error)) << error;
    Site site;
    std::optional<SiteFile> file = SiteFile::open(path, site, error);
    ASSERT_TRUE(file) << error;
    rename(site, *file, "RM 10 0 1 'Not kept' 0", "");
    EXPECT_EQ(*site.entry(10, 0, 1), "Not kept");
    Site again;
    ASSERT_TRUE(SiteFile::open(path, again, error)) << error;
    EXPECT_EQ(*again.entry(10, 0, 1), "Camera 1");
}

// The host's texts are bytes (a Windows code page, or a multibyte character
// cut by the eight-byte limit): each survives a save and a load exactly, as
// text where it is UTF-8 and in the byte form where it is not.
TEST_F(SiteFileTest, NamesThatAreNotUtf8SurviveASaveExactly) {
    Site site;
    std::string error;
    std::optional<SiteFile> file = SiteFile::open(path, site, error);
    ASSERT_TRUE(file) << error;
    const std::pair<int, std::string> names[] = {
        {1, "Caf\xe9"}, {2, "CAM5\xc3"}, {3, "Caf\xc3\xa9"}, {4, "\x80\x81"}, {5, "\xed\xa0\x80"}};
    for (const auto& [index, name] : names) {
        rename(site, *file, "RM 60 4 " + std::to_string(index) + " '" + name + "' 0");
        EXPECT_EQ(*site.entry(60, 4, index), name);
    }
    Site again;
    ASSERT_TRUE(SiteFile::open(path, again, error)) << error;
    for (const auto& [index, name] : names) EXPECT_EQ(*again.entry(60, 4, index), name) << index;
    const nlohmann::json saved = nlohmann::json::parse(std::ifstream(path));
    const nlohmann::json& set = saved["devices"][2]["databases"]["4"];
    EXPECT_EQ(set[0], nlohmann::json({{"bytes", "436166e9"}}));
    EXPECT_EQ(set[2], "Caf\xc3\xa9") << "valid UTF-8 stays a plain text";
    EXPECT_EQ(set[4], nlohmann::json({{"bytes", "eda080"}})) << "a surrogate is not UTF-8";

    for (const char* bad : {R"({"bytes": "e"})", R"({"bytes": "zz"})", R"({"bytes": "e9", "x": 1})"}) {
        nlohmann::json document = defaultSiteDocument();
        document["devices"][2]["databases"]["1"][0] = nlohmann::json::parse(bad);
        EXPECT_FALSE(siteFromJson(document, error)) << bad;
        EXPECT_EQ(error, "devices[2].databases.1[0]: expected a text, or {\"bytes\": \"hex digits\"}");
    }
}

TEST_F(SiteFileTest, RenameSurvivesAKillRightAfterIt) {
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        Site site;
        std::string error;
        std::optional<SiteFile> file = SiteFile::open(path, site, error);
        if (!file) _exit(2);
        rename(site, *file, "RM 60 5 100 'Killed' 0");
        raise(SIGKILL);  // no destructor, no flush, no exit handler runs
        _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "child status " << status;

    Site site;
    std::string error;
    ASSERT_TRUE(SiteFile::open(path, site, error)) << error;
    EXPECT_EQ(*site.entry(60, 5, 100), "Killed");
    EXPECT_EQ(filesIn(folder), std::set<std::string>{"site.json"}) << "a temporary file was left behind";
}

TEST_F(SiteFileTest, EachSaveWritesThroughATemporaryOfItsOwn) {
    // Whatever another process left (or is writing) beside the site file must
    // neither block this save nor be taken for its temporary.
    ASSERT_EQ(mkdir((path + ".tmp").c_str(), 0755), 0);
    Site site;
    std::string error;
    std::optional<SiteFile> file = SiteFile::open(path, site, error);
    ASSERT_TRUE(file) << error;
    rename(site, *file, "RM 60 2 5 'Beside' 0");
    Site again;
    ASSERT_TRUE(SiteFile::open(path, again, error)) << error;
    EXPECT_EQ(*again.entry(60, 2, 5), "Beside");
    EXPECT_EQ(filesIn(folder), (std::set<std::string>{"site.json", "site.json.tmp"}));
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST(SiteDocument, RefusesWhatIsNotASite) {
    const std::pair<const char*, const char*> cases[] = {
        {R"([])", "expected an object with a list \"devices\""},
        {R"({"devices":[{"instance":"A","number":1,"role":"names"},{"instance":"B","number":1}]})",
         "devices[1].number: device 1 is listed twice"},
        {R"({"devices":[{"instance":"A","number":1,"role":"names","slots":{"4097":"x"}}]})",
         "devices[0].slots.4097: a slot is numbered 1 to 4096"},
        {R"({"devices":[{"instance":"A","number":1,"role":"names","databases":{"x":[]}}]})",
         "devices[0].databases.x: a database is named by its number, 0 or more"},
        {R"({"devices":[{"number":1,"role":"names"}]})", "devices[0].instance: expected a non-empty text"},
        {R"({"devices":[{"instance":"A","number":1,"role":"names","databases":{"1x":[]}}]})",
         "devices[0].databases.1x: a database is named by its number, 0 or more"},
        {R"({"devices":[{"instance":"A","number":1,"role":"names","databases":{"-1":[]}}]})",
         "devices[0].databases.-1: a database is named by its number, 0 or more"},
        {R"({"devices":[{"instance":"A","number":1,"slots":{"0":"x"}}]})",
         "devices[0].slots.0: a slot is numbered 1 to 4096"},
        {R"({"devices":[{"instance":"A","number":2147483648}]})",
         "devices[0].number: expected a device number, 1 or more"},
        {R"({"devices":[{"instance":"A","number":0}]})", "devices[0].number: expected a device number, 1 or more"},
        {R"({"devices":[{"instance":"A","number":1},{"instance":"A","number":2}]})",
         "devices[1].instance: \"A\" is listed twice"},
    };
    for (const auto& [text, problem] : cases) {
        std::string error;
        EXPECT_FALSE(siteFromJson(nlohmann::json::parse(text), error)) << text;
        EXPECT_EQ(error, problem);
    }
    nlohmann::json tooLong = defaultSiteDocument();
    tooLong["devices"][0]["databases"]["0"].push_back("one too many");
    std::string error;
    EXPECT_FALSE(siteFromJson(tooLong, error));
    EXPECT_EQ(error, "devices[0].databases.0: expected a list of at most 128 names");
}

// The kept device must hold every database the profile names; the message
// says which are missing and which are needed, in ranges.
TEST(SiteProfile, TheKeptDeviceMustHoldTheDatabasesTheProfileNeeds) {
    SiteProfile profile;
    profile.name = "p";
    profile.roles = {"names"};
    profile.keptRole = "names";
    profile.keptRoleMeaning = "the name driver";
    profile.keptDatabases = {1, 2, 3, 4, 9};
    Site site;
    site.devices.push_back(Device{10, "Router", "router", {}, false, {}});
    site.devices.push_back(Device{60, "Names", "names", {{1, {}}, {2, {}}, {4, {}}}, false, {}});
    std::string error;
    EXPECT_FALSE(siteSuitsProfile(site, profile, error));
    EXPECT_EQ(error, "devices[1].databases: the name driver (device 60) has no database 3, 9; the profile p needs "
                     "1 to 4, 9");
    site.devices[1].databases[3] = {};
    site.devices[1].databases[9] = {};
    EXPECT_TRUE(siteSuitsProfile(site, profile, error)) << error;
    // The router's databases are not the kept device's.
    site.devices[1].databases.erase(1);
    site.devices[0].databases[1] = {};
    EXPECT_FALSE(siteSuitsProfile(site, profile, error));
    EXPECT_NE(error.find("has no database 1;"), std::string::npos) << error;
}

TEST(PanelDefinition, ReadsControlsAndNamesTheBadLine) {
    std::string error;
    std::optional<PanelDefinition> panel =
        parsePanelDefinition("# comment\n\nA type=button text=\"Two words \\\"q\\\"\" enabled=0\nB\n", error);
    ASSERT_TRUE(panel) << error;
    ASSERT_EQ(panel->controls.size(), 2u);
    EXPECT_EQ(panel->controls[0].property("text"), "Two words \"q\"");
    EXPECT_FALSE(panel->controls[0].enabled());
    EXPECT_TRUE(panel->controls[1].enabled());
    EXPECT_TRUE(panel->controls[1].visible());

    EXPECT_FALSE(parsePanelDefinition("A\nB text=\"open\n", error));
    EXPECT_EQ(error, "line 2: a quoted value is not closed");
    EXPECT_FALSE(parsePanelDefinition("A novalue\n", error));
    EXPECT_EQ(error, "line 1: expected property=value, found \"novalue\"");
    EXPECT_FALSE(parsePanelDefinition("A\nA\n", error));
    EXPECT_EQ(error, "line 2: control \"A\" is defined twice");
}

}  // namespace
}  // namespace vrelhost
