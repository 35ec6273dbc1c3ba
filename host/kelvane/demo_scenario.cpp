#include "demo_scenario.h"

#include <charconv>

#include "site.h"

namespace vrelhost {
namespace {

constexpr int titlesDatabase = 9;  // the names driver's database of the name sets' titles
constexpr int liveSetSlot = 212;   // the tally infodriver's slot of the name set in use

const Device* withRole(const std::vector<Device>& devices, const std::string& role) {
    for (const Device& d : devices)
        if (d.role == role) return &d;
    return nullptr;
}

}  // namespace

const char* demoScenario() {
    return R"(say The script has drawn the selector (panel 1) with the eight name-set titles; the tally infodriver reported brightness 2 and name set 1 in use.
show 1
say Choose name set 3 and confirm it: the choice goes to the tally infodriver, whose report moves "Current".
press 1 Select_3
press 1 Confirm
say Brightness 3 is written at once; the highlight follows the infodriver's report.
press 1 UMDBright_3
say Open the name editor (panel 2) and work on name set 3.
press 1 Name_Editor
press 2 NameSet_3
say Rename source 17: clear the keyboard, type the new name, press return, and let Update flash a while.
press 2 SrcName index=17
key backspace
key backspace
key backspace
key backspace
key backspace
key backspace
key backspace
type Cam 17
key return
wait 1500
say Update sends the rename to the name driver, which reports it back.
press 2 Update
say Change the title of name set 3; it is the set in use, so the selector's "Current" follows.
press 2 NamesetName
type room
key return
press 2 Update
say Back to the selector; choose name set 5 but do not confirm: after ten seconds the choice lapses.
press 2 Nameset_Select
press 1 Select_5
wait 10000
say Both panels as the tour leaves them.
show 1
show 2
say And what it was all for: the displays under the monitors show name set 3 at brightness 3, source 17 with its new name.
show displays
)";
}

const char* positionsDemoScenario() {
    return R"(@1 say Two operator positions run the same panels on one site: one router, one tally infodriver, one name driver. Each position is its own instance of the script.
@2 say Position 2 opens the name editor on name set 3 and takes source 17: its old name is in the editor.
@2 press 1 Name_Editor
@2 press 2 NameSet_3
@2 press 2 SrcName index=17
@2 show 2
@1 say Position 1 opens the same set, renames source 17 and sends it with Update.
@1 press 1 Name_Editor
@1 press 2 NameSet_3
@1 press 2 SrcName index=17
@1 key backspace
@1 key backspace
@1 key backspace
@1 key backspace
@1 key backspace
@1 key backspace
@1 key backspace
@1 type Cam 17
@1 key return
@1 press 2 Update
@2 say The name driver reported the rename to both positions: position 2's editor and list show the new name without anyone touching them.
@2 show 2
@1 say Position 1 goes back to the selector, chooses name set 3 and confirms it.
@1 press 2 Nameset_Select
@1 press 1 Select_3
@1 press 1 Confirm
@2 say The tally infodriver reported the set in use to both positions: position 2 leaves its editor, and its "Current" has followed.
@2 press 2 Cancel
@2 press 2 Nameset_Select
@2 show 1
)";
}

const char* demoOpening() {
    return "The script is created: it loads the selector and the name editor, reads every name of the router "
           "and the name driver (one folded line per database), and shows the selector.";
}

std::string describeDemoRename(const Rename& r) {
    const std::string entry = std::to_string(r.entry);
    if (r.database == titlesDatabase) return "the title of name set " + entry;
    if (r.database >= 1 && r.database <= 8) return "source " + entry + " in name set " + std::to_string(r.database);
    return "entry " + entry + " of database " + std::to_string(r.database) + " on device " +
           std::to_string(r.device);
}

std::string describeLiveSet(const std::vector<Device>& devices) {
    const Device* tally = withRole(devices, "infodriver");
    const Device* names = withRole(devices, "names");
    if (!tally) return "no tally infodriver on this site";
    auto slot = tally->slots.find(liveSetSlot);
    const std::string value = slot == tally->slots.end() ? std::string() : slot->second;
    const std::string where = " (slot " + std::to_string(liveSetSlot) + " of the tally infodriver " +
                              std::to_string(tally->number) + ")";
    int set = 0;
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), set);
    if (value.empty() || ec != std::errc() || end != value.data() + value.size())
        return "no name set reported" + where;
    std::string title;
    if (names) {
        auto titles = names->databases.find(titlesDatabase);
        if (titles != names->databases.end() && set >= 1 && set <= static_cast<int>(titles->second.size()))
            title = ", \"" + titles->second[static_cast<std::size_t>(set - 1)] + "\"";
    }
    return "name set " + value + title + where;
}

}  // namespace vrelhost
