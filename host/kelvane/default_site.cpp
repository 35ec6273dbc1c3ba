#include "default_site.h"

#include <string>
#include <vector>

namespace vrelhost {
namespace {

// The sources of the router, in blocks: a long name stem, a short stem, and
// how many sources of that kind there are. 128 in all.
struct SourceBlock {
    const char* longStem;
    const char* shortStem;
    int count;
};
const SourceBlock sourceBlocks[] = {
    {"Camera ", "CAM", 24}, {"Replay ", "EVS", 16}, {"Video Tape ", "VT", 12}, {"Graphics ", "GFX", 12},
    {"Remote ", "REM", 16}, {"Satellite ", "SAT", 8}, {"Studio Out ", "STO", 8}, {"Caption ", "CAP", 8},
    {"Monitor Feed ", "MON", 8}, {"Spare ", "SPR", 16},
};

struct SourceNames {
    std::vector<std::string> longNames, shortNames;
};

SourceNames sourceNames() {
    SourceNames names;
    for (const SourceBlock& block : sourceBlocks) {
        for (int i = 1; i <= block.count; ++i) {
            names.longNames.push_back(block.longStem + std::to_string(i));
            names.shortNames.push_back(block.shortStem + std::to_string(i));
        }
    }
    return names;
}

// Name set k shows the short names with a tag of the production, at most
// eight characters, as a UMD holds them.
std::vector<std::string> nameSet(const std::vector<std::string>& shortNames, const char* tag) {
    std::vector<std::string> set;
    for (const std::string& name : shortNames) set.push_back((std::string(tag) + name).substr(0, 8));
    return set;
}

}  // namespace

nlohmann::json defaultSiteDocument() {
    const SourceNames sources = sourceNames();
    static const char* const titles[] = {"Studio A", "Studio B", "News",     "Sport",
                                         "OB Truck", "Election", "Rehearse", "Spare"};
    static const char* const tags[] = {"", "B-", "N-", "S-", "OB", "E-", "R-", "X-"};

    nlohmann::json names = nlohmann::json::object();
    for (int k = 1; k <= 8; ++k) names[std::to_string(k)] = nameSet(sources.shortNames, tags[k - 1]);
    names["9"] = std::vector<std::string>(std::begin(titles), std::end(titles));

    return nlohmann::json{
        {"devices",
         {
             {{"instance", "StC SDI Router"},
              {"number", 10},
              {"role", "router"},
              {"databases", {{"0", sources.longNames}, {"2", sources.shortNames}}}},
             {{"instance", "CTA Tally Infodriver"},
              {"number", 57},
              {"role", "infodriver"},
              {"slots", {{"211", "2"}, {"212", "1"}}}},
             {{"instance", "StC_UMD_Names_DriverID"}, {"number", 60}, {"role", "names"}, {"databases", names}},
         }},
    };
}

}  // namespace vrelhost
