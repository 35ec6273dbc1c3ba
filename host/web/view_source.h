// ViewSource is an interface only: the slice of a Simulation
// the browser view may use (SimulationSource implements it), so the view
// depends on no session class.
//
// ViewSource: what the browser view needs of a running simulation, and no
// more: carry out one operator line exactly as a scenario line, read the panel
// slots, the site's devices and the simulated clock, and hear each transcript line as it
// is written.
//
// The view calls it from one thread only (SimulationThread): an
// implementation is single-threaded. The listener is called on that thread,
// inside runLine.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "panel_slots.h"
#include "site.h"

namespace vrelhost {

class ViewSource {
public:
    virtual ~ViewSource() = default;

    // One operator line ("press 1 Select_3", "key a", "wait 500"), recorded in
    // the transcript as a typed one. False with `error` for a bad line.
    virtual bool runLine(const std::string& line, std::string& error) = 0;

    virtual const std::map<std::string, PanelSlots::Slot>& panels() const = 0;
    virtual const std::vector<Device>& devices() const = 0;
    // The simulated clock in milliseconds, and when the next timer tick is due.
    virtual long long clock() const = 0;
    virtual std::optional<long long> nextTick() const = 0;
    // False once the script is gone (it failed, or the session ended).
    virtual bool alive() const = 0;

    // The file every accepted rename is saved to; empty when renames stay in memory.
    virtual std::string siteFile() const = 0;

    // The panel and control that the "key" line types on.
    virtual std::string keyboardPanel() const = 0;
    virtual std::string keyboardControl() const = 0;

    virtual void onTranscriptLine(std::function<void(const std::string&)> listener) = 0;
};

}  // namespace vrelhost
