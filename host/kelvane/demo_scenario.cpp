#include "demo_scenario.h"

namespace vrelhost {

const char* demoScenario() {
    return R"(# The selector (panel 1) comes up with the eight name-set titles; the tally
# infodriver has reported brightness 2 and name set 1 in use.
show 1
# Choose name set 3 and confirm it: the choice goes to the tally infodriver,
# whose report moves "Current".
press 1 Select_3
press 1 Confirm
# Brightness 3, written at once; the highlight follows the report.
press 1 UMDBright_3
# Open the editor and work on name set 3.
press 1 Name_Editor
press 2 NameSet_3
# Rename source 17: clear the keyboard, type, return, and let it flash a while.
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
press 2 Update
# Change the title of name set 3.
press 2 NamesetName
type room
key return
press 2 Update
# Back to the selector; choose name set 5 but do not confirm: the choice lapses.
press 2 Nameset_Select
press 1 Select_5
wait 10000
show 1
show 2
)";
}

}  // namespace vrelhost
