// DisplayWall: what the under-monitor displays show, read from the site
// through the profile's DisplayLayout: the live name set and its title, the
// brightness, and for each source the name of the live set.
//
// The displays follow the devices, not a panel: refresh() reads the site
// again after any slot write or rename, whichever operator position or device
// made it, and says what changed. A slot value is read as the component's
// string library reads a number (leading blanks, a sign, the digits up to the
// first other character; none is 0); one outside its range leaves the
// displays as they were, as it leaves the panels. Until the brightness slot
// has held a level, the brightness is 0 (none reported).
//
// A plain value, owned by the session; the site is only read. One thread.
#pragma once

#include <string>
#include <vector>

#include "display_layout.h"

namespace vrelhost {

class Site;

struct DisplayState {
    int set = 0;          // the live name set, 0 to layout.sets
    std::string title;    // its title
    int brightness = 0;   // 1 to the layout's levels; 0 until one is reported
    std::string brightnessName;  // its name, empty for 0
    std::vector<std::string> names;  // names[k - 1]: what source k's display shows
};

struct DisplayChange {
    bool set = false;         // another set is live (every name may differ)
    bool brightness = false;
    bool title = false;
    std::vector<int> renamed;  // sources whose names changed, ascending
    bool any() const { return set || brightness || title || !renamed.empty(); }
    // Everything: what a receiver that has heard nothing yet needs.
    static DisplayChange all();
};

class DisplayWall {
public:
    explicit DisplayWall(DisplayLayout layout);

    // Reads the site; what differs from the state before. The first refresh
    // reports everything.
    DisplayChange refresh(const Site& site);
    const DisplayState& state() const { return state_; }
    const DisplayLayout& layout() const { return layout_; }

private:
    DisplayLayout layout_;
    DisplayState state_;
    bool read_ = false;
};

// A number as the component's string library reads it (see above).
int leadingNumber(const std::string& text);

}  // namespace vrelhost
