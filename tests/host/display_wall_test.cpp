// What the displays show: the live set's names at the reported brightness,
// read from the site whoever changed it, and drawn by `show displays`.
#include <gtest/gtest.h>

#include <algorithm>

#include "display_wall.h"
#include "display_wall_view.h"
#include "site_file.h"
#include "tests/host/temp_site.h"

namespace vrelhost {
namespace {

struct DefaultSite {
    DefaultSite() {
        std::string error;
        std::optional<Site> read = siteFromJson(kelvaneProfile().defaultSite(), error);
        if (!read) throw std::runtime_error(error);
        site = std::move(*read);
    }
    Site site;
    DisplayWall wall{kelvaneProfile().displays};
};

TEST(DisplayWall, FollowsTheLiveSetItsTitleAndTheBrightness) {
    DefaultSite s;
    DisplayChange change = s.wall.refresh(s.site);
    EXPECT_TRUE(change.set && change.brightness && change.title);
    const DisplayState& state = s.wall.state();
    EXPECT_EQ(state.set, 1);
    EXPECT_EQ(state.title, "Studio A");
    EXPECT_EQ(state.brightness, 2);
    EXPECT_EQ(state.brightnessName, "Medium");
    ASSERT_EQ(state.names.size(), 128u);
    EXPECT_EQ(state.names[0], "CAM1");
    EXPECT_EQ(state.names[127], "SPR16");

    // A rename of another set changes nothing shown; one of the live set, that display alone.
    s.site.rename(60, 3, 17, "Other");
    EXPECT_FALSE(s.wall.refresh(s.site).any());
    s.site.rename(60, 1, 17, "Cam 17");
    change = s.wall.refresh(s.site);
    EXPECT_EQ(change.renamed, std::vector<int>{17});
    EXPECT_FALSE(change.set || change.brightness || change.title);
    EXPECT_EQ(state.names[16], "Cam 17");

    // Set 3 goes live: every name is set 3's, the title its entry of database 9.
    s.site.writeSlot(57, 212, "3");
    change = s.wall.refresh(s.site);
    EXPECT_TRUE(change.set && change.title);
    EXPECT_EQ(state.title, "News");
    EXPECT_EQ(state.names[16], "Other");
    EXPECT_EQ(state.names[0], "N-CAM1");
    s.site.rename(60, 9, 3, "Newsroom");
    change = s.wall.refresh(s.site);
    EXPECT_TRUE(change.title && !change.set && change.renamed.empty());
    EXPECT_EQ(state.title, "Newsroom");

    // Set 0: the router's own short names under the fixed title.
    s.site.writeSlot(57, 212, "0");
    s.wall.refresh(s.site);
    EXPECT_EQ(state.title, "Matrix Short Names");
    EXPECT_EQ(state.names[0], "CAM1");
    EXPECT_EQ(state.names[16], "CAM17");
    s.site.rename(10, 2, 1, "Cam One");
    EXPECT_EQ(s.wall.refresh(s.site).renamed, std::vector<int>{1});

    // Values out of range leave the displays as they were; a number is read as the script reads it.
    for (const char* value : {"9", "-1", "Studio"}) {
        s.site.writeSlot(57, 212, "5");
        s.wall.refresh(s.site);
        s.site.writeSlot(57, 212, value);
        const bool zero = std::string(value) == "Studio";  // no digits: 0, the router's names
        EXPECT_EQ(s.wall.refresh(s.site).set, zero) << value;
        EXPECT_EQ(state.set, zero ? 0 : 5) << value;
    }
    for (const char* value : {"0", "4", ""}) {
        s.site.writeSlot(57, 211, value);
        EXPECT_FALSE(s.wall.refresh(s.site).brightness) << value;
    }
    s.site.writeSlot(57, 211, " 3 ");
    EXPECT_TRUE(s.wall.refresh(s.site).brightness);
    EXPECT_EQ(state.brightnessName, "High");
}

TEST(DisplayWall, DrawsEightNamesARowWithTheirSourceNumbers) {
    DisplayState state;
    state.set = 2;
    state.title = "Studio B";
    state.brightness = 1;
    state.brightnessName = "Low";
    for (int k = 1; k <= 16; ++k) state.names.push_back("N" + std::to_string(k));
    state.names[9] = "Zwölf\nX";  // a control byte is escaped, a letter outside ASCII is one column
    const std::string drawing = drawDisplays(state);
    EXPECT_EQ(drawing,
              "displays: name set 2 \"Studio B\", brightness 1 (Low)\n"
              "    1 N1          2 N2          3 N3          4 N4          5 N5          6 N6          "
              "7 N7          8 N8\n"
              "    9 N9         10 Zwölf\\nX   11 N11        12 N12        13 N13        14 N14        "
              "15 N15        16 N16\n");
}

TEST(DisplayWall, FollowsEveryPositionAndIsShownAtThePrompt) {
    std::vector<DisplayChange> changes;
    KelvaneSession session([&](SimulationSettings& settings) {
        settings.instances = 2;
        settings.displaysListener = [&](const DisplayState&, const DisplayChange& change) {
            changes.push_back(change);
        };
    });
    ASSERT_TRUE(session.simulation) << session.error;
    Simulation& simulation = *session.simulation;
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_TRUE(changes[0].set && changes[0].brightness);

    auto run = [&](const std::vector<std::string>& lines) {
        for (const std::string& line : lines)
            ASSERT_EQ(simulation.runLine(line).outcome, Simulation::Outcome::done) << line;
    };
    run({"@2 press 1 Select_3", "@2 press 1 Confirm", "@1 press 1 UMDBright_3"});
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_TRUE(changes[1].set && changes[1].title);
    EXPECT_TRUE(changes[2].brightness && !changes[2].set);
    EXPECT_EQ(simulation.displays()->title, "News");
    EXPECT_EQ(simulation.displays()->brightness, 3);

    run({"@1 press 1 Name_Editor", "@1 press 2 NameSet_3", "@1 press 2 SrcName index=17"});
    for (int i = 0; i < 8; ++i) run({"@1 key backspace"});
    run({"@1 type Cam 17", "@1 key return", "@1 press 2 Update"});
    ASSERT_EQ(changes.size(), 4u);
    EXPECT_EQ(changes[3].renamed, std::vector<int>{17});
    EXPECT_EQ(simulation.displays()->names[16], "Cam 17");

    // A revertive line tells a script what no device did: the displays stay.
    run({"@2 revertive 57 212 5"});
    EXPECT_EQ(changes.size(), 4u);

    const std::size_t from = session.lines.size();
    run({"@2 show displays"});
    const std::vector<std::string> shown(session.lines.begin() + static_cast<std::ptrdiff_t>(from) + 1,
                                         session.lines.end());
    ASSERT_EQ(shown.size(), 17u) << "a heading and 16 rows of 8";
    EXPECT_EQ(shown[0], "[2] | displays: name set 3 \"News\", brightness 3 (High)");
    EXPECT_EQ(shown[3].substr(0, 25), "[2] |    17 Cam 17    18 ");
    EXPECT_EQ(simulation.finish(), 0) << session.errors.str();
}

}  // namespace
}  // namespace vrelhost
