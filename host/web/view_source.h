// ViewSource: what the browser view needs of a running simulation, and no
// more: carry out one operator line exactly as a scenario line, read each
// operator position's panels, the site's devices and the simulated clock,
// and hear each transcript line as it is written. It is an interface so the
// view depends on no session class (SimulationSource implements it).
//
// Positions count from 1. With more than one, a line for position K starts
// with "@K " (lineFor() writes it); with one, lines carry no address, so the
// transcript reads as a typed session's.
//
// The view calls it from one thread only (SimulationThread): an
// implementation is single-threaded. The listener is called on that thread,
// inside runLine.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "display_wall.h"
#include "panel_slots.h"
#include "site.h"

namespace vrelhost {

class ViewSource {
public:
    virtual ~ViewSource() = default;

    // How an operator line went: carried out; taken, but the panel sent no
    // event (a disabled or hidden control, a panel off screen); or a bad line
    // (a control that does not exist, a position that no longer runs).
    // `message` says why, when not done.
    struct LineResult {
        enum class Outcome { done, refused, error } outcome = Outcome::done;
        std::string message;
    };
    // One operator line ("press 1 Select_3", "@2 key a", "wait 500"), recorded
    // in the transcript as a typed one.
    virtual LineResult runLine(const std::string& line) = 0;

    virtual int positions() const = 0;
    virtual const std::map<std::string, PanelSlots::Slot>& panels(int position) const = 0;
    // False once that position's script is gone (it failed, it was quit, or the session ended).
    virtual bool alive(int position) const = 0;
    // A number that moves whenever that position's panels may have changed.
    virtual std::uint64_t panelsVersion(int position) const = 0;
    virtual const std::vector<Device>& devices() const = 0;
    // The simulated clock in milliseconds, and when the next timer tick is due.
    virtual long long clock() const = 0;
    virtual std::optional<long long> nextTick() const = 0;

    // What the under-monitor displays show, and how many brightness levels
    // they have; nothing when the profile declares no displays.
    virtual const DisplayState* displays() const { return nullptr; }
    virtual int brightnessLevels() const { return 0; }

    // The file every accepted rename is saved to; empty when renames stay in memory.
    virtual std::string siteFile() const = 0;

    // The panel and control that the "key" line types on, at every position.
    virtual std::string keyboardPanel() const = 0;
    virtual std::string keyboardControl() const = 0;

    virtual void onTranscriptLine(std::function<void(const std::string&)> listener) = 0;

    // Whether any position's script still runs.
    bool anyAlive() const;
    // The first position whose script still runs; 0 when none does.
    int firstAlive() const;
    // `line` addressed to `position`: "@K line" with several positions, or
    // for any position but 1; the line itself otherwise.
    std::string lineFor(int position, const std::string& line) const;
};

}  // namespace vrelhost
